// quillmark-host: the Quillmark stamp on the desktop. See
// src/host/ui/StampWindow.h for the window and src/host/StampHost.h for what
// lies behind it; --help lists the options.

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QTimer>
#include <cstdio>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "host/Autostart.h"
#include "host/HostOptions.h"
#include "host/StampHost.h"
#include "host/StampPlatform.h"
#include "host/ui/StampWindow.h"
#include "platform/Language.h"
#include "platform/QuitSignals.h"
#include "platform/ui/WindowSystem.h"
#include "render/AppIcon.h"
#include "render/StampDrawing.h"
#include "settings/AppPaths.h"
#include "settings/ProgramFolder.h"
#include "settings/UserKeys.h"
#include "settings/UserSettings.h"
#include "stamp/ParamLine.h"
#if defined(QM_WITH_WAYLAND)
#include "host/ui/wayland/LayerSurfaceStamp.h"
#include "host/ui/wayland/WaylandDesktop.h"
#endif

namespace {

// What the start took and let go of (the drawing of the icon's sizes, the
// thread that outlined its text) goes back to the system rather than staying
// with the stamp for as long as it runs.
void ReturnFreedMemory() {
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

// The application's icon is for the windows the stamp opens (the stamp itself
// shows in no task bar): it is drawn once the stamp has been painted.
void SetIconAfterFirstPaint(QObject& stamp) {
  struct Watch : QObject {
    bool eventFilter(QObject* watched, QEvent* event) override {
      if (event->type() == QEvent::Paint || event->type() == QEvent::UpdateRequest) {
        watched->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] {
          QApplication::setWindowIcon(qm::render::AppIcon());
          ReturnFreedMemory();
          delete this;
        });
      }
      return false;
    }
  };
  stamp.installEventFilter(new Watch);
}

