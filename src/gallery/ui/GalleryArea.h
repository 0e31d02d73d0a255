#pragma once
// The gallery area below the pages: a viewport (framPic 0) that shows part of
// a strip (framPic 1) holding the thumbnails, and the vertical scroll bar.

#include <QFrame>
#include <QLabel>
#include <array>

#include "gallery/ui/Thumbnail.h"
#include "platform/ui/ClassicScrollBar.h"

namespace qm {

class GalleryArea : public QWidget {
  Q_OBJECT
 public:
  explicit GalleryArea(QWidget* parent = nullptr);

  static constexpr int kMaxThumbnails = 80;

  // Thumbnail 1 exists from the start; 2..80 are made by CreateThumbnails(),
  // each a hidden copy of thumbnail 1.
  void CreateThumbnails();
  Thumbnail* pic(int index) const { return pics_[index]; }

  ui::ClassicScrollBar* scrlPic;
  std::array<QFrame*, 2> framPic{};
  QLabel* lblWaitPic;

 private:
  std::array<Thumbnail*, kMaxThumbnails + 1> pics_{};  // index 0 unused
};

}  // namespace qm
