#include "gallery/ui/Gallery.h"

#include <QGuiApplication>
#include <utility>

#include "gallery/ui/GalleryArea.h"
#include "pages/ui/CategoryPage.h"
#include "session/EditorState.h"
#include "stamp/HostMessage.h"

namespace qm {

Gallery::Gallery(EditorState& state, LookSender& sender, gallery::Catalogue& catalogue,
                 CategoryPage* page, GalleryArea* area, GalleryEnvironment environment,
                 QObject* parent)
    : QObject(parent),
      background_(state, page),
      Background(background_.Background),
      state_(state),
      sender_(sender),
      catalogue_(catalogue),
      page_(page),
      area_(area),
      environment_(std::move(environment)),
      painter_(area, environment_.templateRoot) {
  connect(page_->lstDir, &ui::ClassicListBox::Click, this, &Gallery::lstDir_Click);
  connect(area_->scrlPic, &ui::ClassicScrollBar::Change, this, &Gallery::scrlPic_Change);
  connect(area_->scrlPic, &ui::ClassicScrollBar::Scroll, this, &Gallery::scrlPic_Change);
  background_.repaint = [this] { PaintAllPic(); };
  background_.store = [this](const QString& key, const QString& value) {
    if (hooks.setS) hooks.setS(key, value);
  };
  painter_.templates = [this]() -> const QList<gallery::TemplateRecord>* {
    const int cat = SelectedCategory();
    return cat < 0 ? nullptr : &catalogue_.categories[cat].templates;
  };
  painter_.look = [this] {
    return PaintLook{state_.sampleText,
                     {Background.TextureBytes, Background.TextureLoaded, Background.TextureEnabled},
                     background_.Colour()};
  };
  painter_.drawingStart = [this] { return hooks.gdipStart ? hooks.gdipStart() : true; };
  painter_.drawingStop = [this] {
    if (hooks.gdipStop) hooks.gdipStop();
  };
  // The thumbnails are made in two steps (1 with the area, 2..80 at start-up);
  // they are wired when the gallery first paints them.
}

Gallery::~Gallery() = default;

int Gallery::SelectedCategory() const {
  const int n = page_->lstDir->ListIndex();
  return n >= 0 && n < catalogue_.categories.size() ? n : -1;
}

// --- choosing a category ----------------------------------------------------

void Gallery::lstDir_Click() {
  const int cat = SelectedCategory();
  if (cat < 0) return;
  if (environment_.showCaption)
    environment_.showCaption(
        gallery::TemplateCaption(environment_.caption, catalogue_.captions.value(cat),
                                 static_cast<int>(catalogue_.categories[cat].templates.size())));
  PaintAllPic();
}

void Gallery::PaintAllPic() {
  WireThumbnails();
  painter_.PaintAll();
}

void Gallery::WireThumbnails() {
  for (int i = 1; i <= GalleryArea::kMaxThumbnails; ++i) {
    Thumbnail* t = area_->pic(i);
    if (!t || std::exchange(wired_[i], true)) continue;
    connect(t, &Thumbnail::MouseDown, this, &Gallery::pic_MouseDown);
    connect(t, &Thumbnail::MouseMove, this, &Gallery::pic_MouseMove);
  }
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

// --- gestures ---------------------------------------------------------------

void Gallery::pic_MouseDown(int Index, int Button, int Shift) {
  // In the middle of a paint the tags belong half to the old category.
  if (Index < 1 || Index > ThumbnailCount() || Painting()) return;
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
    OverwriteTemplate(Index, state_.Text1.text());
  }
}

void Gallery::pic_MouseMove(int Index) {
  if (!state_.AppActive) return;
  if (Thumbnail* t = area_->pic(Index)) t->setFocus(Qt::MouseFocusReason);
}

// --- overwriting a template ---------------------------------------------------

bool Gallery::OverwriteTemplate(int Index, const QString& look) {
  const int cat = SelectedCategory();
  if (cat < 0 || Index < 1 || Index > ThumbnailCount() || Painting()) return false;
  Thumbnail* t = area_->pic(Index);
  if (!t) return false;
  gallery::TemplateRecord& r = catalogue_.categories[cat].templates[Index - 1];
  // Worked out and checked in full before anything is written: a look that
  // does not convert must not leave a line that cannot be read back.
  const auto out = gallery::OverwriteTemplate(cat, r, look);
  if (!out) return false;
  if (!hooks.writeIni || !hooks.writeIni(out->section, out->key, out->line)) return false;

  r = out->record;
  ShowRecord(Index, out->tag);
  return true;
}

bool Gallery::PutTemplateRecord(const QString& section, const QString& key, const QString& line) {
  if (Painting()) return false;
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
      if (cat == SelectedCategory()) ShowRecord(i + 1, gallery::RecordText(r));
      return true;
    }
  }
  return false;
}

void Gallery::ShowRecord(int Index, const QString& tag) {
  Thumbnail* t = area_->pic(Index);
  if (!t) return;
  t->Tag = tag;
  t->Clear();
  if (!painter_.StartDrawing()) return;
  // Same size, same place: the gallery is not laid out again. The tag keeps
  // the look as the user's line spelled it (unless the picture has gone
  // meanwhile: then the thumbnail says so and takes no clicks).
  const int cat = SelectedCategory();
  painter_.RepaintInPlace(Index, catalogue_.categories[cat].templates[Index - 1]);
  t->repaint();
  painter_.StopDrawing();
}

}  // namespace qm
