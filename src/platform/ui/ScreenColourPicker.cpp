#include "platform/ui/ScreenColourPicker.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QRandomGenerator>
#include <QScreen>
#include <QWidget>

#include "platform/ui/PortalColourPicker.h"

using namespace Qt::StringLiterals;

namespace qm::ui {

void ScreenColourPicker::Finish(const QColor& colour) {
  if (!picking_) return;
  picking_ = false;
  if (colour.isValid())
    Q_EMIT Picked(colour);
  else
    Q_EMIT Cancelled();
}

namespace {

// X11: any program may read the screen, and a window that grabs the pointer
// hears of every click, wherever it lands.
class PointerGrabPicker final : public ScreenColourPicker {
 public:
  void Start(QWidget* anchor) override {
    if (picking_ || !anchor || !anchor->isVisible()) return;
    picking_ = true;
    anchor_ = anchor;
    anchor_->installEventFilter(this);
    anchor_->grabMouse(Qt::CrossCursor);
    anchor_->grabKeyboard();
  }
  ~PointerGrabPicker() override { Release(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != anchor_) return false;
    switch (event->type()) {
      case QEvent::MouseButtonRelease: {
        const auto* e = static_cast<QMouseEvent*>(event);
        const QPoint at = e->globalPosition().toPoint();
        Release();
        Finish(e->button() == Qt::LeftButton ? PixelAt(at) : QColor());
        return true;
      }
      case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
          Release();
          Finish(QColor());
        }
        return true;
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
      case QEvent::KeyRelease:
      case QEvent::Wheel:
        // The pick's own: the control under the grab must not act on them.
        return true;
      case QEvent::Hide:
        // A window that goes away cannot hold the pointer any longer.
        Release();
        Finish(QColor());
        return false;
      default:
        return false;
    }
  }

 private:
  static QColor PixelAt(const QPoint& at) {
    QScreen* screen = QGuiApplication::screenAt(at);
    if (!screen) return {};
    const QPoint inScreen = at - screen->geometry().topLeft();
    const QImage pixel = screen->grabWindow(0, inScreen.x(), inScreen.y(), 1, 1).toImage();
    if (pixel.isNull()) return {};
    return pixel.pixelColor(0, 0);
  }
  void Release() {
    if (!anchor_) return;
    anchor_->removeEventFilter(this);
    anchor_->releaseKeyboard();
    anchor_->releaseMouse();
    anchor_ = nullptr;
  }

  QPointer<QWidget> anchor_;
};

}  // namespace

namespace {

const QString kPortalService = u"org.freedesktop.portal.Desktop"_s;
const QString kPortalPath = u"/org/freedesktop/portal/desktop"_s;
const QString kScreenshot = u"org.freedesktop.portal.Screenshot"_s;
const QString kRequest = u"org.freedesktop.portal.Request"_s;

}  // namespace

void PortalColourPicker::WhenKnown(QObject* context, std::function<void(bool)> answer) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  QDBusMessage ask = QDBusMessage::createMethodCall(kPortalService, kPortalPath,
                                                    u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
  ask << kScreenshot << u"version"_s;
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(ask, 2000), context);
  QObject::connect(
      watcher, &QDBusPendingCallWatcher::finished, context,
      [answer = std::move(answer)](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusMessage reply = w->reply();
        // PickColor came with version 2 of the screenshot interface.
        answer(reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
               reply.arguments().constFirst().value<QDBusVariant>().variant().toUInt() >= 2);
      });
}

void PortalColourPicker::Start(QWidget*) {
  if (picking_) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  picking_ = true;
  // The request's path is known beforehand, so the answer is listened for
  // before the call can bring it.
  const QString token = u"quillmark%1"_s.arg(QRandomGenerator::global()->generate());
  QString sender = bus.baseService().mid(1);
  sender.replace(u'.', u'_');
  request_ = kPortalPath + u"/request/"_s + sender + u'/' + token;
  bus.connect(kPortalService, request_, kRequest, u"Response"_s, this,
              SLOT(OnResponse(uint, QVariantMap)));
  QDBusMessage call =
      QDBusMessage::createMethodCall(kPortalService, kPortalPath, kScreenshot, u"PickColor"_s);
  call << QString() << QVariantMap{{u"handle_token"_s, token}};
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    if (w->isError()) End(QColor());
  });
}

void PortalColourPicker::OnResponse(uint response, const QVariantMap& results) {
  QColor colour;
  const auto it = results.find(u"color"_s);
  if (response == 0 && it != results.end() && it->canConvert<QDBusArgument>()) {
    const QDBusArgument arg = it->value<QDBusArgument>();
    double r = 0, g = 0, b = 0;
    arg.beginStructure();
    arg >> r >> g >> b;
    arg.endStructure();
    colour = QColor::fromRgbF(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b));
  }
  End(colour);
}

void PortalColourPicker::End(const QColor& colour) {
  QDBusConnection::sessionBus().disconnect(kPortalService, request_, kRequest, u"Response"_s, this,
                                           SLOT(OnResponse(uint, QVariantMap)));
  Finish(colour);
}

std::unique_ptr<ScreenColourPicker> ScreenColourPicker::ForThisDesktop() {
  // Offscreen and the like have no screen of the user's to pick from.
  const QString platform = QGuiApplication::platformName();
  if (platform == u"xcb") return std::make_unique<PointerGrabPicker>();
  if (platform.startsWith(u"wayland") && QDBusConnection::sessionBus().isConnected())
    return std::make_unique<PortalColourPicker>();
  return nullptr;
}

}  // namespace qm::ui
