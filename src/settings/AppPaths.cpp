#include "settings/AppPaths.h"

#include <QCoreApplication>

namespace qm::settings {
namespace {

struct Paths {
  QString app;
  QString ini;
  QString templateRoot;
};

Paths& ModulePaths() {
  static Paths paths;
  return paths;
}

}  // namespace

const QString& sAppPath() { return ModulePaths().app; }
const QString& sIniFile() { return ModulePaths().ini; }
const QString& sTemplateRoot() { return ModulePaths().templateRoot; }

void SetAppPaths(const QString& programDir) {
  Paths& p = ModulePaths();
  p.app = programDir;
  if (!p.app.isEmpty() && !p.app.endsWith(u'/')) p.app += u'/';
  p.ini = p.app + QStringLiteral("Quillmark.ini");
  p.templateRoot = p.app + QStringLiteral("Tavrel/");
}

QString ExecutableDirectory() { return QCoreApplication::applicationDirPath(); }

}  // namespace qm::settings
