// QuillmarkOpt: the settings editor of the Quillmark desktop stamp.

#include <QApplication>

#include "app/CommandLine.h"
#include "app/FrmOptions.h"
#include "platform/SingleInstance.h"
#include "settings/AppPaths.h"
#include "settings/UserSettings.h"

int main(int argc, char** argv) {
  // One editor per user: a second start ends at once, touching nothing.
  qm::platform::SingleInstance instance(qm::platform::SingleInstance::DefaultLockPath());
  if (!instance.tryAcquire()) return 0;

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("QuillmarkOpt"));
  QApplication::setQuitOnLastWindowClosed(true);

  qm::AppEnvironment env;
  env.programDir = qm::settings::ExecutableDirectory();
  env.userStoreFile = qm::settings::UserSettings::DefaultFilePath();
  env.commandLine = qm::JoinArguments(QApplication::arguments().mid(1));

  qm::FrmOptions window(env);
  // Closed by the host before it was shown is a normal end, not a failure.
  if (!window.Form_Load()) return window.ClosedDuringStartUp() ? 0 : 1;
  window.show();
  return QApplication::exec();
}
