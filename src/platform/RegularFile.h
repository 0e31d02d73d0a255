#pragma once
// Opening the files the program reads whole (the INI file, the texture, the
// template pictures) safely: only a regular file is read, never a FIFO that
// would block start-up forever or a device such as /dev/zero that never ends,
// and only up to a size that makes sense for the file.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <optional>

namespace qm::platform {

inline constexpr qint64 kMaxIniBytes = qint64(64) << 20;
inline constexpr qint64 kMaxTextureBytes = qint64(32) << 20;
inline constexpr qint64 kMaxPictureBytes = qint64(64) << 20;

// Opens `path` for reading into `file` when it is a regular file of at most
// `maxBytes`; the open itself never blocks. False (and `file` closed)
// otherwise, with `why` telling the reason when given.
bool OpenRegularFile(const QString& path, qint64 maxBytes, QFile& file, QString* why = nullptr);

// The whole contents of such a file; nothing for anything else or a read error.
std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 maxBytes,
                                          QString* why = nullptr);

}  // namespace qm::platform
