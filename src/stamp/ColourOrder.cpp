#include "stamp/ColourOrder.h"

namespace qm::stamp {

qint32 Color2RGB(qint32 Clr) {
  const quint32 v = static_cast<quint32>(Clr);
  return static_cast<qint32>(((v & 0xFFu) << 16) | (v & 0xFF00u) | ((v >> 16) & 0xFFu));
}

Rgb SplitColour(qint32 bgr) { return {bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF}; }

qint32 JoinColour(qint32 r, qint32 g, qint32 b) { return r + 256 * g + 65536 * b; }

Rgb SplitRgb(qint32 rgb) { return {(rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF}; }

qint32 JoinRgb(const Rgb& c) { return JoinColour(c.b, c.g, c.r); }

}  // namespace qm::stamp
