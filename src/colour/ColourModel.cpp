#include "colour/ColourModel.h"

#include <cmath>

#include "platform/Classic.h"

namespace qm::colour {
namespace {

qint32 Round255(double unit) {
  // Every caller passes a fraction of a 0..255 component, so the cast is safe.
  return static_cast<qint32>(qm::classic::RoundHalfEven(unit * 255.0));
}

}  // namespace

double Max3(double a, double b, double c) {
  const double m = a > b ? a : b;
  return m > c ? m : c;
}

double Min3(double a, double b, double c) {
  const double m = a < b ? a : b;
  return m < c ? m : c;
}

void RGB2HSV(qint32 R, qint32 G, qint32 B, qint32& H, qint32& S, qint32& V) {
  const double r = R / 255.0;
  const double g = G / 255.0;
  const double b = B / 255.0;
  const double min = Min3(r, g, b);
  const double max = Max3(r, g, b);
  const double delta = max - min;
  double hue = 0;
  double saturation = 0;
  if (delta != 0) {
    saturation = delta / max;
    const double dR = ((max - r) / 6 + delta / 2) / delta;
    const double dG = ((max - g) / 6 + delta / 2) / delta;
    const double dB = ((max - b) / 6 + delta / 2) / delta;
    // Ties for the largest component resolve red before green before blue.
    if (r == max)
      hue = dB - dG;
    else if (g == max)
      hue = 1.0 / 3 + dR - dB;
    else
      hue = 2.0 / 3 + dG - dR;
    if (hue < 0) hue += 1;
    if (hue > 1) hue -= 1;
  }
  H = Round255(hue);
  S = Round255(saturation);
  V = Round255(max);
}

void HSV2RGB(qint32 H, qint32 S, qint32 V, qint32& R, qint32& G, qint32& B) {
  const double h = H / 255.0;
  const double s = S / 255.0;
  const double v = V / 255.0;
  if (s == 0) {
    R = G = B = Round255(v);
    return;
  }
  double x = h * 6;
  if (x == 6) x = 0;  // hue 255 lies next to 0 on the circle
  // A hue outside 0..255 would give a sector outside the table; keep it on
  // the circle instead of reading garbage.
  int sector = static_cast<int>(std::floor(x));
  const double f = x - sector;
  sector = ((sector % 6) + 6) % 6;
  const double p = v * (1 - s);
  const double q = v * (1 - s * f);
  const double t = v * (1 - s * (1 - f));
  // Which of v, t, p and q red, green and blue take in each sixth of the
  // circle.
  enum Part { kV, kT, kP, kQ };
  static constexpr Part kSectors[6][3] = {{kV, kT, kP}, {kQ, kV, kP}, {kP, kV, kT},
                                          {kP, kQ, kV}, {kT, kP, kV}, {kV, kP, kQ}};
  const double parts[] = {v, t, p, q};
  const Part(&take)[3] = kSectors[sector];
  R = Round255(parts[take[0]]);
  G = Round255(parts[take[1]]);
  B = Round255(parts[take[2]]);
}

Hsv RGB2HSV(const Rgb& c) {
  Hsv out;
  RGB2HSV(c.r, c.g, c.b, out.h, out.s, out.v);
  return out;
}

Rgb HSV2RGB(const Hsv& c) {
  Rgb out;
  HSV2RGB(c.h, c.s, c.v, out.r, out.g, out.b);
  return out;
}

QString ColourHexText(qint32 value) { return qm::classic::HexText(value); }

std::optional<qint32> ReadColourText(QStringView text) {
  const auto v = qm::classic::ToInt32(text);
  if (!v || *v < 0 || *v > kMaxColour) return std::nullopt;
  return v;
}

}  // namespace qm::colour
