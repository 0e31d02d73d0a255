#pragma once
// A colour written as web-style hex text, for the colour page's box: the
// editor shows "#RRGGBB" and reads "#RRGGBB", "RRGGBB" and the short "#RGB"
// (each digit doubled), in either case, with blanks around it allowed.

#include <QString>
#include <QStringView>
#include <optional>

#include "stamp/ColourOrder.h"

namespace qm::colour {

// nullopt for any other text (a missing or extra digit, a non-hex letter,
// "RGB" without its "#", which reads as a truncated colour more likely than
// a short one).
std::optional<stamp::Rgb> ParseHexColour(QStringView text);
// "#RRGGBB", upper case.
QString HexColourText(const stamp::Rgb& c);

}  // namespace qm::colour
