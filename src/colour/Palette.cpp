#include "colour/Palette.h"

#include "colour/ColourModel.h"
#include "platform/Classic.h"

namespace qm::colour {

qint32 BackgroundColour(int FonNum) {
  if (FonNum < 1 || FonNum > static_cast<int>(BackgroundPalette.size())) FonNum = 1;
  return BackgroundPalette[static_cast<std::size_t>(FonNum - 1)];
}

void ApplyColorsKey(const QString& text, ColourCells& cells) {
  if (text.isEmpty()) return;
  const QStringList items = qm::classic::Split(text, u'|');
  const qsizetype n = std::min<qsizetype>(items.size(), kColourCellCount);
  for (qsizetype i = 0; i < n; ++i) {
    if (const auto c = ReadColourText(items[i])) cells[static_cast<std::size_t>(i)] = *c;
  }
}

QString ColorsKeyText(const ColourCells& cells) {
  QStringList items;
  items.reserve(kColourCellCount);
  for (const qint32 c : cells) items << ColourHexText(c);
  return items.join(u'|');
}

}  // namespace qm::colour
