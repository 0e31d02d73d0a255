#include "host/StampChoices.h"

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
  return StoredFlag(store.GetS(prefix + QStringLiteral("Layer"), QString()), QLatin1String("above"),
                    QLatin1String("below"));
}

std::optional<bool> StoredLocked(const settings::UserSettings& store, const QString& prefix) {
  return StoredFlag(store.GetS(prefix + QStringLiteral("Locked"), QString()), QLatin1String("1"),
                    QLatin1String("0"));
}

void StoreAbove(settings::UserSettings& store, const QString& prefix, bool above) {
  store.SetS(prefix + QStringLiteral("Layer"),
             above ? QStringLiteral("above") : QStringLiteral("below"));
}

void StoreLocked(settings::UserSettings& store, const QString& prefix, bool locked) {
  store.SetS(prefix + QStringLiteral("Locked"), locked ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace qm::host
