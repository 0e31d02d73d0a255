#include "colour/ColourEditor.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/Classic.h"

namespace qm::colour {

bool IsLeftButton(int Button, std::int16_t& ClrTarget) {
  switch (Button) {
    case kLeftButton:
      return true;
    case kRightButton:
      ClrTarget = ClrTarget == kTargetShadow ? kTargetText : kTargetShadow;
      return false;
    case kMiddleButton:
      ClrTarget = ClrTarget == kTargetBorder ? kTargetText : kTargetBorder;
      return false;
    default:
      return false;
  }
}

QString Button2Cmd(std::int16_t ClrTarget) {
  if (ClrTarget == kTargetShadow) return QStringLiteral("c");
  if (ClrTarget == kTargetText) return QStringLiteral("C");
  if (ClrTarget == kTargetBorder) return QStringLiteral("q");
  return QStringLiteral("C");
}

qint32 TargetColour(const stamp::StampParams& p, std::int16_t ClrTarget) {
  qint32 line = p.TextColor;
  if (ClrTarget == kTargetShadow) line = p.ShadowColor;
  if (ClrTarget == kTargetBorder) line = p.BorderColor;
  // Color2RGB keeps three bytes only.
  return stamp::Color2RGB(line);
}

int ComponentOfText(QStringView text) {
  // Clamped before rounding: a typed "1e99" must not overflow the integer.
  const double v = std::clamp(qm::classic::Val(text), 0.0, 255.0);
  return static_cast<int>(qm::classic::RoundHalfEven(v));
}

stamp::Rgb HueStripColour(int column, int columns) {
  // Six sectors of 60 degrees; in each one component is full, one is zero and
  // one ramps.
  const double h = std::fmod((column + 0.5) * 360.0 / columns, 360.0) / 60.0;
  const int sector = static_cast<int>(h);
  const double f = h - sector;
  const auto ramp = [](double x) { return static_cast<qint32>(std::lround(255.0 * x)); };
  const qint32 up = ramp(f);
  const qint32 down = ramp(1.0 - f);
  switch (sector) {
    case 0:
      return {255, up, 0};
    case 1:
      return {down, 255, 0};
    case 2:
      return {0, 255, up};
    case 3:
      return {0, down, 255};
    case 4:
      return {up, 0, 255};
    default:
      return {255, 0, down};
  }
}

int FindColumn(const HueTableRows& table, const stamp::Rgb& c) {
  int best = 0;
  int bestDistance = 768;  // more than any real distance
  for (std::size_t x = 0; x < table.size(); ++x) {
    const HueRow& row = table[x];
    const int d = std::abs(row[0] - c.r) + std::abs(row[1] - c.g) + std::abs(row[2] - c.b);
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<int>(x);
      if (d == 0) break;
    }
  }
  return best;
}

int MarkerLeft(int x, int stripWidth, int markerWidth) {
  const int half = markerWidth / 2;
  int left = x - half;
  if (left < -half) left = -half;
  if (left >= stripWidth - half) left = stripWidth - half - 1;
  return left;
}

}  // namespace qm::colour
