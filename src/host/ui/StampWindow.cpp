#include "host/ui/StampWindow.h"

#include <QActionGroup>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cstdio>

#include "host/StampChoices.h"
#include "host/StampHost.h"
#include "host/ui/DesktopWindow.h"
#include "render/StampFont.h"
#include "settings/UserKeys.h"
#include "settings/UserSettings.h"

namespace qm {
namespace {

// The screens, the primary first.
QList<host::ScreenArea> Screens() {
  QList<host::ScreenArea> out;
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (primary)
    out << host::ScreenArea{primary->name(), primary->geometry(), primary->availableGeometry()};
  for (const QScreen* s : QGuiApplication::screens())
    if (s != primary) out << host::ScreenArea{s->name(), s->geometry(), s->availableGeometry()};
  return out;
}

}  // namespace

StampWindow::StampWindow(host::StampHost& host, settings::UserSettings& store,
                         const QString& keyPrefix, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint),
      host_(host),
      store_(store),
      keyPrefix_(keyPrefix) {
  setObjectName(QStringLiteral("frmStamp"));
  setWindowTitle(QStringLiteral("Quillmark"));
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_ShowWithoutActivating);
  // The stamp is hardly ever the active window, and its tooltip is where it
  // says what is wrong.
  setAttribute(Qt::WA_AlwaysShowToolTips);
  connect(&host_, &host::StampHost::stampChanged, this, &StampWindow::ShowStamp);
  host_.Link().SetStampFrame([this] { return isVisible() ? frameGeometry() : QRect(); });
  // A monitor plugged in or out, or a panel that grows: the stamp keeps its
  // place on what is left.
  const auto follow = [this] {
    if (placed_) StandAtPlace();
  };
  const auto watch = [this, follow](QScreen* s) {
    connect(s, &QScreen::availableGeometryChanged, this, follow);
  };
  for (QScreen* s : QGuiApplication::screens()) watch(s);
  connect(qApp, &QGuiApplication::screenAdded, this, [watch, follow](QScreen* s) {
    watch(s);
    follow();
  });
  connect(qApp, &QGuiApplication::screenRemoved, this, follow, Qt::QueuedConnection);
  connect(qApp, &QGuiApplication::primaryScreenChanged, this, follow);
  keepArea_ = new QTimer(this);
  keepArea_->setSingleShot(true);
  keepArea_->setInterval(1000);
  connect(keepArea_, &QTimer::timeout, this, &StampWindow::KeepArea);
  ShowStamp();
}

std::optional<bool> StampWindow::StoredAbove() const {
  return host::StoredAbove(store_, keyPrefix_);
}

std::optional<bool> StampWindow::StoredLocked() const {
  return host::StoredLocked(store_, keyPrefix_);
}

void StampWindow::ShowStamp() {
  // Nothing is drawn before the host starts.
  const QSize size = host_.StampSize();
  if (!size.isEmpty() && size != this->size()) {
    // The new size is taken at the stamp's place in one step: a resize alone
    // would keep a top left corner the window system may not have told yet.
    if (placed_) {
      StandAt(host::PlaceRect(place_, size, Screens()));
      keepArea_->start();
    }
    setFixedSize(size);
  }
  setToolTip(host_.Tooltip());
  update();
}

bool StampWindow::TakeKeptSize() {
  const auto area = host::ParseArea(store_.Get(settings::kStampArea, keyPrefix_));
  if (!area || area->isEmpty()) return false;
  // A hand-edited area could ask for any size; the window is only ever as
  // big as a screen would allow a stamp to be.
  constexpr int kLargest = 1 << 14;
  if (area->width() > kLargest || area->height() > kLargest) return false;
  setFixedSize(area->size());
  return true;
}

void StampWindow::PlaceOnScreen() {
  const QList<host::ScreenArea> screens = Screens();
  const QString stored = store_.Get(settings::kStampPlace, keyPrefix_);
  place_ = host::ReadPlace(stored, size(), screens);
  placed_ = true;
  if (stored.isEmpty()) {
    // A stamp that has no place yet starts beside those that have one, and
    // keeps that place: the next new stamp steps aside from it in turn.
    QList<QRect> others;
    for (const QString& key : store_.Keys())
      if (key.endsWith(settings::kStampArea.name) &&
          key != keyPrefix_ + settings::kStampArea.name.toString())
        if (const auto r = host::ParseArea(store_.GetS(key, QString()))) others << *r;
    place_ = host::PlaceOf(
        host::BesideOthers(host::PlaceRect(place_, size(), screens), others, screens), screens);
    store_.Set(settings::kStampPlace, host::PlaceText(place_), keyPrefix_);
  }
  StandAtPlace();
  KeepArea();
}

void StampWindow::KeepArea() {
  keepArea_->stop();
  // Kept for the next new stamp to step aside from, and for the next start
  // to show at; a start where the stamp stood last time has nothing new to
  // say, and leaves the file (its lock, its flush to disk) alone.
  const QString area = host::AreaText(at_);
  if (store_.Get(settings::kStampArea, keyPrefix_) != area)
    store_.Set(settings::kStampArea, area, keyPrefix_);
}

void StampWindow::StandAtPlace() { StandAt(host::PlaceRect(place_, size(), Screens())); }

void StampWindow::StandAt(const QRect& at) {
  at_ = at;
  setGeometry(at);
}

void StampWindow::SetAbove(bool above) {
  above_ = above;
  Qt::WindowFlags flags = windowFlags();
  flags.setFlag(Qt::WindowStaysOnTopHint, above);
  flags.setFlag(Qt::WindowStaysOnBottomHint, !above);
  if (flags == windowFlags()) return;
  // Changed in place: setWindowFlags() would hide the window and show it
  // again wherever the window manager likes.
  overrideWindowFlags(flags);
  if (QWindow* w = windowHandle()) w->setFlags(flags);
}

