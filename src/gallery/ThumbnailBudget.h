#pragma once
// What the thumbnails' drawings may hold together. A category of huge
// pictures would otherwise keep every one of them drawn at full size: past
// the budget only what the gallery shows (and a view's height around it)
// stays drawn, and the rest is drawn again when it comes near the view.
// Geometry is in the strip's own pixels; thumbnails are numbered from 1.

#include <QList>
#include <QRect>
#include <QtGlobal>

namespace qm::gallery {

inline constexpr qint64 kThumbnailBudget = 256LL * 1024 * 1024;

// One thumbnail as the budget sees it.
struct HeldDrawing {
  QRect geometry;
  qint64 bytes = 0;    // of its drawing; 0: nothing drawn
  bool letGo = false;  // let go of to stay within the budget
};

// A paint's drawings as they come, in thumbnail order. The first ones are
// those in view once the thumbnails are laid out: they stay, and past the
// budget each further drawing is let go of at once (its size stays for the
// layout).
class BudgetInOrder {
 public:
  explicit BudgetInOrder(qint64 budget) : budget_(budget) {}
  // Whether thumbnail i's drawing of `bytes` is kept.
  bool Keep(int i, qint64 bytes);

 private:
  qint64 budget_;
  qint64 held_ = 0;
};

// The thumbnails let go of that have come near the view `seen` (within a
// view's height above or below it): they are drawn again, in order.
QList<int> ToDrawAgain(const QList<HeldDrawing>& thumbnails, const QRect& seen);

// The drawings to let go of while what is held (`held`, of every thumbnail)
// exceeds the budget, farthest from the view first; what is in view always
// stays.
QList<int> ToLetGo(QList<HeldDrawing> thumbnails, const QRect& seen, qint64 held, qint64 budget);

}  // namespace qm::gallery
