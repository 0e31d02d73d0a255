#pragma once
// The stamp text preview: the sample text drawn with a template's font, size,
// style, colours, offsets, shadow and border, centred in a box, over whatever
// the box already shows.

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <cstdint>
#include <optional>

#include "stamp/StampParams.h"

class QPainter;

namespace qm::render {

struct PictureBox;

enum class StampTextResult {
  Drawn,
  NoSurface,        // the target cannot be painted on
  FontNotFound,     // the family is not installed or has no regular style
  FontSizeInvalid,  // a size of 0, a negative or an absurd size
};

// Pen width of the border (and of the shadow outline) for a border width.
float BorderPenWidth(float borderWidth, bool borderUnder);

// The sample text as drawn: an empty text becomes "+38°".
QString EffectiveSampleText(const QString& sampleText);

// Draws the text of a look (fields 1..16; the picture and its tone are not
// read) on `painter` into a box of `clientSize` logical pixels at (0, 0); the
// painter's state is restored afterwards and nothing lands outside the box.
// Offsets are held within a range that keeps every position finite and
// whole-numbered where it must be; a box larger than the drawing cap is drawn
// only in the part DrawableArea leaves (see DrawingCap.h).
StampTextResult DrawStampText(QPainter& painter, const QSize& clientSize,
                              const stamp::StampParams& params, const QString& sampleText);

// Straight into a picture box's pixels (the quickest way), in its inner area.
StampTextResult DrawStampText(PictureBox& box, const stamp::StampParams& params,
                              const QString& sampleText);

// The text of a look alone, as DrawStampText would draw it
// into a transparent box of `clientSize` logical pixels at `dpr`, but only
// the part it can touch: `layer` (premultiplied, `dpr` set) belongs at device
// pixel `origin` of the box, and is null when the text leaves the box
// untouched. Laying it over a box gives the same pixels as laying the whole
// transparent box would, without filling and blending the empty rest. False
// when the text cannot be drawn (as DrawStampText), with the reason in `why`.
bool StampTextLayer(const QSize& clientSize, qreal dpr, const stamp::StampParams& params,
                    const QString& sampleText, QImage& layer, QPoint& origin,
                    StampTextResult* why = nullptr);

// Where StampTextLayer would put its layer (`origin` and size, empty when
// nothing would show), at a fraction of its cost: nothing is rasterised.
// False when the text cannot be drawn.
bool StampTextExtent(const QSize& clientSize, qreal dpr, const stamp::StampParams& params,
                     const QString& sampleText, QRect& extent);

// A rectangle that holds StampTextExtent's, from the outline's control
// points rather than its curves: a few rectangles worked out instead of a
// path flattened, for telling quickly that a text lies well inside a picture.
// False when the text cannot be drawn.
bool StampTextBound(const QSize& clientSize, qreal dpr, const stamp::StampParams& params,
                    const QString& sampleText, QRect& bound);

}  // namespace qm::render
