#pragma once
// The template gallery's behaviour: choosing a category, painting its
// thumbnails, laying them out and scrolling them, the gestures on a thumbnail
// (apply, take the picture, overwrite) and the preview background.
//
// The window owns the catalogue and lends it here; the gallery owns the
// preview background. Messages go through the editor's one sender; what else
// the gallery needs from the window (applying a line to the controls, the INI
// file, the per-user store, the drawing start and stop) comes in as hooks,
// so the gallery can be driven without the window in a test or a benchmark.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "gallery/Catalogue.h"
#include "gallery/ui/ThumbnailRenderer.h"

namespace qm {

class CategoryPage;
struct EditorState;
class LookSender;
class GalleryArea;
class Thumbnail;

namespace render {
struct PictureBox;
}

// The preview background: the texture read at start-up, whether it is shown,
// and the plain colour's number and value.
struct PreviewBackground {
  QByteArray TextureBytes;
  bool TextureLoaded = false;
  bool TextureEnabled = false;
  std::int16_t FonNum = 1;
  std::int32_t FonColor = 0xFFFFFF;  // 0x00BBGGRR
};

struct GalleryHooks {
  // Sets every control from the current line (after a template was applied).
  std::function<void()> setParamFromText;
  std::function<bool(const QString& section, const QString& key, const QString& value)> writeIni;
  std::function<bool()> gdipStart;
  std::function<void()> gdipStop;
  std::function<void(const QString& sKey, const QString& sVal)> setS;
  // Whether this application is the active one (mouse-over focus).
  std::function<bool()> appActive;
};

class Gallery : public QObject {
  Q_OBJECT
 public:
  Gallery(EditorState& state, LookSender& sender, gallery::Catalogue& catalogue, CategoryPage* page,
          GalleryArea* area, QObject* parent = nullptr);
  ~Gallery() override;

  GalleryHooks hooks;
  PreviewBackground Background;

  // The texture file's bytes (read once at start-up); empty is no texture.
  void SetTexture(const QByteArray& bytes);
  // Selects the category of a template's picture ("Categoryile.png"), when
  // it is listed; choosing it shows its gallery.
  void SelectCategoryOf(const QString& picture);

  // The category chosen in lstDir: sets the caption and repaints.
  void lstDir_Click();
  // Repaints every thumbnail of the selected category, then lays them out.
  // The pictures are decoded and drawn on a pool of threads; each thumbnail
  // is shown, in order, as soon as it and those before it are drawn. Until
  // the end the window handles no user input, but timers and host messages
  // go on: when one of them asks for a repaint (a template of another
  // category, say), the paint under way drops what it has not shown yet and
  // starts over with the new state, and this call returns at once.
  void PaintAllPic();
  // Whether a repaint is under way.
  bool Painting() const { return painting_; }
  // Lays out the thumbnails of the selected category and sets up scrlPic.
  void FrameResize();
  void scrlPic_Change();

  void pic_MouseDown(int Index, int Button, int Shift);
  // Writes a template's record (INI `section`/`key`, as an overwrite names
  // them) as `line` and shows it: an overwrite taken back or done again.
  // False when no loaded template has that key or the line does not convert.
  bool PutTemplateRecord(const QString& section, const QString& key, const QString& line);
  void pic_MouseMove(int Index);

  void picFonColor_Click();
  void chkTexura_Click();
  void ApplyBackgroundColour();

  // The selected category's index, or -1 without a valid selection.
  int SelectedCategory() const;
  // How many thumbnails the selected category shows (0 without a selection).
  int ThumbnailCount() const;

  // Thumbnails drawn since start (a layout must not add to it).
  int DrawCount() const { return drawCount_; }
  // Layouts done since start.
  int LayoutCount() const { return layoutCount_; }
  // Picture files decoded (or tried) since start: a file that many
  // thumbnails show, or that a repaint shows again unchanged, counts once.
  int DecodeCount() const { return renderer_.DecodeCount(); }
  // Forgets the decoded pictures and the drawn texts kept between paints.
  void ClearCaches();

  // What the thumbnails' drawings may hold together. A category of huge
  // pictures would otherwise keep every one of them drawn at full size: past
  // the budget only what the gallery shows (and a viewport's height around
  // it) stays drawn, and the rest is drawn again when it scrolls into view.
  static constexpr qint64 kThumbnailBudget = 256LL * 1024 * 1024;
  void SetThumbnailBudget(qint64 bytes) { thumbnailBudget_ = bytes; }
  qint64 HeldThumbnailBytes() const;
  // Whether thumbnail i waits to be drawn when it comes into view.
  bool Undrawn(int i) const { return i >= 1 && i <= 80 && undrawn_[i]; }

  static QString TooltipOf(const QString& picture);
  // What a thumbnail says when its picture is missing.
  static QString NoFile();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* swatch_ = nullptr;  // the background swatch, whose clicks are read here
  bool swatchDoubleClick_ = false;
  // Draws one template into its thumbnail here and now; false when its
  // picture file is missing (the thumbnail then says so and has no tag).
  bool PaintOne(Thumbnail* t, const gallery::TemplateRecord& r);
  ThumbnailJob JobFor(const Thumbnail* t, const gallery::TemplateRecord& r) const;
  // Puts a drawing into its thumbnail; false for a missing picture file.
  bool ShowDrawing(Thumbnail* t, const gallery::TemplateRecord& r, ThumbnailDrawing& drawing);
  struct PaintRun;
  // Resets every thumbnail and hands the selected category's drawings to
  // the pool.
  std::shared_ptr<PaintRun> StartRun();
  // Stops a run: its jobs not begun yet are dropped, those under way are let
  // finish and their drawings ignored.
  void DropRun(const std::shared_ptr<PaintRun>& run);
  void OverwriteTemplate(int Index);
  // Draws thumbnail i again where it is, keeping a row-break mark the
  // layout gave its tooltip.
  void RepaintInPlace(int Index, const gallery::TemplateRecord& r);
  // Draws the undrawn thumbnails near the view, then lets go of drawings
  // far from it while the budget is exceeded.
  void KeepWithinBudget();
  bool StartDrawing();
  void StopDrawing();

  EditorState& state_;
  LookSender& sender_;
  gallery::Catalogue& catalogue_;
  CategoryPage* page_;
  GalleryArea* area_;
  int drawCount_ = 0;
  int layoutCount_ = 0;
  std::array<bool, 81> wired_{};    // thumbnails whose events reach the handlers
  std::array<bool, 81> undrawn_{};  // let go of to stay within the budget
  qint64 thumbnailBudget_ = kThumbnailBudget;
  bool keeping_ = false;
  bool painting_ = false;
  bool repaintAsked_ = false;  // by a handler that ran in the middle of a paint
  std::shared_ptr<PaintRun> run_;
  // The jobs use the renderer and post to this object: the destructor drops
  // the run and waits for the pool before either goes.
  ThumbnailRenderer renderer_;
  QThreadPool pool_;
};

}  // namespace qm
