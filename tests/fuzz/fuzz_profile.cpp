// The INI reader and writer on any file: reading never fails, the snapshot
// reads every key as the single reader does, and a write changes the one
// value it was asked to (which then reads back) and nothing else the program
// reads.
#include <QStringList>

#include "FuzzSupport.h"
#include "platform/ProfileFile.h"

using namespace qm;

namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes = fuzz::Bytes(data, size);
  const QString path = fuzz::ScratchIni(bytes);
  if (path.isEmpty()) return 0;

  // Names to look up: one of the program's own and the first ones this file
  // holds. Few are enough to compare the readers, and every pair costs two
  // reads of the whole file.
  QStringList sections = {QStringLiteral("General")};
  QStringList keys = {QStringLiteral("Selected")};
  for (const QString& line : QString::fromLocal8Bit(bytes).split(u'\n')) {
    const QString t = line.trimmed();
    if (t.startsWith(u'[') && t.endsWith(u']') && sections.size() < 2)
      sections << t.mid(1, t.size() - 2);
    else if (t.contains(u'=') && keys.size() < 3)
      keys << t.left(t.indexOf(u'=')).trimmed();
    if (sections.size() == 2 && keys.size() == 3) break;
  }

  const platform::ProfileSnapshot snap = platform::ProfileSnapshot::Load(path);
  const QString none = QStringLiteral("\x01none");
  for (const QString& s : sections)
    for (const QString& k : keys)
      fuzz::Check(snap.Read(s, k, none) == platform::ReadProfileString(path, s, k, none),
                  "the snapshot reads as the single reader", s + u'/' + k);

  // One write of a plain value; every other value the program reads stays.
  const QString section = sections.value(static_cast<qsizetype>(size % sections.size()));
  const QString key = keys.value(static_cast<qsizetype>(size % keys.size()));
  const QString value = QStringLiteral("v%1").arg(size);
  if (!platform::WriteProfileString(path, section, key, value)) {
    fuzz::Check(ReadAll(path) == bytes, "a refused write changes nothing");
    return 0;
  }
  fuzz::Check(platform::ReadProfileString(path, section, key, none) == value,
              "a written value reads back", section + u'/' + key);
  for (const QString& s : sections)
    for (const QString& k : keys) {
      if (s.compare(section, Qt::CaseInsensitive) == 0 && k.compare(key, Qt::CaseInsensitive) == 0)
        continue;
      fuzz::Check(snap.Read(s, k, none) == platform::ReadProfileString(path, s, k, none),
                  "a write changes no other value", s + u'/' + k);
    }
  return 0;
}
