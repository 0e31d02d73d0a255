#pragma once
// The template gallery: choosing a category (and the window's caption that
// names it), the gestures on a thumbnail (apply, take the picture,
// overwrite), and the parts that do the rest: the paint run
// (ThumbnailPainter) and the preview background (GalleryBackground).
//
// The window owns the catalogue and lends it here. Messages go through the
// editor's one sender; what the gallery takes from its surroundings (the
// template root, the caption) comes in its environment, and what it needs
// from the window (applying a line to the controls, the INI file, the
// per-user store, the drawing start and stop) comes in as hooks, so the
// gallery can be driven without the window in a test or a benchmark.

#include <QObject>
#include <QString>
#include <array>
#include <functional>

#include "gallery/Catalogue.h"
#include "gallery/ThumbnailBudget.h"
#include "gallery/ui/GalleryBackground.h"
#include "gallery/ui/ThumbnailPainter.h"

namespace qm {

class CategoryPage;
struct EditorState;
class LookSender;
class GalleryArea;
class Thumbnail;

// What the gallery takes from the window around it.
struct GalleryEnvironment {
  // Where the category directories are, "/" at the end.
  QString templateRoot;
  // The window's own caption, which the gallery follows with the category
  // chosen, and how that caption is shown (nothing is shown without it).
  QString caption;
  std::function<void(const QString& caption)> showCaption;
};

struct GalleryHooks {
  // Sets every control from the current line (after a template was applied).
  std::function<void()> setParamFromText;
  std::function<bool(const QString& section, const QString& key, const QString& value)> writeIni;
  std::function<bool()> gdipStart;
  std::function<void()> gdipStop;
  std::function<void(const QString& sKey, const QString& sVal)> setS;
};

class Gallery : public QObject {
  Q_OBJECT
  // Made before the public reference into it below.
  GalleryBackground background_;

 public:
  Gallery(EditorState& state, LookSender& sender, gallery::Catalogue& catalogue, CategoryPage* page,
          GalleryArea* area, GalleryEnvironment environment, QObject* parent = nullptr);
  ~Gallery() override;

  GalleryHooks hooks;
  PreviewBackground& Background;

  // Selects the category of a template's picture ("Categoryile.png"), when
  // it is listed; choosing it shows its gallery.
  void SelectCategoryOf(const QString& picture);

  // The category chosen in lstDir: sets the caption and repaints.
  void lstDir_Click();
  // Repaints every thumbnail of the selected category, then lays them out
  // (see ThumbnailPainter::PaintAll).
  void PaintAllPic();
  bool Painting() const { return painter_.Painting(); }
  // Lays out the thumbnails of the selected category and sets up scrlPic.
  void FrameResize() { painter_.Layout(); }
  void scrlPic_Change() { painter_.Scrolled(); }

  void pic_MouseDown(int Index, int Button, int Shift);
  // Writes a template's record (INI `section`/`key`, as an overwrite names
  // them) as `line` and shows it: an overwrite taken back or done again.
  // False when no loaded template has that key or the line does not convert.
  bool PutTemplateRecord(const QString& section, const QString& key, const QString& line);
  void pic_MouseMove(int Index);
  // Writes the current look into template `Index` of the selected category
  // (its INI record, then its thumbnail): the one way a template changes
  // from the editor (PutTemplateRecord only puts back a record it wrote).
  // False when nothing was written.
  bool OverwriteTemplate(int Index, const QString& look);

  // The preview background (see GalleryBackground).
  void SetTexture(const QByteArray& bytes) { background_.SetTexture(bytes); }
  void ApplyBackgroundColour() { background_.ApplyBackgroundColour(); }
  void picFonColor_Click() { background_.picFonColor_Click(); }
  void chkTexura_Click() { background_.chkTexura_Click(); }

  // The selected category's index, or -1 without a valid selection.
  int SelectedCategory() const;
  // How many thumbnails the selected category shows (0 without a selection).
  int ThumbnailCount() const { return painter_.ThumbnailCount(); }

  // Thumbnails drawn since start (a layout must not add to it).
  int DrawCount() const { return painter_.DrawCount(); }
  // Layouts done since start.
  int LayoutCount() const { return painter_.LayoutCount(); }
  // Picture files decoded (or tried) since start: a file that many
  // thumbnails show, or that a repaint shows again unchanged, counts once.
  void EndPaintThreads() { painter_.EndThreads(); }
  int DecodeCount() const { return painter_.DecodeCount(); }
  // Forgets the decoded pictures and the drawn texts kept between paints.
  void ClearCaches() { painter_.ClearCaches(); }

  // What the thumbnails' drawings may hold together (see ThumbnailBudget.h).
  static constexpr qint64 kThumbnailBudget = gallery::kThumbnailBudget;
  void SetThumbnailBudget(qint64 bytes) { painter_.SetThumbnailBudget(bytes); }
  qint64 HeldThumbnailBytes() const { return painter_.HeldThumbnailBytes(); }
  // Whether thumbnail i waits to be drawn when it comes into view.
  bool Undrawn(int i) const { return painter_.Undrawn(i); }

  static QString TooltipOf(const QString& picture) { return ThumbnailPainter::TooltipOf(picture); }
  // What a thumbnail says when its picture is missing.
  static QString NoFile() { return ThumbnailPainter::NoFile(); }

 private:
  // Shows template `Index` of the selected category drawn again in place,
  // clicks applying `tag`.
  void ShowRecord(int Index, const QString& tag);
  // Wires the thumbnails made since the last paint to the gestures.
  void WireThumbnails();

  EditorState& state_;
  LookSender& sender_;
  gallery::Catalogue& catalogue_;
  CategoryPage* page_;
  GalleryArea* area_;
  const GalleryEnvironment environment_;
  std::array<bool, 81> wired_{};  // thumbnails whose events reach the handlers
  // Its jobs post to it and it calls the hooks above: it goes first.
  ThumbnailPainter painter_;
};

}  // namespace qm
