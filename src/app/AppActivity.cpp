#include "app/AppActivity.h"

#include <QApplicationStateChangeEvent>
#include <QGuiApplication>

namespace qm {

AppActivity::~AppActivity() { Follow(false); }

void AppActivity::Follow(bool on) {
  if (on == following_ || !qApp) return;
  following_ = on;
  if (on) {
    appActive_ = QGuiApplication::applicationState() == Qt::ApplicationActive;
    qApp->installEventFilter(this);
  } else {
    qApp->removeEventFilter(this);
  }
}

bool AppActivity::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ApplicationStateChange)
    appActive_ = static_cast<QApplicationStateChangeEvent*>(event)->applicationState() ==
                 Qt::ApplicationActive;
  return QObject::eventFilter(watched, event);
}

}  // namespace qm
