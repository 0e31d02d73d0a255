#pragma once
// A Wayland desktop of the test's own: sway on its headless backend with one
// output of a fixed size, run as a normal user (sway refuses to run as root;
// as root the test makes that user first). Clients run as that user too, in
// the desktop's runtime folder; its pixels come from grim, its pointer and
// its windows from swaymsg.

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wayland-client.h>
#include <wlr-virtual-pointer-unstable-v1-client.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <optional>

namespace qm::test {

// A pointer device of the test's own. The headless compositor has no input
// devices, so its seat has no pointer and no client may ask for one; with
// this device it has, and the compositor's cursor commands drive it.
class PointerDevice {
 public:
  ~PointerDevice() {
    if (pointer_) zwlr_virtual_pointer_v1_destroy(pointer_);
    if (manager_) zwlr_virtual_pointer_manager_v1_destroy(manager_);
    if (seat_) wl_seat_destroy(seat_);
    if (registry_) wl_registry_destroy(registry_);
    if (display_) wl_display_disconnect(display_);
  }
  bool Plug(const QString& socket) {
    display_ = wl_display_connect(socket.toLocal8Bit().constData());
    if (!display_) return false;
    registry_ = wl_display_get_registry(display_);
    static const wl_registry_listener kListener = {
        .global =
            [](void* data, wl_registry* r, uint32_t name, const char* interface, uint32_t) {
              auto* d = static_cast<PointerDevice*>(data);
              if (std::strcmp(interface, wl_seat_interface.name) == 0 && !d->seat_)
                d->seat_ = static_cast<wl_seat*>(wl_registry_bind(r, name, &wl_seat_interface, 1));
              if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
                d->manager_ = static_cast<zwlr_virtual_pointer_manager_v1*>(
                    wl_registry_bind(r, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
            },
        .global_remove = [](void*, wl_registry*, uint32_t) {},
    };
    wl_registry_add_listener(registry_, &kListener, this);
    if (wl_display_roundtrip(display_) < 0 || !seat_ || !manager_) return false;
    pointer_ = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager_, seat_);
    return wl_display_roundtrip(display_) >= 0;
  }
  // Moves the pointer as a hand on a device does, to `to` on an output of
  // `size`.
  bool MoveTo(const QPoint& to, const QSize& size) {
    zwlr_virtual_pointer_v1_motion_absolute(pointer_, ++time_, uint32_t(to.x()), uint32_t(to.y()),
                                            uint32_t(size.width()), uint32_t(size.height()));
    zwlr_virtual_pointer_v1_frame(pointer_);
    return wl_display_roundtrip(display_) >= 0;
  }

 private:
  wl_display* display_ = nullptr;
  wl_registry* registry_ = nullptr;
  wl_seat* seat_ = nullptr;
  zwlr_virtual_pointer_manager_v1* manager_ = nullptr;
  zwlr_virtual_pointer_v1* pointer_ = nullptr;
  uint32_t time_ = 0;
};

class SwayDesktop {
 public:
  ~SwayDesktop() { Stop(); }

  // Starts the compositor and waits until it answers. `skip` says why it
  // cannot run here at all (no user to run it as, no sway), `error` why it
  // failed.
  bool Start(const QSize& size, QString* skip, QString* error) {
    if (!FindUser(skip)) return false;
    size_ = size;
    if (QStandardPathsFindSway().isEmpty()) {
      *skip = QStringLiteral("sway is not installed (scripts/install-deps.sh installs it)");
      return false;
    }
    if (!dir_.isValid()) return Fail(error, QStringLiteral("no temporary folder"));
    QDir(dir_.path()).mkpath(QStringLiteral("config"));
    const QString config = dir_.filePath(QStringLiteral("sway.conf"));
    QFile f(config);
    if (!f.open(QIODevice::WriteOnly)) return Fail(error, QStringLiteral("cannot write config"));
    f.write(QStringLiteral("output HEADLESS-1 resolution %1x%2 position 0 0\n"
                           "default_border none\nxwayland disable\n")
                .arg(size.width())
                .arg(size.height())
                .toUtf8());
    f.close();
    // The runtime folder is the user's alone, as a login gives it.
    if (::chmod(dir_.path().toLocal8Bit().constData(), 0700) != 0 || !GiveToUser(dir_.path()))
      return Fail(error, QStringLiteral("cannot hand the runtime folder to the user"));
    sway_.setProcessEnvironment(BaseEnvironment());
    sway_.setStandardOutputFile(dir_.filePath(QStringLiteral("sway.log")));
    sway_.setStandardErrorFile(dir_.filePath(QStringLiteral("sway.log")));
    RunAsUser(sway_);
    sway_.start(QStringLiteral("sway"), {QStringLiteral("-c"), config});
    if (!sway_.waitForStarted(10000)) return Fail(error, QStringLiteral("sway did not start"));
    const bool up = QTest::qWaitFor(
        [&] {
          if (sway_.state() == QProcess::NotRunning) return true;
          FindSockets();
          return !ipc_.isEmpty() && !display_.isEmpty() &&
                 SwayMsg({QStringLiteral("-t"), QStringLiteral("get_outputs")}).has_value();
        },
        20000);
    if (!up || sway_.state() == QProcess::NotRunning)
      return Fail(error, QStringLiteral("sway did not come up: ") + Log());
    if (!pointer_.Plug(dir_.filePath(display_)))
      return Fail(error, QStringLiteral("no pointer device could be plugged in"));
    const bool pointer = QTest::qWaitFor(
        [&] {
          const auto seats = SwayMsg({QStringLiteral("-t"), QStringLiteral("get_seats")});
          if (!seats) return false;
          for (const QJsonValue& seat : QJsonDocument::fromJson(*seats).array())
            if (seat.toObject().value(QStringLiteral("capabilities")).toInt() & 1) return true;
          return false;
        },
        10000);
    if (!pointer) return Fail(error, QStringLiteral("the seat has no pointer"));
    return Park();
  }