void StampWindow::showEvent(QShowEvent* event) {
  // Before the window is mapped for the first time, while the window manager
  // still reads the states it starts with.
  if (!marked_) {
    marked_ = true;
    desktop::MarkAsDesktopWidget(windowHandle());
  }
  QWidget::showEvent(event);
  // Drawn for the screen we are on, and again when we land on another.
  if (QWindow* w = windowHandle())
    connect(w, &QWindow::screenChanged, this, &StampWindow::FollowScreen, Qt::UniqueConnection);
  FollowScreen();
}

void StampWindow::FollowScreen() { host_.SetDevicePixelRatio(devicePixelRatioF()); }

void StampWindow::paintEvent(QPaintEvent*) {
  // The window starts each paint transparent, so the stamp's own alpha is
  // what shows: the desktop through the gaps. Drawn over that, unscaled, the
  // image takes the painter's quickest road.
  QPainter p(this);
  p.drawImage(QPointF(0, 0), host_.Image());
}

void StampWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  if (locked_) return;
  // A Wayland client cannot move its own window: the compositor moves it
  // with the pointer. Elsewhere the window moves itself, so that it lands
  // exactly where it is dragged and snaps onto the screen's edges.
  if (QGuiApplication::platformName().startsWith(u"wayland")) {
    if (QWindow* w = windowHandle()) w->startSystemMove();
    return;
  }
  dragging_ = true;
  moved_ = false;
  pressedAt_ = event->globalPosition().toPoint();
  // Where the X server has the window now: the window manager may have moved
  // it since we put it somewhere (a move from its keyboard, say).
  at_.moveTopLeft(desktop::WindowOrigin(windowHandle()).value_or(at_.topLeft()));
  startedAt_ = at_.topLeft();
}

void StampWindow::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_ || !(event->buttons() & Qt::LeftButton)) return;
  const QPoint pointer = event->globalPosition().toPoint();
  QRect to(startedAt_ + pointer - pressedAt_, at_.size());
  // Onto the edges of the screen under the pointer when near them, and never
  // beyond them.
  const QScreen* screen = QGuiApplication::screenAt(pointer);
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (screen) to.moveTopLeft(host::SnapInto(to, screen->availableGeometry()));
  if (to == at_) return;
  moved_ = true;
  StandAt(to);
}

void StampWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !dragging_) return QWidget::mouseReleaseEvent(event);
  dragging_ = false;
  if (!moved_) return;
  // Kept once, where the drag ended, by the corner it is nearest to.
  place_ = host::PlaceOf(at_, Screens());
  StandAtPlace();
  // A place that cannot be kept is said once, and tried again after the next
  // drag; the stamp stays where it was put for this run all the same.
  const bool saved = store_.Set(settings::kStampPlace, host::PlaceText(place_), keyPrefix_) &&
                     store_.Set(settings::kStampArea, host::AreaText(at_), keyPrefix_);
  const QString problem = saved ? QString() : store_.Problem();
  if (!problem.isEmpty() && problem != saveProblem_)
    std::fprintf(stderr, "quillmark-host: cannot save %s: %s\n", qPrintable(store_.FilePath()),
                 qPrintable(problem));
  saveProblem_ = problem;
}

void StampWindow::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) host_.OpenEditor();
}

void StampWindow::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  connect(menu.addAction(tr("Настроить…")), &QAction::triggered, this,
          [this] { host_.OpenEditor(); });
  // The editor picks the font, so the list is there only while one is open.
  QMenu* fonts = menu.addMenu(tr("Шрифт"));
  fonts->setEnabled(host_.Link().EditorHandle() > 0);
  if (fonts->isEnabled()) {
    const QString current = host_.Line().Params().FontName;
    for (const QString& family : render::InstalledFontFamilies()) {
      QAction* a = fonts->addAction(family);
      a->setCheckable(true);
      a->setChecked(family == current);
      connect(a, &QAction::triggered, this, [this, family] { host_.ChooseFont(family); });
    }
  }
  menu.addSeparator();
  auto* layer = new QActionGroup(&menu);
  for (const bool above : {true, false}) {
    QAction* a = menu.addAction(above ? tr("Поверх окон") : tr("Под окнами"));
    a->setCheckable(true);
    a->setChecked(above == above_);
    layer->addAction(a);
    connect(a, &QAction::triggered, this, [this, above] {
      SetAbove(above);
      host::StoreAbove(store_, keyPrefix_, above);
    });
  }
  QAction* lock = menu.addAction(tr("Закрепить"));
  lock->setCheckable(true);
  lock->setChecked(locked_);
  connect(lock, &QAction::toggled, this, [this](bool on) {
    locked_ = on;
    host::StoreLocked(store_, keyPrefix_, on);
  });
  if (extendMenu_) extendMenu_(menu);
  menu.addSeparator();
  connect(menu.addAction(tr("Выход")), &QAction::triggered, this, &StampWindow::Quit);
  menu.exec(event->globalPos());
}

void StampWindow::closeEvent(QCloseEvent* event) {
  // Closed by the window manager (or the session ending): the same as "Выход".
  QWidget::closeEvent(event);
  Quit();
}

void StampWindow::Quit() {
  if (quitting_) return;
  quitting_ = true;
  if (keepArea_->isActive()) KeepArea();
  host_.CloseEditor();
  QCoreApplication::quit();
}

}  // namespace qm
