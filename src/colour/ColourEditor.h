#pragma once
// The pure side of the colour editor: which stamp colour the page edits and
// how the mouse buttons switch it, the numbers typed into its boxes, and the
// hue strip's colours, marker place and nearest-column search. The page widget
// (pages/ui/ColourPage) wires these to its controls.

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <vector>

#include "stamp/ColourOrder.h"
#include "stamp/StampParams.h"

namespace qm::colour {

// Colour targets; they equal the mouse-button codes that lead to them.
inline constexpr std::int16_t kTargetText = 1;
inline constexpr std::int16_t kTargetShadow = 2;
inline constexpr std::int16_t kTargetBorder = 4;

// Mouse-button codes as the handlers take them.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;

// True for the left button. The right button toggles between text and shadow
// (from border it goes to shadow), the middle one between text and border
// (from shadow it goes to border); any other button changes nothing.
bool IsLeftButton(int Button, std::int16_t& ClrTarget);

// The message key of a target: "c" shadow, "C" text, "q" border (the text
// colour's key for anything else, as the first option is the default).
QString Button2Cmd(std::int16_t ClrTarget);

// The colour of a target in a look, as the controls show it (BGR). A
// hand-edited colour that does not fit 24 bits shows its low 24 bits, which
// is also what the renderers draw.
qint32 TargetColour(const stamp::StampParams& p, std::int16_t ClrTarget);

// A colour box's number: the leading number of the text (12abc is 12, an
// empty text or letters 0), rounded with halves to even, kept in 0..255.
int ComponentOfText(QStringView text);

// The hue strip: `columns` columns of fully saturated, full-value colours,
// column x holding the hue (x + 1/2) * 360 / columns degrees, so it runs from
// red through yellow, green, cyan, blue and magenta back toward red.
stamp::Rgb HueStripColour(int column, int columns);

using HueRow = std::array<std::int16_t, 3>;  // red, green, blue
using HueTableRows = std::vector<HueRow>;

// The column whose colour is nearest (sum of component differences); among
// equal distances the leftmost wins, an exact match ends the search, and an
// empty table gives column 0.
int FindColumn(const HueTableRows& table, const stamp::Rgb& c);

// Where the hue marker goes for a pointer at x (pixels inside the strip): its
// left edge, so that its centre is on the pointer but never left of the first
// column nor right of the last. The centre is the returned value + width / 2.
int MarkerLeft(int x, int stripWidth, int markerWidth);

}  // namespace qm::colour
