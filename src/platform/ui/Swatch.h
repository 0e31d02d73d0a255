#pragma once
// A plain colour swatch whose colour is its background, kept as a colour
// reference (0x00BBGGRR), the byte order the window's colour controls use.

#include <QColor>
#include <QFrame>
#include <cstdint>

namespace qm {

// A colour reference (0x00BBGGRR, byte 3 ignored) as a colour to paint with.
QColor ColourFromBgr(std::int32_t bgr);

class Swatch : public QFrame {
  Q_OBJECT
 public:
  explicit Swatch(QWidget* parent = nullptr);
  std::int32_t BackColor() const { return bgr_; }
  void SetBackColor(std::int32_t bgr);

 private:
  std::int32_t bgr_ = 0xFFFFFF;
};

}  // namespace qm
