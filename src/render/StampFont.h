#pragma once
// Fonts for the stamp preview, looked up and measured the way stored templates
// expect: a family counts only when it is installed under that exact name (no
// silent fallback to a look-alike), glyphs are laid out without hinting or
// kerning, the line box starts at the top of the Windows ascent, and a text is
// measured by the sum of its advances.

#include <QFont>
#include <QHash>
#include <QPainterPath>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace qm::render {

// Font style bits as templates store them.
enum FontStyleBits : int {
  kFontBold = 1,
  kFontItalic = 2,
  kFontUnderline = 4,
  kFontStrikeout = 8,
};

// Installed families that have a regular (upright, lighter than bold) style,
// in the order the font database lists them, without foundry suffixes and
// without fontconfig's generic aliases.
QStringList InstalledFontFamilies();

// The installed family whose name equals `name` without regard to case (after
// the same clean-up as above) and that has a regular style; nullopt otherwise.
// The result is the name to hand to QFont.
std::optional<QString> FindInstalledFamily(const QString& name);

// One family and style, loaded at a size of one em in font units so that any
// fractional pixel size is an exact scale of the same outlines.
class StampFace {
 public:
  // Nullopt when the family is not installed (see FindInstalledFamily).
  static std::shared_ptr<const StampFace> Load(const QString& family, int styleBits);

  // The text's outline at one em, baseline at y = 0, origin at x = 0, winding
  // fill, and its typographic width in font units (trailing blanks not
  // counted; a text of blanks only keeps its first character).
  struct Shape {
    QPainterPath path;
    qreal advance = 0;
  };
  Shape shape(const QString& text) const;

  qreal unitsPerEm() const { return unitsPerEm_; }
  // Distance from the top of the line box to the baseline, in font units.
  qreal ascent() const { return ascent_; }
  // Height of one line in font units.
  qreal lineSpacing() const { return lineSpacing_; }
  const QFont& emFont() const { return emFont_; }

 private:
  QFont emFont_;
  qreal unitsPerEm_ = 0;
  qreal ascent_ = 0;
  qreal lineSpacing_ = 0;
  mutable QHash<QString, Shape> shapes_;
};

// The text that measurement sees: trailing blanks removed, unless that leaves
// nothing, in which case the first character stays.
QString MeasuredPart(const QString& text);

// Drops every cached face and family lookup (after fonts were added or removed).
void ClearStampFontCache();

}  // namespace qm::render
