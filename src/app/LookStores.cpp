#include "app/LookStores.h"

#include "settings/AppPaths.h"
#include "settings/IniClass.h"
#include "stamp/IniKeys.h"

namespace qm {

bool IniLookStore::SaveLine(const QString& line) {
  return outcome_(ini_.Write(stamp::kSelectedLine, line, settings::sIniFile()));
}

}  // namespace qm
