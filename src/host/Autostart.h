#pragma once
// The entry that starts a stamp when the user logs in: one desktop entry per
// stamp in the XDG autostart folder, which desktops read at login.

#include <QString>
#include <QStringList>
#include <optional>

#include "host/HostOptions.h"

namespace qm::host {

// $XDG_CONFIG_HOME/autostart/<one file per stamp name>.desktop
QString AutostartFile(const QString& name);

// The arguments that start this stamp again as it runs now: its text
// source, name and layer (and language, when one was chosen). Without a
// layer, the stamp takes the one last chosen in its menu.
QStringList AutostartArguments(const HostOptions& options, std::optional<bool> above);

// The desktop entry that runs `program` with `arguments`.
QString AutostartEntry(const QString& program, const QStringList& arguments);

// Writes (whole or not at all) or removes the stamp's entry; false, with the
// reason in `error`, when that failed.
bool SetAutostart(const QString& file, bool on, const QString& program,
                  const QStringList& arguments, QString* error);

}  // namespace qm::host