  void Stop() {
    if (sway_.state() == QProcess::NotRunning) return;
    sway_.terminate();
    if (!sway_.waitForFinished(5000)) {
      sway_.kill();
      sway_.waitForFinished(5000);
    }
  }

  QString Dir() const { return dir_.path(); }
  QString Log() const {
    QFile f(dir_.filePath(QStringLiteral("sway.log")));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll().right(2000)) : QString();
  }

  // What a client of this desktop sees: its display, its own folders.
  QProcessEnvironment Environment() const {
    QProcessEnvironment env = BaseEnvironment();
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), display_);
    env.insert(QStringLiteral("SWAYSOCK"), ipc_);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir_.filePath(QStringLiteral("data")));
    return env;
  }

  // The process starts as the desktop's user, and ends with the test.
  void RunAsUser(QProcess& p) const {
    const uid_t uid = uid_;
    const gid_t gid = gid_;
    p.setChildProcessModifier([uid, gid] {
      if (::geteuid() == 0 && uid != 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) ::_exit(126);
      }
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
  }

  // Hands a file or folder (and what lies in it) to the desktop's user.
  bool GiveToUser(const QString& path) const {
    if (::geteuid() != 0) return true;
    return QProcess::execute(
               QStringLiteral("chown"),
               {QStringLiteral("-R"), QStringLiteral("%1:%2").arg(uid_).arg(gid_), path}) == 0;
  }

  // swaymsg's standard output, or nullopt when it failed.
  std::optional<QByteArray> SwayMsg(const QStringList& args) const {
    QProcess p;
    p.setProcessEnvironment(Environment());
    RunAsUser(p);
    p.start(QStringLiteral("swaymsg"), args);
    if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
      return std::nullopt;
    return p.readAllStandardOutput();
  }

  // The seat's pointer: "set X Y", "move DX DY", "press button1", ...
  bool Pointer(const QStringList& what) const {
    // "--": a move by a negative distance is not an option.
    return SwayMsg(QStringList{QStringLiteral("--"), QStringLiteral("seat"),
                               QStringLiteral("seat0"), QStringLiteral("cursor")} +
                   what)
        .has_value();
  }
  bool PointerAt(const QPoint& at) const {
    return Pointer({QStringLiteral("set"), QString::number(at.x()), QString::number(at.y())});
  }
  bool Click(const QPoint& at, int button = 1) const {
    const QString b = QStringLiteral("button%1").arg(button);
    return PointerAt(at) && Pointer({QStringLiteral("press"), b}) &&
           Pointer({QStringLiteral("release"), b}) && Park();
  }
  // The compositor draws the pointer into what grim reads: it waits in the
  // bottom right corner, where ParkedPointer() leaves it out of comparisons.
  bool Park() const { return PointerAt(QPoint(size_.width() - 1, size_.height() - 1)); }
  QRect ParkedPointer() const { return QRect(size_.width() - 64, size_.height() - 64, 64, 64); }
  // Moves the pointer as the device does (see Drag).
  bool MoveTo(const QPoint& to) { return pointer_.MoveTo(to, size_); }
  // Presses at `from`, moves by `by` in two steps and lets go. The moves
  // come from the pointer device: while a button is down the compositor's
  // cursor command moves the cursor without telling the surface under it.
  bool Drag(const QPoint& from, const QPoint& by) {
    return PointerAt(from) && Pointer({QStringLiteral("press"), QStringLiteral("button1")}) &&
           pointer_.MoveTo(from + by / 2, size_) && pointer_.MoveTo(from + by, size_) &&
           Pointer({QStringLiteral("release"), QStringLiteral("button1")}) && Park();
  }

  // The whole output as the compositor shows it.
  QImage Screen() const {
    const QString file = dir_.filePath(QStringLiteral("screen.png"));
    QFile::remove(file);
    QProcess p;
    p.setProcessEnvironment(Environment());
    RunAsUser(p);
    p.start(QStringLiteral("grim"), {file});
    if (!p.waitForFinished(10000) || p.exitCode() != 0) return {};
    return QImage(file).convertToFormat(QImage::Format_RGB32);
  }

  // Where the compositor shows the window of a process; null when it shows
  // none.
  QRect WindowOf(qint64 pid) const {
    const auto tree = SwayMsg({QStringLiteral("-t"), QStringLiteral("get_tree")});
    return tree ? FindRect(QJsonDocument::fromJson(*tree).object(), pid) : QRect();
  }

  // The processes of the windows the compositor manages (its tree lists
  // ordinary windows, never layer surfaces).
  QList<qint64> WindowProcesses() const {
    QList<qint64> out;
    const auto tree = SwayMsg({QStringLiteral("-t"), QStringLiteral("get_tree")});
    if (tree) Collect(QJsonDocument::fromJson(*tree).object(), out);
    return out;
  }

 private:
  static QString QStandardPathsFindSway() {
    for (const QString& d : qEnvironmentVariable("PATH", QStringLiteral("/usr/bin")).split(u':'))
      if (QFile::exists(d + QStringLiteral("/sway"))) return d + QStringLiteral("/sway");
    return {};
  }
  static bool Fail(QString* error, const QString& why) {
    *error = why;
    return false;
  }
  static QRect FindRect(const QJsonObject& node, qint64 pid) {
    if (node.value(QStringLiteral("pid")).toInteger() == pid) {
      const QJsonObject r = node.value(QStringLiteral("rect")).toObject();
      return QRect(r.value(QStringLiteral("x")).toInt(), r.value(QStringLiteral("y")).toInt(),
                   r.value(QStringLiteral("width")).toInt(),
                   r.value(QStringLiteral("height")).toInt());
    }
    for (const char* key : {"nodes", "floating_nodes"})
      for (const QJsonValue& child : node.value(QLatin1String(key)).toArray())
        if (const QRect r = FindRect(child.toObject(), pid); !r.isNull()) return r;
    return {};
  }
  static void Collect(const QJsonObject& node, QList<qint64>& out) {
    if (node.contains(QStringLiteral("pid"))) out << node.value(QStringLiteral("pid")).toInteger();
    for (const char* key : {"nodes", "floating_nodes"})
      for (const QJsonValue& child : node.value(QLatin1String(key)).toArray())
        Collect(child.toObject(), out);
  }

  // Root runs sway as a user of the test's own, made when missing.
  bool FindUser(QString* skip) {
    if (::geteuid() != 0) {
      uid_ = ::getuid();
      gid_ = ::getgid();
      return true;
    }
    const char* name = "quillmark-test";
    if (!::getpwnam(name))
      QProcess::execute(QStringLiteral("useradd"),
                        {QStringLiteral("--no-create-home"), QStringLiteral("--shell"),
                         QStringLiteral("/usr/sbin/nologin"), QString::fromLatin1(name)});
    // Another test program may be making it at the same moment.
    const passwd* pw = nullptr;
    (void)QTest::qWaitFor([&] { return (pw = ::getpwnam(name)) != nullptr; }, 5000);
    if (!pw || pw->pw_uid == 0) {
      *skip = QStringLiteral(
          "running as root and no user \"quillmark-test\" could be made to run sway as");
      return false;
    }
    uid_ = pw->pw_uid;
    gid_ = pw->pw_gid;
    return true;
  }

  QProcessEnvironment BaseEnvironment() const {
    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    env.insert(QStringLiteral("HOME"), dir_.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.path());
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    env.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    env.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    return env;
  }

  void FindSockets() {
    const QDir d(dir_.path());
    const QStringList ipc = d.entryList({QStringLiteral("sway-ipc.*.sock")}, QDir::System);
    if (!ipc.isEmpty()) ipc_ = d.filePath(ipc.first());
    for (const QString& s : d.entryList({QStringLiteral("wayland-*")}, QDir::System))
      if (!s.endsWith(QStringLiteral(".lock"))) display_ = s;
  }

  QTemporaryDir dir_{QDir::tempPath() + QStringLiteral("/quillmark-sway-XXXXXX")};
  uid_t uid_ = 0;
  gid_t gid_ = 0;
  QProcess sway_;
  QString ipc_;
  QString display_;
  PointerDevice pointer_;
  QSize size_;
};

// Where `now` differs from `before` outside `ignored`: the bounding box of
// the changed pixels.
inline QRect ChangedArea(const QImage& before, const QImage& now, const QRect& ignored) {
  if (before.size() != now.size()) return {};
  int left = now.width(), top = now.height(), right = -1, bottom = -1;
  for (int y = 0; y < now.height(); ++y) {
    const auto* a = reinterpret_cast<const QRgb*>(before.constScanLine(y));
    const auto* b = reinterpret_cast<const QRgb*>(now.constScanLine(y));
    for (int x = 0; x < now.width(); ++x) {
      if (a[x] == b[x] || ignored.contains(x, y)) continue;
      left = qMin(left, x);
      right = qMax(right, x);
      top = qMin(top, y);
      bottom = qMax(bottom, y);
    }
  }
  return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

}  // namespace qm::test
