#include "colour/HexColour.h"

#include "platform/Classic.h"

namespace qm::colour {

std::optional<stamp::Rgb> ParseHexColour(QStringView text) {
  text = text.trimmed();
  const bool hash = text.startsWith(u'#');
  if (hash) text = text.mid(1);
  int digits[6];
  if (text.size() == 6) {
    for (int i = 0; i < 6; ++i) digits[i] = classic::HexDigit(text[i]);
  } else if (text.size() == 3 && hash) {
    for (int i = 0; i < 3; ++i) digits[2 * i] = digits[2 * i + 1] = classic::HexDigit(text[i]);
  } else {
    return std::nullopt;
  }
  for (const int d : digits)
    if (d < 0) return std::nullopt;
  return stamp::Rgb{digits[0] * 16 + digits[1], digits[2] * 16 + digits[3],
                    digits[4] * 16 + digits[5]};
}

QString HexColourText(const stamp::Rgb& c) {
  return QStringLiteral("#%1%2%3")
      .arg(c.r, 2, 16, QLatin1Char('0'))
      .arg(c.g, 2, 16, QLatin1Char('0'))
      .arg(c.b, 2, 16, QLatin1Char('0'))
      .toUpper();
}

}  // namespace qm::colour
