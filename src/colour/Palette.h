#pragma once
// The user colour set (28 palette cells), its stored "Colors" form, and the
// nine preview background colours of the gallery. All values are BGR colour
// references (0x00BBGGRR), the layout the swatches are painted with.

#include <QString>
#include <QtGlobal>
#include <array>

namespace qm::colour {

inline constexpr int kColourCellCount = 28;
using ColourCells = std::array<qint32, kColourCellCount>;

// The colours the 28 cells have before the saved set is applied, and the
// colour a Shift-click restores.
inline constexpr ColourCells DefColors = {
    0xFFFFFF, 0xFF,     0xFFFF,   0xFF00,   0xFFFF00, 0xFF0000, 0xFF00FF,
    0xFFFF80, 0x4080FF, 0x0,      0x80,     0x8080,   0x8000,   0x808000,
    0x800000, 0x800080, 0xFF8000, 0x4080,   0x404000, 0x80FF00, 0xC0,
    0xFF40CC, 0x808080, 0xC0C0C0, 0xFFCC40, 0xFFC0C0, 0x400000, 0xC0C0};

// Background numbers 1..9 (FonNum) index this palette from 1.
inline constexpr std::array<qint32, 9> BackgroundPalette = {
    0xFFFFFF, 0xC0C0C0, 0xFFFF80, 0xFFC0C0, 0xFFCC40, 0x0000FF, 0xFF0000, 0x404040, 0x000000};

// The background colour of number FonNum; a stored number outside 1..9 (a
// hand-edited setting) shows number 1, white, instead of failing.
qint32 BackgroundColour(int FonNum);

// Applies the stored "Colors" text to the cells: item i, as far as there are
// items, replaces cell i. An item that is not a colour keeps that cell as it
// was, so one bad item in a hand-edited file costs one cell and not the set;
// items past the 28th are ignored; an empty text changes nothing.
void ApplyColorsKey(const QString& text, ColourCells& cells);

// The stored form: the 28 cells as "&H" hex joined with "|".
QString ColorsKeyText(const ColourCells& cells);

}  // namespace qm::colour
