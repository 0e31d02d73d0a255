#include "app/FrmProgress.h"

#include <QApplication>
#include <algorithm>

#include "app/DesignGeometry.h"
#include "platform/Classic.h"
#include "platform/Twips.h"

namespace qm {

FrmProgress::FrmProgress(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::Tool) {
  setObjectName(QStringLiteral("frmProgress"));
  setFixedSize(TwipsToPixels(design::kProgressWidth), TwipsToPixels(design::kProgressHeight));
  picFrame = new QFrame(this);
  picFrame->setObjectName(QStringLiteral("picFrame"));
  picFrame->setFrameShape(QFrame::Box);
  picFrame->setGeometry(TwipsToPixels(45), TwipsToPixels(45), TwipsToPixels(4230),
                        TwipsToPixels(1035));
  fram = new QFrame(picFrame);
  fram->setObjectName(QStringLiteral("fram"));
  fram->setGeometry(TwipsToPixels(30), TwipsToPixels(-60), TwipsToPixels(4125),
                    TwipsToPixels(1020));
  lblMsg = new QLabel(tr("Загрузка..."), fram);
  lblMsg->setObjectName(QStringLiteral("lblMsg"));
  lblMsg->setGeometry(TwipsToPixels(120), TwipsToPixels(165), TwipsToPixels(3870),
                      TwipsToPixels(315));
  picProgress = new QFrame(fram);
  picProgress->setObjectName(QStringLiteral("picProgress"));
  picProgress->setFrameShape(QFrame::Panel);
  picProgress->setFrameShadow(QFrame::Sunken);
  picProgress->setGeometry(TwipsToPixels(90), TwipsToPixels(570), TwipsToPixels(3945),
                           TwipsToPixels(315));
  cmdProgress = new QPushButton(QStringLiteral("10%"), picProgress);
  cmdProgress->setObjectName(QStringLiteral("cmdProgress"));
  cmdProgress->setFocusPolicy(Qt::NoFocus);
  cmdProgress->setGeometry(0, 0, TwipsToPixels(75), picProgress->height());
}

void FrmProgress::SetBarWidth(double twips) {
  barTwips_ = twips;
  cmdProgress->setGeometry(0, 0, std::max(1, TwipsToPixels(twips)), picProgress->height());
}

void FrmProgress::Init(float left, float top, const QString& sMsg, int showAfterMs) {
  lblMsg->setText(sMsg);
  const double l = left == kNotGiven ? PixelsToTwips(x()) : left;
  const double t = top == kNotGiven ? PixelsToTwips(y()) : top;
  SetBarWidth(75);
  cmdProgress->setText(QStringLiteral("0%"));
  move(TwipsToPixels(l), TwipsToPixels(t));
  showAfterMs_ = std::max(0, showAfterMs);
  started_.start();
  if (showAfterMs_ == 0) ShowNow();
}

void FrmProgress::ShowNow() {
  show();
  SetOnTop(true, this);
  // Paint the window before the caller's work goes on.
  QApplication::processEvents();
  lastPaint_.start();
}

void FrmProgress::SetPaintInterval(int ms) { paintInterval_ = std::max(0, ms); }

void FrmProgress::Progress(float value) {
  double w = kUnitWidth * value;
  if (!(w >= 75)) w = 75;
  SetBarWidth(w);
  const auto pct = classic::CLng(value);
  cmdProgress->setText(QString::number(pct.value_or(0)) + QStringLiteral("%"));
  // The caller goes on loading without returning to the event loop: paint
  // the bar now, or the user sees no progress until the load is over. Only
  // painting happens here; no user input is handled in the middle of a load.
  // The bar alone changes.
  if (!isVisible() && showAfterMs_ > 0 && value < 100 && started_.elapsed() >= showAfterMs_) {
    showAfterMs_ = 0;
    ShowNow();
  }
  if (!isVisible()) return;
  if (value < 100 && lastPaint_.isValid() && lastPaint_.elapsed() < paintInterval_) return;
  picProgress->repaint();
  lastPaint_.start();
}

void FrmProgress::ProgressStop() {
  hide();
  close();
}

void SetOnTop(bool onTop, QWidget* window) {
  const bool visible = window->isVisible();
  window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
  // Changing the flags hides a window; put it back where it was.
  if (visible) window->show();
}

}  // namespace qm
