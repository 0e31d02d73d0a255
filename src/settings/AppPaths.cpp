#include "settings/AppPaths.h"

#include <QCoreApplication>

namespace qm::settings {
namespace {

AppPaths& ModulePaths() {
  static AppPaths paths;
  return paths;
}

}  // namespace

const QString& sAppPath() { return ModulePaths().app; }
const QString& sIniFile() { return ModulePaths().ini; }
const QString& sTemplateRoot() { return ModulePaths().templateRoot; }

AppPaths AppPathsOf(const QString& programDir) {
  AppPaths p;
  p.app = programDir;
  if (!p.app.isEmpty() && !p.app.endsWith(u'/')) p.app += u'/';
  p.ini = p.app + QStringLiteral("Quillmark.ini");
  p.templateRoot = p.app + QStringLiteral("Tavrel/");
  return p;
}

void SetAppPaths(const QString& programDir) { ModulePaths() = AppPathsOf(programDir); }

QString ExecutableDirectory() { return QCoreApplication::applicationDirPath(); }

}  // namespace qm::settings
