#include "gallery/ui/Gallery.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QMutex>
#include <QPainter>
#include <QPointer>
#include <atomic>
#include <optional>
#include <utility>
#include <vector>

#include "colour/Palette.h"
#include "gallery/GalleryLayout.h"
#include "gallery/ui/CategoryPage.h"
#include "gallery/ui/GalleryArea.h"
#include "params/EditorState.h"
#include "platform/Twips.h"
#include "render/PictureBox.h"
#include "settings/AppPaths.h"
#include "stamp/HostMessage.h"

namespace qm {

QString Gallery::NoFile() { return tr("Нет файла!"); }

namespace {

QColor FromBgr(std::int32_t bgr) {
  return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

}  // namespace

Gallery::Gallery(EditorState& state, LookSender& sender, gallery::Catalogue& catalogue,
                 CategoryPage* page, GalleryArea* area, QObject* parent)
    : QObject(parent),
      state_(state),
      sender_(sender),
      catalogue_(catalogue),
      page_(page),
      area_(area) {
  hooks.appActive = [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; };
  connect(page_->lstDir, &ui::ClassicListBox::Click, this, &Gallery::lstDir_Click);
  connect(page_->chkTexura, &ui::ClassicCheckBox::Click, this, &Gallery::chkTexura_Click);
  connect(area_->scrlPic, &ui::ClassicScrollBar::Change, this, &Gallery::scrlPic_Change);
  connect(area_->scrlPic, &ui::ClassicScrollBar::Scroll, this, &Gallery::scrlPic_Change);
  // The swatch is a plain frame: its click is read from its mouse events.
  swatch_ = page_->picFonColor;
  swatch_->installEventFilter(this);
  // The thumbnails are made in two steps (1 with the area, 2..80 at start-up);
  // they are wired when the gallery first needs them.

  // The pool's threads keep what they looked up for the text (fonts, the
  // texture) for as long as the gallery lives, so they stay.
  pool_.setExpiryTimeout(-1);
}

Gallery::~Gallery() {
  if (run_) DropRun(run_);
  pool_.waitForDone();
  // Gone from a handler that ran in the middle of a paint: that paint finds
  // out when the handler returns and leaves at once; its start is paired
  // here.
  if (painting_) StopDrawing();
}

int Gallery::SelectedCategory() const {
  const int n = page_->lstDir->ListIndex();
  return n >= 0 && n < catalogue_.categories.size() ? n : -1;
}

int Gallery::ThumbnailCount() const {
  const int n = SelectedCategory();
  if (n < 0) return 0;
  return static_cast<int>(
      qMin<qsizetype>(catalogue_.categories[n].templates.size(), GalleryArea::kMaxThumbnails));
}

QString Gallery::TooltipOf(const QString& picture) {
  return tr("Выбор шаблона отображения (%1)").arg(picture);
}

// --- choosing and painting --------------------------------------------------

void Gallery::lstDir_Click() {
  const int cat = SelectedCategory();
  if (cat < 0) return;
  QWidget* w = page_->window();
  // The start-up keeps the designed caption in the window's tag.
  const QVariant base = w->property("Tag");
  const QString caption = base.isValid() ? base.toString() : w->windowTitle();
  w->setWindowTitle(
      gallery::TemplateCaption(caption, catalogue_.captions.value(cat),
                               static_cast<int>(catalogue_.categories[cat].templates.size())));
  PaintAllPic();
}

bool Gallery::StartDrawing() { return hooks.gdipStart ? hooks.gdipStart() : true; }

void Gallery::StopDrawing() {
  if (hooks.gdipStop) hooks.gdipStop();
}

// One paint's drawings: the pool fills them in as its jobs end, in any order,
// and the window's thread takes them in thumbnail order. A dropped run's jobs
// that have not begun do nothing; the window no longer looks at its drawings.
// How long drawn thumbnails may wait to go on screen while more keep coming.
constexpr qint64 kFrameMs = 16;

struct Gallery::PaintRun {
  int count = 0;
  std::atomic<bool> dropped{false};
  QMutex mutex;                                           // guards the two below
  std::vector<std::optional<ThumbnailDrawing>> drawings;  // thumbnail i at i - 1
  // The thumbnail whose drawing the window's thread sleeps for (0: none):
  // only its job wakes it, so that a paint costs a wake-up per wait rather
  // than one per thumbnail.
  int awaited = 0;
};

void Gallery::PaintAllPic() {
  if (painting_) {
    // A timer or a host message handled in the middle of a paint (a
    // template of another category, a background change): the paint under
    // way starts over as soon as the handler has returned.
    repaintAsked_ = true;
    return;
  }
  if (!StartDrawing()) return;
  const QPointer<Gallery> alive(this);
  painting_ = true;
  area_->lblWaitPic->show();
  area_->lblWaitPic->raise();
  // Once, so that the label is drawn; a click meanwhile must not start
  // another gesture in the middle of this repaint.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  // The window (and this gallery with it) may have gone in any of the event
  // rounds of this paint; the destructor has paired the drawing start.
  if (!alive) return;
  const QPointer<QWidget> window = area_->window();
  const bool shown = window->isVisible();
  bool closed = false;

  int count = 0;
  do {
    repaintAsked_ = false;
    run_ = StartRun();
    count = run_->count;
    const int cat = SelectedCategory();
    // Each thumbnail goes to its place as soon as it is drawn: a thumbnail's
    // place depends only on those before it, so it is the place the layout
    // at the end gives it.
    gallery::GalleryLayoutInput placing;
    placing.first = PixelsToTwips(1) * QPointF(area_->pic(1) ? area_->pic(1)->pos() : QPoint());
    // The drawn thumbnails go on screen, in order, all that are drawn at
    // once: whenever the paint has to wait for the next drawing, and at least
    // once a frame while drawings keep coming. Showing each by itself would
    // draw the window once per thumbnail.
    int onScreen = 0;
    QElapsedTimer frame;
    frame.start();
    const auto showDrawn = [&](int upTo) {
      for (int k = onScreen + 1; k <= upTo; ++k)
        if (Thumbnail* t = area_->pic(k)) t->show();
      onScreen = upTo;
      frame.restart();
    };
    qint64 held = 0;
    for (int i = 1; i <= count && !repaintAsked_;) {
      std::optional<ThumbnailDrawing> drawing;
      {
        const QMutexLocker lock(&run_->mutex);
        drawing.swap(run_->drawings[i - 1]);
        run_->awaited = drawing ? 0 : i;
      }
      if (drawing) {
        const gallery::TemplateRecord& r = catalogue_.categories[cat].templates[i - 1];
        if (Thumbnail* t = area_->pic(i)) {
          ShowDrawing(t, r, *drawing);
          // The first thumbnails are the ones in view once laid out; past
          // the budget a drawing is let go of at once (its size stays for
          // the layout) and drawn again when it comes into view.
          const qint64 bytes = t->Image().sizeInBytes();
          if (held + bytes > thumbnailBudget_ && i > 1) {
            t->Clear();
            undrawn_[i] = true;
          } else {
            held += bytes;
          }
          placing.stripWidth = static_cast<float>(PixelsToTwips(area_->framPic[1]->width()));
          placing.sizes << QSizeF(PixelsToTwips(t->width()), PixelsToTwips(t->height()));
          placing.rowBreaks << (r.RowBreak != 0);
          const QPointF p = gallery::LayoutGallery(placing).positions.constLast();
          t->move(TwipsToPixels(p.x()), TwipsToPixels(p.y()));
        }
        ++i;
        if (frame.elapsed() >= kFrameMs) showDrawn(i - 1);
      } else {
        showDrawn(i - 1);
      }
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
    if (repaintAsked_ || closed) DropRun(run_);
  } while (repaintAsked_ && !closed);
  run_.reset();
  painting_ = false;
  StopDrawing();
  if (closed) {
    area_->lblWaitPic->hide();
    return;
  }

  for (int i = 1; i <= count; ++i)
    if (Thumbnail* t = area_->pic(i)) t->show();
  FrameResize();
  area_->lblWaitPic->hide();
}

std::shared_ptr<Gallery::PaintRun> Gallery::StartRun() {
  const QColor back = FromBgr(Background.FonColor);
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

  auto run = std::make_shared<PaintRun>();
  run->count = ThumbnailCount();
  run->drawings.resize(static_cast<std::size_t>(run->count));
  const int cat = SelectedCategory();
  for (int i = 1; i <= run->count; ++i) {
    const Thumbnail* t = area_->pic(i);
    if (!t) {
      run->drawings[i - 1].emplace();  // nothing to draw into: passed over
      continue;
    }
    pool_.start([this, run, i, job = JobFor(t, catalogue_.categories[cat].templates[i - 1])] {
      if (run->dropped.load(std::memory_order_relaxed)) return;
      ThumbnailDrawing drawing = renderer_.Draw(job);
      bool awaited = false;
      {
        const QMutexLocker lock(&run->mutex);
        run->drawings[i - 1] = std::move(drawing);
        awaited = run->awaited == i;
        if (awaited) run->awaited = 0;
      }
      // The gallery outlives every job: its destructor waits for the pool.
      if (awaited)
        QMetaObject::invokeMethod(
            this, [] {}, Qt::QueuedConnection);
    });
  }
  return run;
}

void Gallery::DropRun(const std::shared_ptr<PaintRun>& run) {
  run->dropped.store(true, std::memory_order_relaxed);
  pool_.clear();
}

ThumbnailJob Gallery::JobFor(const Thumbnail* t, const gallery::TemplateRecord& r) const {
  ThumbnailJob job;
  job.record = r;
  job.templateRoot = settings::sTemplateRoot();
  job.sampleText = state_.sampleText;
  job.texture = {Background.TextureBytes, Background.TextureLoaded, Background.TextureEnabled};
  job.back = t->BackColor();
  job.dpr = t->devicePixelRatioF();
  job.size = t->size();
  return job;
}

bool Gallery::PaintOne(Thumbnail* t, const gallery::TemplateRecord& r) {
  ThumbnailDrawing drawing = renderer_.Draw(JobFor(t, r));
  return ShowDrawing(t, r, drawing);
}

bool Gallery::ShowDrawing(Thumbnail* t, const gallery::TemplateRecord& r,
                          ThumbnailDrawing& drawing) {
  if (!wired_[t->Index()]) {
    wired_[t->Index()] = true;
    connect(t, &Thumbnail::MouseDown, this, &Gallery::pic_MouseDown);
    connect(t, &Thumbnail::MouseMove, this, &Gallery::pic_MouseMove);
  }
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

void Gallery::ClearCaches() { renderer_.ClearCaches(); }

void Gallery::FrameResize() {
  // Without a category there is nothing to lay out; an empty category still
  // takes the strip back and hides the scroll bar. A resize in the middle of
  // a paint waits for the layout at its end, which sees the new size.
  const int cat = SelectedCategory();
  if (cat < 0 || !area_->pic(1) || painting_) return;
  const int count = ThumbnailCount();
  const auto& templates = catalogue_.categories[cat].templates;

  gallery::GalleryLayoutInput in;
  in.first = PixelsToTwips(1) * QPointF(area_->pic(1)->pos());
  in.stripWidth = static_cast<float>(PixelsToTwips(area_->framPic[1]->width()));
  in.viewportHeight = static_cast<float>(PixelsToTwips(area_->framPic[0]->height()));
  for (int i = 1; i <= count; ++i) {
    const Thumbnail* t = area_->pic(i);
    const QSize s = t ? t->size() : QSize();
    in.sizes << QSizeF(PixelsToTwips(s.width()), PixelsToTwips(s.height()));
    in.rowBreaks << (templates[i - 1].RowBreak != 0);
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
  scrlPic_Change();
}

void Gallery::scrlPic_Change() {
  QFrame* strip = area_->framPic[1];
  strip->move(strip->x(), TwipsToPixels(-gallery::kScrollUnit * area_->scrlPic->Value()));
  KeepWithinBudget();
}

qint64 Gallery::HeldThumbnailBytes() const {
  qint64 held = 0;
  for (int i = 1; i <= GalleryArea::kMaxThumbnails; ++i)
    if (const Thumbnail* t = area_->pic(i)) held += t->Image().sizeInBytes();
  return held;
}

void Gallery::KeepWithinBudget() {
  const int count = ThumbnailCount();
  const int cat = SelectedCategory();
  // Drawing may run the event loop (the drawing backend's start); a scroll
  // meanwhile must not start a second round inside this one.
  // A paint draws everything itself, and the thumbnails are not in their
  // final places before its end.
  if (count == 0 || keeping_ || painting_) return;
  keeping_ = true;
  // The part of the strip in view, and a view's height above and below it,
  // in the strip's own pixels.
  const QWidget* view = area_->framPic[0];
  const QRect seen(0, -area_->framPic[1]->y(), view->width(), view->height());
  const QRect near = seen.adjusted(0, -view->height(), 0, view->height());
  bool drawing = false;
  for (int i = 1; i <= count; ++i) {
    Thumbnail* t = area_->pic(i);
    if (!t || !undrawn_[i] || !t->geometry().intersects(near)) continue;
    if (!drawing && !(drawing = StartDrawing())) break;
    RepaintInPlace(i, catalogue_.categories[cat].templates[i - 1]);
  }
  if (drawing) StopDrawing();
  // Over the budget: the drawings farthest from the view go first; what is
  // in view always stays.
  qint64 held = HeldThumbnailBytes();
  while (held > thumbnailBudget_) {
    int farthest = 0;
    int distance = -1;
    for (int i = 1; i <= count; ++i) {
      const Thumbnail* t = area_->pic(i);
      if (!t || t->Image().isNull() || t->geometry().intersects(seen)) continue;
      const QRect g = t->geometry();
      const int d = g.bottom() < seen.top() ? seen.top() - g.bottom() : g.top() - seen.bottom();
      if (d > distance) {
        distance = d;
        farthest = i;
      }
    }
    if (farthest == 0) break;
    Thumbnail* t = area_->pic(farthest);
    held -= t->Image().sizeInBytes();
    t->Clear();
    undrawn_[farthest] = true;
  }
  keeping_ = false;
}

void Gallery::RepaintInPlace(int Index, const gallery::TemplateRecord& r) {
  Thumbnail* t = area_->pic(Index);
  const QPoint at = t->pos();
  const QString tag = t->Tag;
  const bool marked = t->toolTip().endsWith(gallery::kRowBreakMarker);
  PaintOne(t, r);
  if (!t->Tag.isEmpty()) t->Tag = tag;
  if (marked) t->setToolTip(gallery::WithRowBreakMarker(t->toolTip()));
  t->move(at);
  undrawn_[Index] = false;
}

// --- gestures ---------------------------------------------------------------

void Gallery::pic_MouseDown(int Index, int Button, int Shift) {
  // In the middle of a paint the tags belong half to the old category.
  if (Index < 1 || Index > ThumbnailCount() || painting_) return;
  Thumbnail* t = area_->pic(Index);
  // A thumbnail without a tag shows a missing picture: there is nothing it
  // could apply or take.
  if (!t || t->Tag.isEmpty()) return;
  const int cat = SelectedCategory();
  const gallery::TemplateRecord& r = catalogue_.categories[cat].templates[Index - 1];
  const int mods = Shift & 7;
  if (Button == 1 && mods == 0) {
    sender_.SendText(stamp::WholeLineMessage(t->Tag));
    if (hooks.setParamFromText) hooks.setParamFromText();
  } else if (Button == 2 && mods == 0) {
    sender_.SendText(stamp::PictureMessage(r.params));
  } else if (Button == 1) {
    OverwriteTemplate(Index);
  }
}

void Gallery::OverwriteTemplate(int Index) {
  const int cat = SelectedCategory();
  gallery::TemplateRecord& r = catalogue_.categories[cat].templates[Index - 1];
  const QString current = state_.Text1.text();
  // Worked out and checked in full before anything is written: a look that
  // does not convert must not leave a line that cannot be read back.
  const auto out = gallery::OverwriteTemplate(cat, r, current);
  if (!out) return;
  if (!hooks.writeIni || !hooks.writeIni(out->section, out->key, out->line)) return;

  Thumbnail* t = area_->pic(Index);
  t->Tag = out->tag;
  r = out->record;
  t->Clear();
  if (!StartDrawing()) return;
  // Same size, same place: the gallery is not laid out again. The tag keeps
  // the look as the user's line spelled it (unless the picture has gone
  // meanwhile: then the thumbnail says so and takes no clicks).
  RepaintInPlace(Index, r);
  t->repaint();
  StopDrawing();
}

bool Gallery::PutTemplateRecord(const QString& section, const QString& key, const QString& line) {
  if (painting_) return false;
  for (int cat = 0; cat < catalogue_.categories.size(); ++cat) {
    if (gallery::CategorySection(cat) != section) continue;
    gallery::Category& c = catalogue_.categories[cat];
    for (int i = 0; i < c.templates.size(); ++i) {
      gallery::TemplateRecord& r = c.templates[i];
      if (gallery::TemplateKey(r.picKey) != key) continue;
      const auto parsed = gallery::ParseRecordLine(c.path, line, r.picKey);
      if (!parsed) return false;
      if (!hooks.writeIni || !hooks.writeIni(section, key, line)) return false;
      r = *parsed;
      Thumbnail* t = cat == SelectedCategory() ? area_->pic(i + 1) : nullptr;
      if (!t) return true;
      t->Tag = gallery::RecordText(r);
      t->Clear();
      if (!StartDrawing()) return true;
      RepaintInPlace(i + 1, r);
      t->repaint();
      StopDrawing();
      return true;
    }
  }
  return false;
}

void Gallery::pic_MouseMove(int Index) {
  if (!hooks.appActive || !hooks.appActive()) return;
  if (Thumbnail* t = area_->pic(Index)) t->setFocus(Qt::MouseFocusReason);
}

void Gallery::SelectCategoryOf(const QString& picture) {
  const qsizetype slash = picture.indexOf(u'\\');
  const QString categoryPath = (slash < 0 ? picture : picture.left(slash)) + u'\\';
  for (qsizetype i = 0; i < catalogue_.categories.size(); ++i) {
    if (catalogue_.categories[i].path == categoryPath) {
      page_->lstDir->SetListIndex(static_cast<int>(i));
      return;
    }
  }
}

// --- preview background -----------------------------------------------------

void Gallery::SetTexture(const QByteArray& bytes) {
  Background.TextureBytes = bytes;
  // An empty file is no texture at all.
  Background.TextureLoaded = !bytes.isEmpty();
}

void Gallery::ApplyBackgroundColour() {
  if (Background.FonNum < 1 || Background.FonNum > 9) Background.FonNum = 1;
  Background.FonColor = colour::BackgroundColour(Background.FonNum);
  page_->picFonColor->SetBackColor(Background.FonColor);
}

void Gallery::picFonColor_Click() {
  Background.FonNum = static_cast<std::int16_t>(Background.FonNum + 1);
  if (Background.FonNum > 9) Background.FonNum = 1;
  ApplyBackgroundColour();
  if (hooks.setS) hooks.setS(QStringLiteral("FonNum"), QString::number(Background.FonNum));
  if (page_->chkTexura->Value() != 0) {
    page_->chkTexura->SetValue(0);  // its handler repaints and stores
  } else {
    PaintAllPic();
  }
}

void Gallery::chkTexura_Click() {
  Background.TextureEnabled = page_->chkTexura->Value() != 0;
  if (!state_.FormReady) return;
  PaintAllPic();
  if (hooks.setS) hooks.setS(QStringLiteral("TxturEn"), QString::number(page_->chkTexura->Value()));
}

bool Gallery::eventFilter(QObject* watched, QEvent* event) {
  // Only the swatch is watched, and it is told apart by the pointer kept at
  // the start: while the page is being torn down its swatch still sends
  // events here, and the page must not be looked at then.
  if (watched != swatch_) return QObject::eventFilter(watched, event);
  // A double click is one click: the release after its second press does
  // not step the colour again.
  if (event->type() == QEvent::MouseButtonDblClick) {
    swatchDoubleClick_ = true;
    return true;
  }
  if (event->type() == QEvent::MouseButtonRelease) {
    if (std::exchange(swatchDoubleClick_, false)) return true;
    const auto* me = static_cast<QMouseEvent*>(event);
    if (me->button() == Qt::LeftButton && swatch_->rect().contains(me->position().toPoint())) {
      picFonColor_Click();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace qm
