// The include check: every #include between our libraries points down the
// layers, each library declares exactly the libraries whose headers it
// includes, and widget headers stay in ui/ folders and app/.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

namespace {

// A library of the manifest src/CMakeLists.txt writes: it may depend only on
// libraries of a lower layer.
struct Library {
  QString name;
  QString dir;           // below src/
  int layer = -1;        // -1: none given
  QSet<QString> deps;    // our libraries only
  QSet<QString> qtDeps;  // Qt6::...
};

bool WidgetsAllowed(const QString& dir) {
  return dir == u"app" || dir.startsWith(u"app/") || dir.split(u'/').contains(u"ui");
}

QStringList Check(const QString& srcDir, const QString& manifest, const QString& widgetsDir) {
  QStringList errors;
  QFile m(manifest);
  if (!m.open(QIODevice::ReadOnly)) return {QStringLiteral("no manifest at ") + manifest};
  QList<Library> libs;
  QHash<QString, int> byDir;
  for (const QString& line : QString::fromUtf8(m.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
    const QStringList parts = line.split(u'|');
    if (parts.size() != 4) {
      errors << QStringLiteral("bad manifest line: ") + line;
      continue;
    }
    bool layered = false;
    const int layer = parts[2].toInt(&layered);
    Library lib{parts[0], parts[1], layered ? layer : -1, {}, {}};
    for (const QString& d : parts[3].split(u',', Qt::SkipEmptyParts))
      (d.startsWith(u"Qt") ? lib.qtDeps : lib.deps).insert(d);
    byDir.insert(lib.dir, static_cast<int>(libs.size()));
    libs << lib;
  }
  QHash<QString, const Library*> byName;
  for (const Library& l : libs) byName.insert(l.name, &l);

  // The library a file belongs to: its folder's, or the nearest enclosing
  // folder's that is a library (main/ below app/ belongs to app).
  const auto owner = [&](QString dir) -> const Library* {
    for (;;) {
      if (const auto it = byDir.constFind(dir); it != byDir.constEnd()) return &libs[*it];
      const qsizetype slash = dir.lastIndexOf(u'/');
      if (slash < 0) return nullptr;
      dir.truncate(slash);
    }
  };

  static const QRegularExpression include(
      QStringLiteral(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])"));
  QHash<QString, QSet<QString>> used;
  QDirIterator it(srcDir, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    const QString rel = QDir(srcDir).relativeFilePath(path);
    const QString dir = QFileInfo(rel).path();
    const Library* lib = owner(dir);
    if (!lib) {
      errors << rel + QStringLiteral(": in no library");
      continue;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) continue;
    int lineNo = 0;
    for (const QByteArray& raw : f.readAll().split('\n')) {
      ++lineNo;
      const auto match = include.match(QString::fromUtf8(raw));
      if (!match.hasMatch()) continue;
      const QString where = QStringLiteral("%1:%2: ").arg(rel).arg(lineNo);
      const QString target = match.captured(2);
      if (match.captured(1) == u"<") {
        if (!widgetsDir.isEmpty() && !WidgetsAllowed(dir) &&
            (target.startsWith(u"QtWidgets") || QFileInfo::exists(widgetsDir + u'/' + target)))
          errors << where + QStringLiteral("widget header <%1> outside ui/ and app/").arg(target);
        continue;
      }
      const QString targetDir = QFileInfo(target).path();
      if (!QFileInfo::exists(srcDir + u'/' + target) || !byDir.contains(targetDir)) {
        errors << where +
                      QStringLiteral("\"%1\" is not a header of one of our libraries").arg(target);
        continue;
      }
      const Library& to = libs[byDir.value(targetDir)];
      if (to.name == lib->name) continue;
      used[lib->name].insert(to.name);
      if (lib->layer >= 0 && to.layer >= 0 && to.layer >= lib->layer)
        errors << where + QStringLiteral("%1 includes \"%2\" of %3, which is not below it")
                              .arg(lib->name, target, to.name);
    }
  }

  for (const Library& l : libs) {
    if (l.layer < 0) errors << QStringLiteral("%1 (%2) has no layer").arg(l.name, l.dir);
    const QSet<QString>& u = used.value(l.name);
    for (const QString& d : l.deps) {
      if (!byName.contains(d))
        errors << QStringLiteral("%1 depends on unknown %2").arg(l.name, d);
      else if (!u.contains(d))
        errors << QStringLiteral("%1 declares %2 but includes none of its headers").arg(l.name, d);
    }
    for (const QString& d : u)
      if (!l.deps.contains(d))
        errors << QStringLiteral("%1 includes headers of %2 without declaring it").arg(l.name, d);
    if (!WidgetsAllowed(l.dir) && l.qtDeps.contains(QStringLiteral("Qt6::Widgets")))
      errors << QStringLiteral("%1 links Qt6::Widgets outside ui/ and app/").arg(l.name);
  }
  errors.sort();
  return errors;
}

std::string Lines(const QStringList& l) { return l.join(u'\n').toStdString(); }

TEST(Layering, EveryIncludeOfTheProgramPointsDownAndIsDeclared) {
  const QStringList errors =
      Check(QStringLiteral(QM_SOURCE_DIR "/src"), QStringLiteral(QM_LAYERING_MANIFEST),
            QStringLiteral(QM_QT_WIDGETS_DIR));
  EXPECT_TRUE(errors.isEmpty()) << Lines(errors);
}

// The check itself, on a small tree of its own.
class LayeringCheck : public ::testing::Test {
 protected:
  void Write(const QString& rel, const QByteArray& text) {
    const QString path = dir.path() + QStringLiteral("/src/") + rel;
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  }
  QStringList Run(const QByteArray& manifest) {
    Write(QStringLiteral("../layering.txt"), manifest);
    return Check(dir.path() + QStringLiteral("/src"), dir.path() + QStringLiteral("/layering.txt"),
                 QStringLiteral(QM_QT_WIDGETS_DIR));
  }
  QTemporaryDir dir;
};

TEST_F(LayeringCheck, ReportsEachWayAnIncludeCanGoWrong) {
  Write(QStringLiteral("platform/P.h"), "#include <QString>\n");
  Write(QStringLiteral("stamp/S.h"), "#include \"platform/P.h\"\n");
  Write(QStringLiteral("session/E.cpp"), "#include \"stamp/S.h\"\n");
  const QByteArray good =
      "qm_platform|platform|0|Qt6::Core\nqm_stamp|stamp|1|qm_platform\n"
      "qm_session|session|2|qm_stamp\n";
  EXPECT_TRUE(Run(good).isEmpty()) << Lines(Run(good));

  // Upward, undeclared, declared but unused, a widget below ui/, nowhere.
  Write(QStringLiteral("platform/P.cpp"), "#include \"stamp/S.h\"\n");
  Write(QStringLiteral("stamp/S.cpp"), "#include <QLabel>\n#include \"session/Gone.h\"\n");
  const QStringList errors =
      Run("qm_platform|platform|0|Qt6::Core\nqm_stamp|stamp|1|qm_platform,qm_session\n"
          "qm_session|session|2|qm_stamp,Qt6::Widgets\n");
  const QString all = errors.join(u'\n');
  EXPECT_TRUE(all.contains(u"platform/P.cpp:1: qm_platform includes \"stamp/S.h\" of qm_stamp"))
      << Lines(errors);
  EXPECT_TRUE(all.contains(u"qm_platform includes headers of qm_stamp without declaring it"));
  EXPECT_TRUE(all.contains(u"qm_stamp declares qm_session but includes none of its headers"));
  EXPECT_TRUE(all.contains(u"stamp/S.cpp:1: widget header <QLabel>"));
  EXPECT_TRUE(all.contains(u"stamp/S.cpp:2: \"session/Gone.h\" is not a header"));
  EXPECT_TRUE(all.contains(u"qm_session links Qt6::Widgets"));
}

}  // namespace
