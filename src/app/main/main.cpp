// QuillmarkOpt: the settings editor of the Quillmark desktop stamp.

#include <QApplication>
#include <cstdio>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "app/CommandLine.h"
#include "app/FrmOptions.h"
#include "app/InstanceHandOver.h"
#include "platform/Language.h"
#include "platform/SingleInstance.h"
#include "platform/WindowPlacement.h"
#include "platform/link/LinkDirectory.h"
#include "settings/ProgramFolder.h"
#include "settings/UserSettings.h"
#include "stamp/HostMessage.h"

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  // The gallery's drawings (a picture, its toned copy, the thumbnail: tens of
  // kilobytes each) are made in the paint's threads between many short-lived
  // buffers of the same size. Given pages of their own they go back to the
  // system when let go of, rather than leaving the allocator's arenas
  // pitted with space it cannot return: a third of a megabyte for the
  // editor's life, for a few more system calls per thumbnail drawn.
  mallopt(M_MMAP_THRESHOLD, 16 * 1024);
#endif
  // One editor per user: a second start ends at once, touching nothing. The
  // lock lives in a private folder checked like the link's: in a folder that
  // another user made first, that user could keep us from starting or take
  // our lock file.
  using qm::platform::SingleInstance;
  const qm::link::LinkDirResult folder =
      qm::link::PrepareLinkDirectory(SingleInstance::DefaultLockDirectory());
  if (!folder.ok()) {
    std::fprintf(stderr, "QuillmarkOpt: no safe folder for the instance lock: %s\n",
                 qPrintable(folder.error));
    return 2;
  }
  SingleInstance instance(folder.path + u'/' + SingleInstance::LockFileName());
  if (!instance.tryAcquire()) {
    // The running editor hears of a start for a host: it may take that host
    // over when its own is gone. Either way this start ends silently.
    QStringList given;
    for (int i = 1; i < argc; ++i) given << QString::fromLocal8Bit(argv[i]);
    const QString commandLine = qm::JoinArguments(qm::SplitEditorArguments(given).hostLine);
    if (qm::ParseCommandLine(commandLine).HostHwnd > 0)
      qm::InstanceHandOver::HandOver(folder.path, qm::link::DefaultLinkDirectoryPath(),
                                     commandLine);
    return 0;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("QuillmarkOpt"));
  QApplication::setQuitOnLastWindowClosed(true);
  QGuiApplication::setDesktopFileName(QStringLiteral("org.quillmark.QuillmarkOpt"));

  const qm::EditorArguments arguments = qm::SplitEditorArguments(QApplication::arguments().mid(1));
  qm::platform::LanguageChoice language =
      qm::platform::ChooseLanguage(QProcessEnvironment::systemEnvironment());
  if (arguments.missingValue || arguments.hasLanguage) {
    const auto chosen = qm::platform::ParseLanguage(arguments.language);
    if (!chosen) {
      std::fprintf(stderr, "QuillmarkOpt: --lang takes ru or en\n");
      return 2;
    }
    language = {*chosen, {}};
  }
  if (!language.warning.isEmpty())
    std::fprintf(stderr, "QuillmarkOpt: %s\n", qPrintable(language.warning));
  const qm::platform::ScopedTranslation translation(language.language);
  if (!translation.ok())
    std::fprintf(stderr, "QuillmarkOpt: the English texts could not be loaded\n");

  qm::AppEnvironment env;
  env.programDir = qm::settings::ProgramFolderForThisProgram("QuillmarkOpt");
  env.userStoreFile = qm::settings::UserSettings::DefaultFilePath();
  env.commandLine = qm::JoinArguments(arguments.hostLine);
  env.stampFrame = qm::platform::ParseStampFrame(
      qEnvironmentVariable(qm::platform::kStampFrameEnvironmentVariable));
  env.ownLook = qEnvironmentVariable(qm::stamp::kOwnLookEnvironmentVariable);

  qm::FrmOptions window(env, nullptr, qm::FrmOptions::StartUp::ShowFirst);
  // Closed by the host before it was shown is a normal end, not a failure.
  // The window shows first; the thumbnails are then drawn into it.
  if (!window.Form_Load(qm::FrmOptions::StartUp::ShowFirst))
    return window.ClosedDuringStartUp() ? 0 : 1;
  window.show();
  window.FinishStartUp();
  qm::InstanceHandOver handOver(folder.path);
  QObject::connect(&handOver, &qm::InstanceHandOver::handedOver, &window,
                   &qm::FrmOptions::ServeHostOf);
  handOver.Listen();
  return QApplication::exec();
}
