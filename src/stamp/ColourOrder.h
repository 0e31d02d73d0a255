#pragma once
// The two byte orders a colour takes in this program. The line and the host
// messages hold 0x00RRGGBB; the window's colour controls, the palette and the
// preview background hold the platform's colour reference 0x00BBGGRR.
// Color2RGB turns one into the other (it is its own inverse).

#include <QtGlobal>

namespace qm::stamp {

// Exchanges bytes 0 and 2 and clears byte 3: BGR <-> RGB.
qint32 Color2RGB(qint32 Clr);

struct Rgb {
  qint32 r = 0;
  qint32 g = 0;
  qint32 b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Components of a BGR colour reference (red in the low byte) and back.
Rgb SplitColour(qint32 bgr);
qint32 JoinColour(qint32 r, qint32 g, qint32 b);
inline qint32 JoinColour(const Rgb& c) { return JoinColour(c.r, c.g, c.b); }

// Components of a line colour (red in bits 16..23) and back.
Rgb SplitRgb(qint32 rgb);
qint32 JoinRgb(const Rgb& c);

}  // namespace qm::stamp
