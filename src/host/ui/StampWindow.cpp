#include "host/ui/StampWindow.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <cstdio>

#include "host/StampHost.h"
#include "host/StampPlace.h"
#include "render/StampFont.h"
#include "settings/UserSettings.h"

namespace qm {
namespace {

const QString kPlaceKey = QStringLiteral("Place");

}  // namespace

StampWindow::StampWindow(host::StampHost& host, settings::UserSettings& store, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::NoDropShadowWindowHint),
      host_(host),
      store_(store) {
  setObjectName(QStringLiteral("frmStamp"));
  setWindowTitle(QStringLiteral("Quillmark"));
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_ShowWithoutActivating);
  // The stamp is hardly ever the active window, and its tooltip is where it
  // says what is wrong.
  setAttribute(Qt::WA_AlwaysShowToolTips);
  connect(&host_, &host::StampHost::stampChanged, this, &StampWindow::ShowStamp);
  host_.Link().SetStampFrame([this] { return isVisible() ? frameGeometry() : QRect(); });
  ShowStamp();
}

void StampWindow::ShowStamp() {
  // Nothing is drawn before the host starts.
  if (!host_.StampSize().isEmpty()) setFixedSize(host_.StampSize());
  setToolTip(host_.Tooltip());
  update();
}

void StampWindow::PlaceOnScreen() {
  QList<QRect> screens;
  if (const QScreen* primary = QGuiApplication::primaryScreen())
    screens << primary->availableGeometry();
  for (const QScreen* s : QGuiApplication::screens())
    if (s != QGuiApplication::primaryScreen()) screens << s->availableGeometry();
  move(host::StampPlace(store_.GetS(kPlaceKey, QString()), size(), screens));
}

void StampWindow::showEvent(QShowEvent* event) {
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
  dragging_ = true;
  moved_ = false;
  grab_ = event->globalPosition().toPoint() - pos();
}

void StampWindow::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_ || !(event->buttons() & Qt::LeftButton)) return;
  const QPoint to = event->globalPosition().toPoint() - grab_;
  if (to == pos()) return;
  moved_ = true;
  move(to);
}

void StampWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !dragging_) return QWidget::mouseReleaseEvent(event);
  dragging_ = false;
  // Kept once, where the drag ended.
  if (!moved_) return;
  // A place that cannot be kept is said once, and tried again after the next
  // drag; the stamp stays where it was put for this run all the same.
  const bool saved = store_.SetS(kPlaceKey, host::StampPlaceText(pos()));
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
  host_.CloseEditor();
  QCoreApplication::quit();
}

}  // namespace qm
