#include "host/StampPainter.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "platform/PathResolver.h"
#include "render/PictureBox.h"
#include "render/StampText.h"

namespace qm::host {
namespace {

using render::StampTextResult;

// Room the text gets when there is no picture to centre it in; the box kept is
// only the part the text touches, so its size costs nothing.
constexpr QSize kTextCanvas(8192, 4096);
constexpr int kTextMargin = 2;  // logical pixels round a text without picture
constexpr int kMarkSide = 24;

// A faint rounded square: something to see, grab and right-click when no part
// of the look can be drawn.
QImage Mark(qreal dpr) {
  render::PictureBox box(kMarkSide, kMarkSide, Qt::transparent, dpr);
  QPainter p(&box.image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(255, 255, 255, 200), 1.5));
  p.setBrush(QColor(64, 64, 64, 160));
  p.drawRoundedRect(QRectF(1, 1, kMarkSide - 2, kMarkSide - 2), 5, 5);
  return box.image;
}

Note TextProblem(StampTextResult r, const stamp::StampParams& p) {
  QString tooltip;
  switch (r) {
    case StampTextResult::FontNotFound:
      tooltip = QCoreApplication::translate("qm::host", "Шрифт «%1» не установлен").arg(p.FontName);
      break;
    case StampTextResult::FontSizeInvalid:
      tooltip =
          QCoreApplication::translate("qm::host", "Размер шрифта %1 не годится").arg(p.FontSize);
      break;
    default:
      tooltip = QCoreApplication::translate("qm::host", "Текст не нарисован");
      break;
  }
  return {tooltip, render::StampTextProblem(r, p.FontName)};
}

// Room round the picture in which a text that overflows it is looked for.
constexpr int kOverflowRoom = 2048;

// The text of a look drawn over `box` (a picture with the text already in
// it, cut at its edges) again, whole, when it reaches beyond the picture:
// the picture centred in a transparent box big enough for all of it. False
// when the text fits, or cannot be drawn, and `box` is all there is.
bool GrowForText(const QString& templateRoot, const stamp::StampParams& params,
                 const QString& sampleText, render::PictureCache* cache, render::PictureBox& box) {
  const qreal dpr = box.image.devicePixelRatio();
  const QRect client = box.client();
  const QSize room = client.size() + QSize(2 * kOverflowRoom, 2 * kOverflowRoom);
  // The layer in the box's device pixels: the room's corner lies that far
  // before the inner area's.
  const QPoint roomCorner(qRound((client.x() - kOverflowRoom) * dpr),
                          qRound((client.y() - kOverflowRoom) * dpr));
  const QRect picture = box.image.rect();
  // Measured before it is drawn: the text nearly always fits, and is in the
  // box already. A rough bound tells that at once for most texts.
  QRect bound;
  if (render::StampTextBound(room, dpr, params, sampleText, bound) &&
      (bound.isEmpty() || picture.contains(bound.translated(roomCorner))))
    return false;
  QRect extent;
  if (!render::StampTextExtent(room, dpr, params, sampleText, extent) || extent.isEmpty() ||
      picture.contains(extent.translated(roomCorner)))
    return false;
  QImage layer;
  QPoint origin;
  if (!render::StampTextLayer(room, dpr, params, sampleText, layer, origin) || layer.isNull())
    return false;
  const QRect text(roomCorner + origin, layer.size());
  if (picture.contains(text)) return false;
  // As much room on both sides, in whole logical pixels, keeps the picture in
  // the middle and every pixel on a whole device pixel.
  const auto margin = [dpr](int before, int after) {
    return static_cast<int>(std::ceil(qMax(0, qMax(before, after)) / dpr));
  };
  const int mx = margin(picture.left() - text.left(), text.right() - picture.right());
  const int my = margin(picture.top() - text.top(), text.bottom() - picture.bottom());
  render::PictureBox plain(box.logicalSize().width(), box.logicalSize().height(), Qt::transparent,
                           dpr);
  plain.borderless = box.borderless;
  if (!render::DrawTemplatePicture(platform::ResolveRelativePath(templateRoot, params.Picture),
                                   plain, render::ToneOf(params), {}, cache))
    return false;
  render::PictureBox grown(box.logicalSize().width() + 2 * mx, box.logicalSize().height() + 2 * my,
                           Qt::transparent, dpr);
  if (grown.image.isNull()) return false;
  QPainter p(&grown.image);
  p.drawImage(QPointF(mx, my), plain.image);
  p.drawImage(QPointF(mx + text.x() / dpr, my + text.y() / dpr), layer);
  p.end();
  box = std::move(grown);
  return true;
}

}  // namespace

