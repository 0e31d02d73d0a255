#pragma once
// Colour values and the hue/saturation/value model of the colour editor.
//
// The byte orders of a colour (stamp/ColourOrder.h) are the stamp model's;
// this adds what only the colour tools need. The hue/saturation/value triple
// is on a 0..255 scale, which is what the luma slider of the colour editor works
// with; every result is rounded to the nearest integer with halves to even.

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <optional>

#include "stamp/ColourOrder.h"

namespace qm::colour {

using stamp::Rgb;

struct Hsv {
  qint32 h = 0;
  qint32 s = 0;
  qint32 v = 0;
  friend bool operator==(const Hsv&, const Hsv&) = default;
};

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
