#pragma once
// The choices a stamp keeps beside its place in the per-user store: its layer
// ("Layer": "above" or "below") and its lock ("Locked": "1" or "0"), under
// the stamp's key prefix (empty for the unnamed stamp, "NAME/" otherwise).
// The X11 window and the Wayland surface read and write them alike.

#include <QString>
#include <optional>

namespace qm::settings {
class UserSettings;
}

namespace qm::host {

// Nothing stored, or a value edited by hand into something else: nullopt.
std::optional<bool> StoredAbove(const settings::UserSettings& store, const QString& prefix);
std::optional<bool> StoredLocked(const settings::UserSettings& store, const QString& prefix);
void StoreAbove(settings::UserSettings& store, const QString& prefix, bool above);
void StoreLocked(settings::UserSettings& store, const QString& prefix, bool locked);

}  // namespace qm::host
