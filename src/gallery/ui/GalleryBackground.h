#pragma once
// The preview background behind the thumbnails: the swatch on the category
// page steps through nine colours, and the box beside it lays the texture
// under the pictures instead. Each change is stored for the next start and
// paints the gallery again.

#include <QByteArray>
#include <QColor>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

namespace qm {

class CategoryPage;
struct EditorState;

// The texture read at start-up, whether it is shown, and the plain colour's
// number and value.
struct PreviewBackground {
  QByteArray TextureBytes;
  bool TextureLoaded = false;
  bool TextureEnabled = false;
  std::int16_t FonNum = 1;
  std::int32_t FonColor = 0xFFFFFF;  // 0x00BBGGRR
};

class GalleryBackground : public QObject {
  Q_OBJECT
 public:
  GalleryBackground(EditorState& state, CategoryPage* page, QObject* parent = nullptr);

  PreviewBackground Background;
  // Paints the gallery over the new background; stores a per-user value.
  std::function<void()> repaint;
  std::function<void(const QString& sKey, const QString& sVal)> store;

  // The texture file's bytes (read once at start-up); empty is no texture.
  void SetTexture(const QByteArray& bytes);
  void ApplyBackgroundColour();
  void picFonColor_Click();
  void chkTexura_Click();
  QColor Colour() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  EditorState& state_;
  CategoryPage* page_;
  QWidget* swatch_;  // whose clicks are read here
  bool swatchDoubleClick_ = false;
};

}  // namespace qm
