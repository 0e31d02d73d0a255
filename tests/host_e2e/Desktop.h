#pragma once
// The test's X display as a user meets it: windows found by the programs that
// own them, real pointer and key events (xdotool, through the XTEST
// extension), the pixels on the screen, and a window manager's request to
// close a window.

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QRect>
#include <QScreen>
#include <QStringList>
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
