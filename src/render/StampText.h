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

class QPainter;

namespace qm::render {

struct PictureBox;

// The fields of a parameter line that the text preview reads (fields 1..16).
struct StampTextParams {
  QString fontName;
  std::int32_t fontStyle = 0;  // bit 0 bold, bit 1 italic, bit 2 underline, bit 3 strikeout
  float fontSize = 0;          // pixels
  std::int32_t textColor = 0;  // 0x00RRGGBB
  float textX = 0;             // positive = right
  float textY = 0;             // positive = up
  std::int32_t shadowColor = 0;
  float shadowX = 0;  // relative to the text, positive = right
  float shadowY = 0;  // positive = up
  std::uint8_t shadowAlpha = 0;
  std::int32_t borderColor = 0;
  float borderWidth = 0;
  bool textOn = false;
  bool shadowOn = false;
  bool borderOn = false;
  bool borderUnder = false;
};

// Converts fields 1..16 of a parameter line. Nullopt for a line of fewer than
// 17 fields or a field that is not a number of its type (a shadow opacity
// outside 0..255 included); `error` then says which field and why.
std::optional<StampTextParams> ParseStampTextLine(const QString& line, QString* error = nullptr);

enum class StampTextResult {
  Drawn,
  BadLine,          // the line was refused; nothing drawn
  NoSurface,        // the target cannot be painted on
  FontNotFound,     // the family is not installed or has no regular style
  FontSizeInvalid,  // a size of 0, a negative or an absurd size
};

// Pen width of the border (and of the shadow outline) for a border width.
float BorderPenWidth(float borderWidth, bool borderUnder);

// The sample text as drawn: an empty text becomes "+38°".
QString EffectiveSampleText(const QString& sampleText);

// Draws on `painter` into a box of `clientSize` logical pixels at (0, 0); the
// painter's state is restored afterwards and nothing lands outside the box.
StampTextResult DrawStampText(QPainter& painter, const QSize& clientSize,
                              const StampTextParams& params, const QString& sampleText);

// Straight into a picture box's pixels (the quickest way).
StampTextResult DrawStampText(PictureBox& box, const StampTextParams& params,
                              const QString& sampleText);

// The same for a whole parameter line; true when the text was drawn.
bool DrawStampText(QPainter& painter, const QSize& clientSize, const QString& line,
                   const QString& sampleText);
bool DrawStampText(PictureBox& box, const QString& line, const QString& sampleText);

// The text of a whole parameter line alone, as DrawStampText would draw it
// into a transparent box of `clientSize` logical pixels at `dpr`, but only
// the part it can touch: `layer` (premultiplied, `dpr` set) belongs at device
// pixel `origin` of the box, and is null when the text leaves the box
// untouched. Laying it over a box gives the same pixels as laying the whole
// transparent box would, without filling and blending the empty rest. False
// when the text cannot be drawn (as DrawStampText).
bool StampTextLayer(const QSize& clientSize, qreal dpr, const QString& line,
                    const QString& sampleText, QImage& layer, QPoint& origin);

}  // namespace qm::render
