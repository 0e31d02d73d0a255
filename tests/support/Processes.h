#pragma once
// The processes running a given executable, found as any user could find
// them: tests that start programs which start others (a stamp starting its
// editor) check on the grandchildren this way.

#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QString>

namespace qm::test {

inline QList<qint64> ProcessesOf(const QString& path) {
  QList<qint64> out;
  const QString wanted = QFileInfo(path).canonicalFilePath();
  for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    bool ok = false;
    const qint64 pid = entry.toLongLong(&ok);
    if (ok && QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget() == wanted)
      out << pid;
  }
  return out;
}

}  // namespace qm::test