// The catalogue lives where the editor keeps it (see ProgramFolder.h); the
// editor itself is always the one beside us.
qm::host::HostPaths Paths() {
  qm::settings::SetAppPaths(qm::settings::ProgramFolderForThisProgram("quillmark-host"));
  qm::host::HostPaths p;
  p.iniFile = qm::settings::sIniFile();
  p.templateRoot = qm::settings::sTemplateRoot();
  p.editorProgram = qm::settings::ExecutableDirectory() + QStringLiteral("/QuillmarkOpt");
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  // The kind of application depends on the options, so they are read first.
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const qm::host::ParsedHostOptions parsed = qm::host::ParseHostArguments(arguments);
  if (parsed.help) {
    QCoreApplication app(argc, argv);
    std::fputs(qm::host::HostHelpText().toLocal8Bit().constData(), stdout);
    return 0;
  }
  if (!parsed.options) {
    std::fprintf(stderr, "quillmark-host: %s\n", parsed.error.toLocal8Bit().constData());
    return qm::render::kRenderBadInput;
  }
  qm::host::HostOptions options = *parsed.options;
  if (options.autostart) {
    // Writes or removes the login entry for the stamp these options describe,
    // and ends.
    QCoreApplication app(argc, argv);
    QString error;
    if (!qm::host::SetAutostart(qm::host::AutostartFile(options.name), *options.autostart,
                                QCoreApplication::applicationFilePath(),
                                qm::host::AutostartArguments(options, options.above), &error)) {
      std::fprintf(stderr, "quillmark-host: %s\n", error.toLocal8Bit().constData());
      return qm::render::kRenderBadInput;
    }
    return 0;
  }

  // The language is settled here, once, so that the editor the stamp opens
  // speaks the same one.
  if (!options.language) {
    const qm::platform::LanguageChoice choice =
        qm::platform::ChooseLanguage(QProcessEnvironment::systemEnvironment());
    if (!choice.warning.isEmpty())
      std::fprintf(stderr, "quillmark-host: %s\n", qPrintable(choice.warning));
    options.language = choice.language;
  }

  if (!options.renderTo.isEmpty()) {
    qm::render::PrepareHeadlessDrawing("quillmark-host");
    QGuiApplication app(argc, argv);
    return qm::host::RenderStampFile(options, Paths());
  }

  // Which surface the stamp shows on is settled before Qt starts: Qt takes
  // its platform from the environment once, when the application is made.
  qm::host::PlatformFacts facts;
  const QByteArray qtPlatformBefore = qgetenv("QT_QPA_PLATFORM");
  facts.explicitPlatform =
      !options.platform.isEmpty() ? options.platform : QString::fromLocal8Bit(qtPlatformBefore);
  facts.waylandSession = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  facts.xDisplay = !qEnvironmentVariableIsEmpty("DISPLAY");
#if defined(QM_WITH_WAYLAND)
  std::unique_ptr<qm::WaylandDesktop> wayland;
  if (facts.explicitPlatform.isEmpty() && facts.waylandSession) {
    wayland = qm::WaylandDesktop::Connect();
    facts.waylandReached = wayland != nullptr;
    facts.layerShell = wayland && wayland->Usable();
  }
#else
  // Built without the layer surface: Qt's own Wayland window is the stamp.
  facts.waylandReached = facts.waylandSession;
#endif
  const qm::host::PlatformChoice choice = qm::host::ChoosePlatform(facts);
  if (choice.nowhere) {
    std::fprintf(stderr, "quillmark-host: %s\n", qPrintable(choice.warning));
    return 1;
  }
  const QByteArray qtPlatform =
      !options.platform.isEmpty() ? options.platform.toLocal8Bit() : choice.qtPlatform;
  if (!qtPlatform.isEmpty()) qputenv("QT_QPA_PLATFORM", qtPlatform);

  QApplication app(argc, argv);
  // The editor and the commands we start choose their own platform.
  if (!qtPlatform.isEmpty()) {
    if (qtPlatformBefore.isNull())
      qunsetenv("QT_QPA_PLATFORM");
    else
      qputenv("QT_QPA_PLATFORM", qtPlatformBefore);
  }
  if (!choice.warning.isEmpty() && QGuiApplication::platformName() != choice.quietOn)
    std::fprintf(stderr, "quillmark-host: %s\n", qPrintable(choice.warning));
  QApplication::setApplicationName(QStringLiteral("quillmark-host"));
  QGuiApplication::setDesktopFileName(QStringLiteral("org.quillmark.Quillmark"));
  const qm::platform::ScopedTranslation translation(*options.language);
  if (!translation.ok())
    std::fprintf(stderr, "quillmark-host: the English texts could not be loaded\n");
  // The stamp ends by its menu only: a window of ours that closes (a menu,
  // a tooltip) must not end it.
  QApplication::setQuitOnLastWindowClosed(false);

  qm::settings::UserSettings store(qm::settings::UserSettings::DefaultFilePath(),
                                   qm::settings::kStampGroup.toString());
  if (!store.Problem().isEmpty())
    std::fprintf(stderr, "quillmark-host: %s: %s\n", qPrintable(store.FilePath()),
                 qPrintable(store.Problem()));
  // A named stamp keeps its own look in the per-user store and starts from
  // it; the unnamed one starts from the editor's selection, as it always has.
  const QString lookPrefix = options.name + u'/';
  if (!options.name.isEmpty() && !options.line) {
    const QString own = store.Get(qm::settings::kStampLook, lookPrefix);
    if (qm::stamp::IsValidLine(own)) options.line = own;
  }
  qm::host::StampHost host(options, Paths());
  if (!options.name.isEmpty()) host.Link().SetOwnLook([&host] { return host.Line().Line(); });
  if (!options.name.isEmpty())
    QObject::connect(&host, &qm::host::StampHost::stampChanged, &host, [&host, &store, lookPrefix] {
      if (store.Get(qm::settings::kStampLook, lookPrefix) != host.Line().Line())
        store.Set(qm::settings::kStampLook, host.Line().Line(), lookPrefix);
    });
  // A named stamp keeps its choices under its name; the unnamed one where it
  // always has.
  const QString keyPrefix = options.name.isEmpty() ? QString() : options.name + u'/';
  const qm::host::HostOptions& given = *parsed.options;
  const QString autostartFile = qm::host::AutostartFile(given.name);
  // "Запускать при входе": the entry starts the stamp as it runs now, in the
  // language the desktop asks for at login unless one was given.
  const auto setAutostart = [&given, autostartFile](bool on, bool above) {
    QString error;
    if (!qm::host::SetAutostart(autostartFile, on, QCoreApplication::applicationFilePath(),
                                qm::host::AutostartArguments(given, above), &error))
      std::fprintf(stderr, "quillmark-host: %s\n", error.toLocal8Bit().constData());
  };
#if defined(QM_WITH_WAYLAND)
  if (choice.layerSurface) {
    qm::LayerSurfaceStamp stamp(std::move(wayland), host, store, keyPrefix);
    stamp.SetAbove(options.above.value_or(stamp.StoredAbove().value_or(true)));
    stamp.SetLocked(options.locked || stamp.StoredLocked().value_or(false));
    stamp.SetMenuExtender([&stamp, autostartFile, setAutostart] {
      const bool on = QFileInfo::exists(autostartFile);
      return qm::MenuEntry{qm::StampWindow::tr("Запускать при входе"), true, on, false,
                           [&stamp, on, setAutostart] { setAutostart(!on, stamp.Above()); }};
    });
    qm::platform::QuitSignals quitSignals;
    QObject::connect(&quitSignals, &qm::platform::QuitSignals::quitRequested, &stamp,
                     &qm::LayerSurfaceStamp::Quit);
    host.Start();
    stamp.Show();
    QTimer::singleShot(0, [] {
      QApplication::setWindowIcon(qm::render::AppIcon());
      ReturnFreedMemory();
    });
    return QApplication::exec();
  }
  wayland.reset();
#endif
  qm::StampWindow window(host, store, keyPrefix);
  window.SetAbove(options.above.value_or(window.StoredAbove().value_or(true)));
  window.SetLocked(options.locked || window.StoredLocked().value_or(false));
  window.SetMenuExtender([&window, autostartFile, setAutostart](QMenu& menu) {
    QAction* a = menu.addAction(qm::StampWindow::tr("Запускать при входе"));
    a->setCheckable(true);
    a->setChecked(QFileInfo::exists(autostartFile));
    QObject::connect(a, &QAction::toggled, &window,
                     [&window, setAutostart](bool on) { setAutostart(on, window.Above()); });
  });
  // Asked to end from outside (Ctrl+C, a session that ends): as "Выход", so
  // an open editor hears that we are gone.
  qm::platform::QuitSignals quitSignals;
  QObject::connect(&quitSignals, &qm::platform::QuitSignals::quitRequested, &window,
                   &qm::StampWindow::Quit);
  // Drawn for the screen it will show on, once.
  host.SetDevicePixelRatio(window.devicePixelRatioF());
  // A stamp that stood on the desktop before shows at the size it had, and
  // is drawn once it is there: the font list and the picture are read while
  // the window manager puts the window up. A first start has no size to show
  // at but its drawing's.
  const bool sizeKept = window.TakeKeptSize();
  if (sizeKept)
    host.Listen();
  else
    host.Start();
  window.PlaceOnScreen();
  SetIconAfterFirstPaint(window);
  window.show();
  if (sizeKept) {
    qm::ui::SendToWindowSystem();
    host.Start();
  }
  return QApplication::exec();
}