int StampPainter::Result::status() const {
  if (drawing.pictureDrawn && drawing.text == StampTextResult::Drawn) return render::kRenderDrawn;
  // A picture without its text; a stamp that is only text has nothing then.
  if (drawing.pictureDrawn && !textOnly) return render::kRenderTextNotDrawn;
  return render::kRenderBadInput;
}

render::StampTextResult DrawTextStamp(const stamp::StampParams& params, const QString& sampleText,
                                      qreal dpr, QImage& image, QSize& logicalSize) {
  image = QImage();
  logicalSize = QSize();
  QImage layer;
  QPoint origin;
  StampTextResult why = StampTextResult::Drawn;
  if (!render::StampTextLayer(kTextCanvas, dpr, params, sampleText, layer, origin, &why))
    return why;
  if (layer.isNull()) return StampTextResult::Drawn;  // nothing of it is visible
  dpr = layer.devicePixelRatio();
  // The layer is copied at a whole device pixel, so it is not resampled.
  const int margin = static_cast<int>(std::ceil(kTextMargin * dpr));
  const QSize device = layer.size() + QSize(2 * margin, 2 * margin);
  render::PictureBox box(static_cast<int>(std::ceil(device.width() / dpr)),
                         static_cast<int>(std::ceil(device.height() / dpr)), Qt::transparent, dpr);
  if (box.image.isNull()) return StampTextResult::NoSurface;
  QPainter p(&box.image);
  p.drawImage(QPointF(margin / dpr, margin / dpr), layer);
  p.end();
  image = box.image;
  logicalSize = box.logicalSize();
  return StampTextResult::Drawn;
}

StampPainter::StampPainter(const QString& templateRoot) : root_(templateRoot) {}

StampPainter::Result StampPainter::Paint(const stamp::StampParams& params,
                                         const QString& sampleText, qreal dpr) {
  Result r;
  QImage drawn;
  QSize drawnSize;
  if (!params.Picture.isEmpty()) {
    render::PictureBox box(0, 0, Qt::transparent, dpr);
    // The stamp on the desktop is the thumbnail without its border's lines.
    box.borderless = true;
    r.drawing = render::DrawStamp(root_, params, sampleText, box, {}, &cache_);
    if (!r.drawing.pictureDrawn) {
      r.problem = {QCoreApplication::translate("qm::host", "Не удаётся прочитать картинку «%1»")
                       .arg(params.Picture),
                   QStringLiteral("cannot read picture \"%1\"").arg(params.Picture)};
    } else {
      if (r.drawing.text != StampTextResult::Drawn)
        r.problem = TextProblem(r.drawing.text, params);
      else
        GrowForText(root_, params, sampleText, &cache_, box);
      drawn = box.image;
      drawnSize = box.logicalSize();
    }
  }
  // No picture named, or none to be had: the text alone still tells the
  // stamp's news.
  if (drawn.isNull()) {
    r.textOnly = true;
    const StampTextResult text = DrawTextStamp(params, sampleText, dpr, drawn, drawnSize);
    if (params.Picture.isEmpty()) {
      r.drawing.pictureDrawn = true;
      r.drawing.text = text;
      if (text != StampTextResult::Drawn) r.problem = TextProblem(text, params);
    }
  }

  // A look that draws nothing visible (no picture, text, border or shadow) is
  // still what was asked for: it shows as the mark.
  const bool whole = r.problem.isEmpty();
  // The last whole stamp, unless the screen changed under it.
  if (!whole && whole_ && qFuzzyCompare(image_.devicePixelRatio(), dpr)) {
    r.keptLast = true;
    r.problem.tooltip += QCoreApplication::translate("qm::host", "; показан прежний вид.");
    r.problem.log += QStringLiteral("; showing the last whole stamp");
    return r;
  }
  whole_ = whole;
  image_ = drawn.isNull() ? Mark(dpr) : drawn;
  logical_ = drawn.isNull() ? QSize(kMarkSide, kMarkSide) : drawnSize;
  if (!r.problem.isEmpty()) r.problem.tooltip += u'.';
  return r;
}

}  // namespace qm::host
