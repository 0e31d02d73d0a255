#pragma once
// The gallery's paint run: the thumbnails of the selected category drawn on a
// pool of threads and shown in order, laid out, scrolled, and kept within
// the memory budget. What the thumbnails do when clicked is not its business.
//
// A paint returns when the category is on screen. Until then the window
// handles no user input (a click meanwhile lands on the new thumbnails once
// they are all there), but timers and host messages go on: when one of them
// asks for a paint (a template of another category, say), the paint under
// way drops what it has not shown yet and starts over with the new state,
// and the call that asked returns at once.

#include <QColor>
#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <array>
#include <functional>
#include <memory>

#include "gallery/Catalogue.h"
#include "gallery/PaintOrder.h"
#include "gallery/ThumbnailBudget.h"
#include "gallery/ui/ThumbnailRenderer.h"

namespace qm {

class GalleryArea;
class Thumbnail;

// What every thumbnail of a paint shares, read as each round of it starts.
struct PaintLook {
  QString sampleText;
  render::TextureSource texture;
  QColor back;
};

class ThumbnailPainter : public QObject {
  Q_OBJECT
 public:
  ThumbnailPainter(GalleryArea* area, QString templateRoot, QObject* parent = nullptr);
  ~ThumbnailPainter() override;

  // The selected category's templates (null without a selection), what
  // its thumbnails share, and the drawing backend's start and stop, which
  // every drawing is made between.
  std::function<const QList<gallery::TemplateRecord>*()> templates;
  std::function<PaintLook()> look;
  std::function<bool()> drawingStart;
  std::function<void()> drawingStop;

  // Repaints every thumbnail of the selected category, then lays them out.
  void PaintAll();
  bool Painting() const { return schedule_.Painting(); }
  // Lays out the thumbnails and sets up the scroll bar (not in the middle
  // of a paint: the layout at its end sees the new size).
  void Layout();
  // The scroll bar moved: the strip follows, and the budget is kept.
  void Scrolled();
  // Draws thumbnail i again where it is, keeping a row-break mark the
  // layout gave its tooltip.
  void RepaintInPlace(int i, const gallery::TemplateRecord& r);
  bool StartDrawing();
  void StopDrawing();

  // How many thumbnails the selected category shows.
  int ThumbnailCount() const;
  int DrawCount() const { return drawCount_; }
  int LayoutCount() const { return layoutCount_; }
  // Waits until the paint's threads have ended (they end once a paint has
  // no more work for them), with all they held given back.
  void EndThreads() { pool_.waitForDone(); }
  int DecodeCount() const { return renderer_.DecodeCount(); }
  void ClearCaches() { renderer_.ClearCaches(); }

  void SetThumbnailBudget(qint64 bytes) { thumbnailBudget_ = bytes; }
  qint64 HeldThumbnailBytes() const;
  bool Undrawn(int i) const {
    return i >= 1 && i < static_cast<int>(undrawn_.size()) && undrawn_[i];
  }

  static QString TooltipOf(const QString& picture);
  static QString NoFile();

 private:
  using HandOver = gallery::DrawingHandOver<ThumbnailDrawing>;
  // Resets every thumbnail and hands the selected category's drawings to
  // the pool.
  std::shared_ptr<HandOver> StartRun(const QList<gallery::TemplateRecord>* templates);
  // Stops a run: its jobs not begun yet are dropped, those under way are let
  // finish and their drawings ignored.
  void DropRun(const std::shared_ptr<HandOver>& run);
  ThumbnailJob JobFor(const Thumbnail* t, const gallery::TemplateRecord& r) const;
  // Puts a drawing into its thumbnail; false for a missing picture file.
  bool ShowDrawing(Thumbnail* t, const gallery::TemplateRecord& r, ThumbnailDrawing& drawing);
  // Draws the undrawn thumbnails near the view, then lets go of drawings
  // far from it while the budget is exceeded.
  void KeepWithinBudget();
  QList<gallery::HeldDrawing> Held(int count) const;

  GalleryArea* area_;
  const QString templateRoot_;
  int drawCount_ = 0;
  int layoutCount_ = 0;
  std::array<bool, 81> undrawn_{};  // let go of to stay within the budget
  qint64 thumbnailBudget_ = gallery::kThumbnailBudget;
  bool keeping_ = false;
  gallery::PaintSchedule schedule_;
  std::shared_ptr<HandOver> run_;
  // The jobs use the renderer and post to this object: the destructor drops
  // the run and waits for the pool before either goes.
  ThumbnailRenderer renderer_;
  QThreadPool pool_;
};

}  // namespace qm
