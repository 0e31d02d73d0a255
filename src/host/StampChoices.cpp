#include "host/StampChoices.h"

#include "settings/UserKeys.h"
#include "settings/UserSettings.h"

namespace qm::host {
namespace {

std::optional<bool> StoredFlag(const QString& text, QLatin1String on, QLatin1String off) {
  if (text == on) return true;
  if (text == off) return false;
  return std::nullopt;
}

}  // namespace

std::optional<bool> StoredAbove(const settings::UserSettings& store, const QString& prefix) {
  return StoredFlag(store.Get(settings::kStampLayer, prefix), QLatin1String("above"),
                    QLatin1String("below"));
}

std::optional<bool> StoredLocked(const settings::UserSettings& store, const QString& prefix) {
  return StoredFlag(store.Get(settings::kStampLocked, prefix), QLatin1String("1"),
                    QLatin1String("0"));
}

void StoreAbove(settings::UserSettings& store, const QString& prefix, bool above) {
  store.Set(settings::kStampLayer, above ? QStringLiteral("above") : QStringLiteral("below"),
            prefix);
}

void StoreLocked(settings::UserSettings& store, const QString& prefix, bool locked) {
  store.Set(settings::kStampLocked, locked ? QStringLiteral("1") : QStringLiteral("0"), prefix);
}

}  // namespace qm::host
