#pragma once
// The test's X display as a user meets it: a window manager (openbox) that
// frames, places and stacks the windows, windows found by the programs that
// own them, their properties as the desktop reads them (xprop), real pointer
// and key events (xdotool, through the XTEST extension), the pixels on the
// screen, and a window manager's request to close a window.

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QScreen>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "support/Processes.h"

namespace qm::test {

// xdotool's standard output, or nullopt when it failed.
inline std::optional<QString> XDoTool(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral("xdotool"), args);
  if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
    return std::nullopt;
  return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// A property of a window (or of the root window for 0) as xprop prints it
// after "NAME(TYPE) = " or "NAME(TYPE): " ("window id # 0x…" for a window),
// or "NAME:  not found."; empty when xprop failed.
inline QString Property(quint32 window, const char* name) {
  QProcess p;
  QStringList args;
  if (window == 0)
    args << QStringLiteral("-root");
  else
    args << QStringLiteral("-id") << QString::number(window);
  p.start(QStringLiteral("xprop"), args << QString::fromLatin1(name));
  if (!p.waitForFinished(10000) || p.exitCode() != 0) return {};
  const QString out = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
  const qsizetype type = out.indexOf(u')');
  if (type < 0 || type + 1 >= out.size()) return out;
  return out.mid(type + 2).trimmed().remove(QRegularExpression(QStringLiteral("^= ")));
}

// The window manager of the display, running while the object lives: each
// test meets it fresh, with its stacking and focus as a user's session starts.
class WindowManager {
 public:
  WindowManager() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Its own settings and log, never the user's.
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home_.filePath(QStringLiteral("cache")));
    wm_.setProcessEnvironment(env);
    wm_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    wm_.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    // It is ready once it names itself on the root window, and has taken a
    // window of ours in hand: it names itself before it manages windows.
    ready_ =
        wm_.waitForStarted(10000) &&
        QTest::qWaitFor(
            [] { return Property(0, "_NET_SUPPORTING_WM_CHECK").startsWith(u"window id"); }, 20000);
    if (ready_) {
      // (Not every first window of a test program is reported managed in
      // time, so the probe only makes the wait longer where it can.)
      QWindow probe;
      probe.setGeometry(0, 0, 8, 8);
      probe.show();
      const auto id = quint32(probe.winId());
      [[maybe_unused]] const bool managed =
          QTest::qWaitFor([id] { return !Property(id, "WM_STATE").contains(u"not found"); }, 5000);
    }
  }
  ~WindowManager() {
    wm_.terminate();
    if (!wm_.waitForFinished(5000)) {
      wm_.kill();
      wm_.waitForFinished(5000);
    }
  }
  bool Ready() const { return ready_; }

 private:
  QTemporaryDir home_;
  QProcess wm_;
  bool ready_ = false;
};

// The window that has the keyboard focus, as the window manager says.
inline QString ActiveWindow() { return Property(0, "_NET_ACTIVE_WINDOW"); }

// The mapped windows of a process, those whose title matches `name` (a
// regular expression) when one is given.
inline QList<quint32> WindowsOf(qint64 pid, const QString& name = {}) {
  QList<quint32> out;
  QStringList args{QStringLiteral("search"), QStringLiteral("--all"),
                   QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), QString::number(pid)};
  if (!name.isEmpty()) args << QStringLiteral("--name") << name;
  const auto ids = XDoTool(args);
  if (!ids) return out;
  for (const QString& id : ids->split(u'\n', Qt::SkipEmptyParts)) out << id.toUInt();
  return out;
}

// Where a window's inner area lies on the screen; null when it is gone.
inline QRect Geometry(quint32 window) {
  const auto shell = XDoTool(
      {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), QString::number(window)});
  if (!shell) return {};
  int x = 0, y = 0, w = 0, h = 0;
  for (const QString& line : shell->split(u'\n')) {
    const QString value = line.section(u'=', 1);
    if (line.startsWith(u"X=")) x = value.toInt();
    if (line.startsWith(u"Y=")) y = value.toInt();
    if (line.startsWith(u"WIDTH=")) w = value.toInt();
    if (line.startsWith(u"HEIGHT=")) h = value.toInt();
  }
  return QRect(x, y, w, h);
}

// The pointer moves (without waiting for the move to be seen: a wait for a
// move to where the pointer already is would never end), then clicks.
inline bool Click(const QPoint& at, int button = 1, int repeat = 1) {
  return XDoTool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                  QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(repeat),
                  QStringLiteral("--delay"), QStringLiteral("60"), QString::number(button)})
      .has_value();
}

// Presses at `from`, moves the pointer to `to` and lets go there.
inline bool Drag(const QPoint& from, const QPoint& to) {
  const auto move = [](const QPoint& p) {
    return QStringList{QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())};
  };
  return XDoTool(move(from) + QStringList{QStringLiteral("mousedown"), QStringLiteral("1")} +
                 move((from + to) / 2) + move(to) +
                 QStringList{QStringLiteral("mouseup"), QStringLiteral("1")})
      .has_value();
}

inline bool Keys(const QStringList& keys) {
  return XDoTool(
             QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("30")} +
             keys)
      .has_value();
}

inline bool Type(const QString& text) {
  return XDoTool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text})
      .has_value();
}

// What the screen shows in `area`.
inline QImage Grab(const QRect& area) {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen || area.isEmpty()) return {};
  return screen->grabWindow(0, area.x(), area.y(), area.width(), area.height())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}

// What a window manager sends when the user closes a window: the program
// closes it the way it closes on its own.
inline bool RequestClose(quint32 window) {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* c = x11 ? x11->connection() : nullptr;
  if (!c) return false;
  const auto atom = [c](const char* name) {
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
  };
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = window;
  ev.type = atom("WM_PROTOCOLS");
  ev.data.data32[0] = atom("WM_DELETE_WINDOW");
  ev.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ev));
  return xcb_flush(c) > 0;
}

}  // namespace qm::test
