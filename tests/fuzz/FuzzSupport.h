#pragma once
// Shared pieces of the fuzz targets: the input as text the way the program
// meets it (bytes in the locale's code page), and a check that stops the run
// with a message when an invariant does not hold.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace qm::fuzz {

inline QByteArray Bytes(const uint8_t* data, size_t size) {
  return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// The program decodes stored and received bytes with the locale's code page.
inline QString Text(const uint8_t* data, size_t size) {
  return QString::fromLocal8Bit(Bytes(data, size));
}

// One INI file for the whole run, in memory when the machine has /dev/shm,
// holding `bytes`; empty when it could not be written.
inline QString ScratchIni(const QByteArray& bytes) {
  static QTemporaryDir dir(QFileInfo::exists(QStringLiteral("/dev/shm"))
                               ? QStringLiteral("/dev/shm/qm-fuzz-XXXXXX")
                               : QDir::tempPath() + QStringLiteral("/qm-fuzz-XXXXXX"));
  const QString path = dir.filePath(QStringLiteral("Quillmark.ini"));
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
    return {};
  return path;
}

[[noreturn]] inline void Fail(const char* what, const QString& detail = {}) {
  std::fprintf(stderr, "invariant broken: %s\n%s\n", what, qPrintable(detail));
  std::abort();
}

inline void Check(bool ok, const char* what, const QString& detail = {}) {
  if (!ok) Fail(what, detail);
}

}  // namespace qm::fuzz
