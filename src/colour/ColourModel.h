#pragma once
// Colour values and the hue/saturation/value model of the colour editor.
//
// Two byte orders meet in this program: the controls, the palette and
// CurrentParams hold the platform's colour reference 0x00BBGGRR, while the
// parameter line and the host messages carry 0x00RRGGBB. Color2RGB turns one
// into the other (it is its own inverse). The hue/saturation/value triple is
// on a 0..255 scale, which is what the luma slider of the colour editor works
// with; every result is rounded to the nearest integer with halves to even.

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <optional>

namespace qm::colour {

// Exchanges bytes 0 and 2 and clears byte 3: BGR <-> RGB.
qint32 Color2RGB(qint32 Clr);

struct Rgb {
  qint32 r = 0;
  qint32 g = 0;
  qint32 b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Hsv {
  qint32 h = 0;
  qint32 s = 0;
  qint32 v = 0;
  friend bool operator==(const Hsv&, const Hsv&) = default;
};

// Components of a BGR colour value (red in the low byte) and back.
Rgb SplitColour(qint32 bgr);
qint32 JoinColour(qint32 r, qint32 g, qint32 b);
inline qint32 JoinColour(const Rgb& c) { return JoinColour(c.r, c.g, c.b); }

// Components 0..255 -> hue, saturation, value 0..255 (and back).
void RGB2HSV(qint32 R, qint32 G, qint32 B, qint32& H, qint32& S, qint32& V);
void HSV2RGB(qint32 H, qint32 S, qint32 V, qint32& R, qint32& G, qint32& B);
Hsv RGB2HSV(const Rgb& c);
Rgb HSV2RGB(const Hsv& c);

double Max3(double a, double b, double c);
double Min3(double a, double b, double c);

// "&H" + upper-case hexadecimal without leading zeros ("&H0", "&HFF").
QString ColourHexText(qint32 value);

// A colour as it may be stored: "&H" hexadecimal (read unsigned, so "&HFFFF" is
// 65535) or a plain decimal number. Only values that are a colour, 0..&HFFFFFF,
// are accepted: a hand-edited "-1" or "&H1000000" would otherwise reach a
// swatch as something that is not a colour at all.
std::optional<qint32> ReadColourText(QStringView text);

inline constexpr qint32 kMaxColour = 0xFFFFFF;

}  // namespace qm::colour
