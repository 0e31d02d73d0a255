#include "app/LookStores.h"

#include "settings/AppPaths.h"
#include "settings/IniClass.h"

using namespace Qt::StringLiterals;

namespace qm {

bool IniLookStore::SaveLine(const QString& line) {
  return outcome_(ini_.WriteInIKey(u"General"_s, u"Selected"_s, line, settings::sIniFile()));
}

}  // namespace qm
