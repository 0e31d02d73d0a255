#include "render/StampText.h"

#include <QPainter>
#include <QPainterPathStroker>
#include <cmath>

#include "platform/Classic.h"
#include "render/PictureBox.h"
#include "render/StampFont.h"

namespace qm::render {
namespace {

namespace cl = qm::classic;

constexpr int kMinFields = 17;

// Sizes beyond this are not a font size anyone typed on purpose; the outlines
// would only be clipped away, at a high price.
constexpr float kMaxFontSize = 20000.0f;

// A sample text longer than this is cut: a thumbnail cannot show more, and a
// runaway text must not stall the gallery.
constexpr qsizetype kMaxSampleLength = 1024;

const char* const kFieldNames[kMinFields] = {
    "picture",      "font name",     "font style", "font size", "text colour",      "text X",
    "text Y",       "shadow colour", "shadow X",   "shadow Y",  "shadow opacity",   "border colour",
    "border width", "text on",       "shadow on",  "border on", "border under text"};

template <typename T>
bool Convert(const QStringList& f, int i, std::optional<T> (*conv)(QStringView), T& out,
             QString* error) {
  const auto v = conv(f.at(i));
  if (!v) {
    if (error)
      *error = QStringLiteral("field %1 (%2) \"%3\" is not valid")
                   .arg(i)
                   .arg(QLatin1String(kFieldNames[i]), f.at(i).left(40));
    return false;
  }
  out = *v;
  return true;
}

// A colour as drawn: the stored number supplies red, green and blue only.
// Bits above them (from a hand-edited line) must not leak into the alpha.
QColor Argb(std::uint32_t alphaMask, std::int32_t colour) {
  return QColor::fromRgba(alphaMask | (static_cast<std::uint32_t>(colour) & 0xFFFFFFu));
}

}  // namespace

std::optional<StampTextParams> ParseStampTextLine(const QString& line, QString* error) {
  const QStringList f = cl::Split(line, u'|');
  if (f.size() < kMinFields) {
    if (error)
      *error = QStringLiteral("the line has %1 fields, at least %2 are needed")
                   .arg(f.size())
                   .arg(kMinFields);
    return std::nullopt;
  }
  StampTextParams p;
  p.fontName = f.at(1);
  const bool ok = Convert(f, 2, cl::ToInt32, p.fontStyle, error) &&
                  Convert(f, 3, cl::ToSingle, p.fontSize, error) &&
                  Convert(f, 4, cl::ToInt32, p.textColor, error) &&
                  Convert(f, 5, cl::ToSingle, p.textX, error) &&
                  Convert(f, 6, cl::ToSingle, p.textY, error) &&
                  Convert(f, 7, cl::ToInt32, p.shadowColor, error) &&
                  Convert(f, 8, cl::ToSingle, p.shadowX, error) &&
                  Convert(f, 9, cl::ToSingle, p.shadowY, error) &&
                  Convert(f, 10, cl::ToByte, p.shadowAlpha, error) &&
                  Convert(f, 11, cl::ToInt32, p.borderColor, error) &&
                  Convert(f, 12, cl::ToSingle, p.borderWidth, error) &&
                  Convert(f, 13, cl::ToBool, p.textOn, error) &&
                  Convert(f, 14, cl::ToBool, p.shadowOn, error) &&
                  Convert(f, 15, cl::ToBool, p.borderOn, error) &&
                  Convert(f, 16, cl::ToBool, p.borderUnder, error);
  if (!ok) return std::nullopt;
  return p;
}

float BorderPenWidth(float borderWidth, bool borderUnder) {
  const double w = borderWidth;
  // Under the text half of the outline is hidden by the fill, so the pen grows
  // faster; the curve was fitted so that widths 1..15 look alike either way.
  const double pen = borderUnder ? (1.1414 - 0.0356 * w) * w + 0.8832 : (w + 3) / 3;
  return static_cast<float>(pen);
}

QString EffectiveSampleText(const QString& sampleText) {
  return sampleText.isEmpty() ? QStringLiteral("+38\u00B0") : sampleText;
}

StampTextResult DrawStampText(QPainter& painter, const QSize& clientSize, const StampTextParams& p,
                              const QString& sampleText) {
  QString text = EffectiveSampleText(sampleText);
  if (text.size() > kMaxSampleLength) text.truncate(kMaxSampleLength);

  const float penWidth = BorderPenWidth(p.borderWidth, p.borderUnder);
  const std::uint32_t opaque = 0xFF000000u;
  const std::uint32_t shadowMask = static_cast<std::uint32_t>(p.shadowAlpha) << 24;

  if (!painter.isActive()) return StampTextResult::NoSurface;
  const auto face = StampFace::Load(p.fontName, p.fontStyle);
  if (!face) return StampTextResult::FontNotFound;
  if (!(p.fontSize > 0.0f) || !(p.fontSize <= kMaxFontSize))
    return StampTextResult::FontSizeInvalid;

  const qreal W = clientSize.width();
  const qreal H = clientSize.height();
  const qreal s = static_cast<qreal>(p.fontSize) / face->unitsPerEm();
  const StampFace::Shape shape = face->shape(text);

  // Centred by the typographic box (advances and line spacing), not by the
  // ink: templates were positioned against this box.
  const qreal bw = s * shape.advance;
  const qreal bh = s * face->lineSpacing();
  const qreal cx = (W - bw) / 2;
  const qreal cy = (H - bh) / 2;

  // The outline in pixels with the top of the line box at (0, 0).
  QPainterPath path = QTransform(s, 0, 0, s, 0, s * face->ascent()).map(shape.path);
  path.setFillRule(Qt::WindingFill);

  // A pen narrower than nothing (border widths far outside the slider's range)
  // draws no outline rather than whatever the backend makes of it.
  const bool stroke = p.borderOn && penWidth > 0.0f && std::isfinite(penWidth);
  QPainterPath outline;
  if (stroke) {
    // The shadow and the text share one outline shape: build it once.
    QPainterPathStroker stroker;
    stroker.setWidth(penWidth);
    stroker.setJoinStyle(Qt::RoundJoin);
    stroker.setCapStyle(Qt::FlatCap);
    outline = stroker.createStroke(path);
  }

  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setPen(Qt::NoPen);
  painter.setClipRect(QRectF(0, 0, W, H), Qt::IntersectClip);
  const QTransform base = painter.transform();

  auto drawAt = [&](qreal x, qreal y, const QColor& fillColour, const QColor& lineColour, bool fill,
                    bool under) {
    painter.setTransform(QTransform::fromTranslate(x, y) * base);
    if (fill && !under) painter.fillPath(path, fillColour);
    if (stroke) painter.fillPath(outline, lineColour);
    if (fill && under) painter.fillPath(path, fillColour);
  };

  const qreal x = cx + static_cast<qreal>(p.textX);
  const qreal y = cy - static_cast<qreal>(p.textY);  // positive Y is up
  if (p.shadowOn) {
    // The shadow is filled even when the text itself is not: it stands for the
    // whole stamp, outline included.
    const QColor shadow = Argb(shadowMask, p.shadowColor);
    drawAt(x + static_cast<qreal>(p.shadowX), y - static_cast<qreal>(p.shadowY), shadow, shadow,
           true, p.borderUnder);
  }
  drawAt(x, y, Argb(opaque, p.textColor), Argb(opaque, p.borderColor), p.textOn, p.borderUnder);

  painter.restore();
  return StampTextResult::Drawn;
}

bool DrawStampText(QPainter& painter, const QSize& clientSize, const QString& line,
                   const QString& sampleText) {
  const auto params = ParseStampTextLine(line);
  if (!params) return false;
  return DrawStampText(painter, clientSize, *params, sampleText) == StampTextResult::Drawn;
}

bool DrawStampText(PictureBox& box, const QString& line, const QString& sampleText) {
  const auto params = ParseStampTextLine(line);
  if (!params) return false;  // refused before anything is drawn
  if (box.image.isNull()) return false;
  QPainter painter(&box.image);
  return DrawStampText(painter, box.logicalSize(), *params, sampleText) == StampTextResult::Drawn;
}

}  // namespace qm::render
