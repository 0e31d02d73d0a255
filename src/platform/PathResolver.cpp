#include "platform/PathResolver.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace qm::platform {
namespace {

QString Join(const QString& dir, const QString& name) {
  if (dir.isEmpty() || dir.endsWith(u'/')) return dir + name;
  return dir + u'/' + name;
}

// The entry of `dir` whose name equals `name` without regard to case; the
// first in name order when several do, so the choice is the same every run.
QString FindIgnoringCase(const QString& dir, const QString& name) {
  const QStringList entries =
      QDir(dir.isEmpty() ? QStringLiteral(".") : dir)
          .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                     QDir::Name);
  for (const QString& entry : entries)
    if (entry.compare(name, Qt::CaseInsensitive) == 0) return entry;
  return {};
}

}  // namespace

QString ResolveRelativePath(const QString& rootDir, const QString& relative) {
  QString path = relative;
  path.replace(u'\\', u'/');
  const QStringList parts = path.split(u'/');  // a leading "/" gives an empty first part
  for (const QString& part : parts)
    if (part.isEmpty() || part == u"." || part == u"..") return {};

  const QString exact = Join(rootDir, parts.join(u'/'));
  if (QFileInfo::exists(exact)) return exact;

  QString current = rootDir;
  for (const QString& part : parts) {
    QString next = Join(current, part);
    if (!QFileInfo::exists(next)) {
      const QString found = FindIgnoringCase(current, part);
      if (found.isEmpty()) return exact;
      next = Join(current, found);
    }
    current = next;
  }
  return current;
}

}  // namespace qm::platform
