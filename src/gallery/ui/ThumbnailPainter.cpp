#include "gallery/ui/ThumbnailPainter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPointer>
#include <optional>
#include <utility>

#include "gallery/GalleryLayout.h"
#include "gallery/ui/GalleryArea.h"
#include "platform/Twips.h"
#include "render/PictureBox.h"

namespace qm {

// The gallery's texts keep the context they have always been translated in.
QString ThumbnailPainter::NoFile() {
  return QCoreApplication::translate("qm::Gallery", "Нет файла!");
}

QString ThumbnailPainter::TooltipOf(const QString& picture) {
  return QCoreApplication::translate("qm::Gallery", "Выбор шаблона отображения (%1)").arg(picture);
}

ThumbnailPainter::ThumbnailPainter(GalleryArea* area, QString templateRoot, QObject* parent)
    : QObject(parent), area_(area), templateRoot_(std::move(templateRoot)) {
  // The pool's threads end as soon as a paint has no more work for them:
  // kept, they would hold their stacks, allocator space and the faces of the
  // templates' fonts (about 3 MiB) for as long as the editor runs, where
  // looking the faces up again costs the next paint a few milliseconds.
  pool_.setExpiryTimeout(0);
}

ThumbnailPainter::~ThumbnailPainter() {
  if (run_) DropRun(run_);
  pool_.waitForDone();
  // Gone from a handler that ran in the middle of a paint: that paint finds
  // out when the handler returns and leaves at once; its start is paired
  // here.
  if (schedule_.Painting()) StopDrawing();
}

bool ThumbnailPainter::StartDrawing() { return drawingStart ? drawingStart() : true; }

void ThumbnailPainter::StopDrawing() {
  if (drawingStop) drawingStop();
}

int ThumbnailPainter::ThumbnailCount() const {
  const QList<gallery::TemplateRecord>* list = templates ? templates() : nullptr;
  return list ? static_cast<int>(qMin<qsizetype>(list->size(), GalleryArea::kMaxThumbnails)) : 0;
}

// The paint waits for its drawings in an event loop of its own, and stays:
// its callers (the start-up, a category chosen, a template applied from the
// host) go on with the thumbnails all drawn and laid out, and the user input
// that comes meanwhile is held back until then rather than handled against
// half a category.
void ThumbnailPainter::PaintAll() {
  if (!schedule_.Ask()) return;
  if (!StartDrawing()) return;
  const QPointer<ThumbnailPainter> alive(this);
  schedule_.Begin();
  area_->lblWaitPic->show();
  area_->lblWaitPic->raise();
  // Once, so that the label is drawn; a click meanwhile must not start
  // another gesture in the middle of this repaint.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  // The window (and this painter with it) may have gone in any of the event
  // rounds of this paint; the destructor has paired the drawing start.
  if (!alive) return;
  const QPointer<QWidget> window = area_->window();
  const bool shown = window->isVisible();
  bool closed = false;

  int count = 0;
  for (gallery::PaintSchedule::Next next = gallery::PaintSchedule::Next::StartOver;
       next == gallery::PaintSchedule::Next::StartOver;) {
    schedule_.RoundBegun();
    const QList<gallery::TemplateRecord>* templates = this->templates ? this->templates() : nullptr;
    run_ = StartRun(templates);
    count = run_->Count();
    // Each thumbnail goes to its place as soon as it is drawn: a thumbnail's
    // place depends only on those before it, so it is the place the layout
    // at the end gives it.
    gallery::GalleryLayoutInput placing;
    placing.first = PixelsToTwips(1) * QPointF(area_->pic(1) ? area_->pic(1)->pos() : QPoint());
    QElapsedTimer clock;
    clock.start();
    gallery::ShowPace pace(clock.elapsed());
    gallery::BudgetInOrder budget(thumbnailBudget_);
    for (int i = 1; i <= count && schedule_.GoOn();) {
      std::optional<ThumbnailDrawing> drawing = run_->Take(i);
      if (drawing) {
        const gallery::TemplateRecord& r = (*templates)[i - 1];
        if (Thumbnail* t = area_->pic(i)) {
          ShowDrawing(t, r, *drawing);
          if (!budget.Keep(i, t->Image().sizeInBytes())) {
            t->Clear();
            undrawn_[i] = true;
          }
          placing.stripWidth = static_cast<float>(PixelsToTwips(area_->framPic[1]->width()));
          placing.sizes << QSizeF(PixelsToTwips(t->width()), PixelsToTwips(t->height()));
          placing.rowBreaks << (r.RowBreak != 0);
          const QPointF p = gallery::LayoutGallery(placing).positions.constLast();
          t->move(TwipsToPixels(p.x()), TwipsToPixels(p.y()));
        }
        ++i;
      }
      const int onScreen = pace.OnScreen();
      const int upTo =
          drawing ? pace.Placed(i - 1, clock.elapsed()) : pace.Waiting(i - 1, clock.elapsed());
      for (int k = onScreen + 1; k <= upTo; ++k)
        if (Thumbnail* t = area_->pic(k)) t->show();
      // Between thumbnails the window handles what is not user input; with
      // nothing to put in place it waits for the next drawing (whose job
      // posts here when it ends).
      QCoreApplication::processEvents(drawing ? QEventLoop::ExcludeUserInputEvents
                                              : QEventLoop::ExcludeUserInputEvents |
                                                    QEventLoop::WaitForMoreEvents);
      if (!alive) return;
      // Closed meanwhile: nobody will see the rest.
      if (shown && (!window || !window->isVisible())) {
        closed = true;
        break;
      }
    }
    next = schedule_.RoundEnded(closed);
    if (next != gallery::PaintSchedule::Next::Finish) DropRun(run_);
  }
  run_.reset();
  StopDrawing();
  if (closed) {
    area_->lblWaitPic->hide();
    return;
  }

  for (int i = 1; i <= count; ++i)
    if (Thumbnail* t = area_->pic(i)) t->show();
  Layout();
  area_->lblWaitPic->hide();
}

std::shared_ptr<ThumbnailPainter::HandOver> ThumbnailPainter::StartRun(
    const QList<gallery::TemplateRecord>* templates) {
  const QColor back = look ? look().back : QColor(Qt::white);
  for (int i = 1; i <= GalleryArea::kMaxThumbnails; ++i) {
    Thumbnail* t = area_->pic(i);
    if (!t) continue;
    t->hide();
    t->SetBackColor(back);
    t->Clear();
  }
  undrawn_.fill(false);
  // The thumbnails appear from the strip's top.
  area_->scrlPic->SetValue(0);
  area_->framPic[1]->move(area_->framPic[1]->x(), 0);

  auto run = std::make_shared<HandOver>(ThumbnailCount());
  for (int i = 1; i <= run->Count(); ++i) {
    const Thumbnail* t = area_->pic(i);
    if (!t) {
      run->Put(i, ThumbnailDrawing());  // nothing to draw into: passed over
      continue;
    }
    pool_.start([this, run, i, job = JobFor(t, (*templates)[i - 1])] {
      if (run->Dropped()) return;
      // The painter outlives every job: its destructor waits for the pool.
      if (run->Put(i, renderer_.Draw(job)))
        QMetaObject::invokeMethod(
            this, [] {}, Qt::QueuedConnection);
    });
  }
  return run;
}

void ThumbnailPainter::DropRun(const std::shared_ptr<HandOver>& run) {
  run->Drop();
  pool_.clear();
}

ThumbnailJob ThumbnailPainter::JobFor(const Thumbnail* t, const gallery::TemplateRecord& r) const {
  ThumbnailJob job;
  job.record = r;
  job.templateRoot = templateRoot_;
  if (look) {
    const PaintLook shared = look();
    job.sampleText = shared.sampleText;
    job.texture = shared.texture;
  }
  job.back = t->BackColor();
  job.dpr = t->devicePixelRatioF();
  job.size = t->size();
  return job;
}

bool ThumbnailPainter::ShowDrawing(Thumbnail* t, const gallery::TemplateRecord& r,
                                   ThumbnailDrawing& drawing) {
  ++drawCount_;
  t->setToolTip(TooltipOf(r.params.Picture));
  if (!drawing.fileFound) {
    // The tag a missing picture would have kept from an earlier category
    // must not be applied by a click.
    t->Tag.clear();
    render::PictureBox box(0, 0, t->BackColor(), t->devicePixelRatioF());
    box.border = true;
    box.resizeLogical(t->width(), t->height());
    if (box.image.isNull()) return false;
    QPainter p(&box.image);
    p.setFont(t->font());
    p.setPen(Qt::black);
    const QFontMetrics fm(t->font());
    p.drawText(QPointF(box.client().topLeft()) + QPointF(0, fm.lineSpacing() + fm.ascent()),
               NoFile());
    p.end();
    t->SetImage(box.image);
    return false;
  }
  t->Tag = std::move(drawing.tag);
  t->resize(drawing.logicalSize);
  t->SetImage(drawing.image);
  return true;
}

void ThumbnailPainter::Layout() {
  // Without a category there is nothing to lay out; an empty category still
  // takes the strip back and hides the scroll bar.
  const QList<gallery::TemplateRecord>* templates = this->templates ? this->templates() : nullptr;
  if (!templates || !area_->pic(1) || Painting()) return;
  const int count = ThumbnailCount();

  gallery::GalleryLayoutInput in;
  in.first = PixelsToTwips(1) * QPointF(area_->pic(1)->pos());
  in.stripWidth = static_cast<float>(PixelsToTwips(area_->framPic[1]->width()));
  in.viewportHeight = static_cast<float>(PixelsToTwips(area_->framPic[0]->height()));
  for (int i = 1; i <= count; ++i) {
    const Thumbnail* t = area_->pic(i);
    const QSize s = t ? t->size() : QSize();
    in.sizes << QSizeF(PixelsToTwips(s.width()), PixelsToTwips(s.height()));
    in.rowBreaks << ((*templates)[i - 1].RowBreak != 0);
  }
  const gallery::GalleryLayoutResult out = gallery::LayoutGallery(in);
  ++layoutCount_;

  for (int i = 1; i <= count; ++i) {
    Thumbnail* t = area_->pic(i);
    if (!t) continue;
    if (out.tooltipMarker[i - 1]) t->setToolTip(gallery::WithRowBreakMarker(t->toolTip()));
    const QPointF p = out.positions[i - 1];
    t->move(TwipsToPixels(p.x()), TwipsToPixels(p.y()));
  }
  QFrame* strip = area_->framPic[1];
  strip->resize(strip->width(), TwipsToPixels(out.stripHeight));

  ui::ClassicScrollBar* bar = area_->scrlPic;
  if (out.scrollVisible) {
    bar->SetRange(0, out.scrollMax);
    bar->SetLargeChange(out.largeChange);
    bar->SetSmallChange(out.smallChange);
    bar->SetValue(out.value);
    bar->show();
  } else {
    bar->SetRange(0, 0);
    bar->hide();
  }
  // The strip goes back to its top even when the value was 0 already.
  Scrolled();
}

void ThumbnailPainter::Scrolled() {
  QFrame* strip = area_->framPic[1];
  strip->move(strip->x(), TwipsToPixels(-gallery::kScrollUnit * area_->scrlPic->Value()));
  KeepWithinBudget();
}

qint64 ThumbnailPainter::HeldThumbnailBytes() const {
  qint64 held = 0;
  for (int i = 1; i <= GalleryArea::kMaxThumbnails; ++i)
    if (const Thumbnail* t = area_->pic(i)) held += t->Image().sizeInBytes();
  return held;
}

QList<gallery::HeldDrawing> ThumbnailPainter::Held(int count) const {
  QList<gallery::HeldDrawing> out;
  out.reserve(count);
  for (int i = 1; i <= count; ++i) {
    const Thumbnail* t = area_->pic(i);
    out << (t ? gallery::HeldDrawing{t->geometry(), t->Image().sizeInBytes(), undrawn_[i]}
              : gallery::HeldDrawing{});
  }
  return out;
}

void ThumbnailPainter::KeepWithinBudget() {
  const int count = ThumbnailCount();
  // Drawing may run the event loop (the drawing backend's start); a scroll
  // meanwhile must not start a second round inside this one.
  // A paint draws everything itself, and the thumbnails are not in their
  // final places before its end.
  if (count == 0 || keeping_ || Painting()) return;
  keeping_ = true;
  const QList<gallery::TemplateRecord>& templates = *this->templates();
  // The part of the strip in view, in the strip's own pixels.
  const QWidget* view = area_->framPic[0];
  const QRect seen(0, -area_->framPic[1]->y(), view->width(), view->height());
  bool drawing = false;
  for (const int i : gallery::ToDrawAgain(Held(count), seen)) {
    if (!drawing && !(drawing = StartDrawing())) break;
    RepaintInPlace(i, templates[i - 1]);
  }
  if (drawing) StopDrawing();
  for (const int i : gallery::ToLetGo(Held(count), seen, HeldThumbnailBytes(), thumbnailBudget_)) {
    area_->pic(i)->Clear();
    undrawn_[i] = true;
  }
  keeping_ = false;
}

void ThumbnailPainter::RepaintInPlace(int i, const gallery::TemplateRecord& r) {
  Thumbnail* t = area_->pic(i);
  const QPoint at = t->pos();
  const QString tag = t->Tag;
  const bool marked = t->toolTip().endsWith(gallery::kRowBreakMarker);
  ThumbnailDrawing drawing = renderer_.Draw(JobFor(t, r));
  ShowDrawing(t, r, drawing);
  if (!t->Tag.isEmpty()) t->Tag = tag;
  if (marked) t->setToolTip(gallery::WithRowBreakMarker(t->toolTip()));
  t->move(at);
  undrawn_[i] = false;
}

}  // namespace qm
