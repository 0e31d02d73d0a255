#include "render/StampFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QMutex>
#include <QRawFont>

namespace qm::render {
namespace {

bool IsBlank(QChar c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v';
}

// The font database names a family "Name [foundry]" when two foundries ship
// it; templates store the bare name. The last bracketed part goes, with the
// blanks round it; inside it anything but a closing bracket may stand. (By
// hand: a regular expression would bring its engine into both programs for
// this alone.)
QString StripFoundry(const QString& family) {
  qsizetype end = family.size();
  while (end > 0 && IsBlank(family[end - 1])) --end;
  if (end == 0 || family[end - 1] != u']') return family;
  // The first opening bracket after the last closing one before the end.
  qsizetype open = -1;
  for (qsizetype i = end - 2; i >= 0 && family[i] != u']'; --i)
    if (family[i] == u'[') open = i;
  if (open < 0) return family;
  while (open > 0 && IsBlank(family[open - 1])) --open;
  return family.left(open);
}

// fontconfig's generic names stand for whatever it substitutes: never a real
// family that a template could have been made with.
bool IsPseudoFamily(const QString& family) {
  static const QStringList pseudo = {QStringLiteral("sans serif"), QStringLiteral("sans-serif"),
                                     QStringLiteral("serif"),      QStringLiteral("monospace"),
                                     QStringLiteral("sans"),       QStringLiteral("mono")};
  return pseudo.contains(family.toLower());
}

bool HasRegularStyle(const QString& dbFamily) {
  const QStringList styles = QFontDatabase::styles(dbFamily);
  for (const QString& style : styles) {
    if (!QFontDatabase::italic(dbFamily, style) &&
        QFontDatabase::weight(dbFamily, style) < QFont::Bold)
      return true;
  }
  return false;
}

struct FamilyIndex {
  QStringList names;               // cleaned names, database order, no duplicates
  QHash<QString, QString> lookup;  // lower-case cleaned name -> database name
};

// One index for the process, built once: walking the font database is the
// dearest part of a first lookup, and the gallery's threads would each walk
// it again. Callers get a copy, which shares the built one's data.
std::optional<FamilyIndex>& FamilySlot() {
  static std::optional<FamilyIndex> index;
  return index;
}

QMutex& FamilyMutex() {
  static QMutex mutex;
  return mutex;
}

FamilyIndex Families() {
  const QMutexLocker lock(&FamilyMutex());
  std::optional<FamilyIndex>& index = FamilySlot();
  if (!index) {
    index.emplace();
    const QStringList all = QFontDatabase::families();
    for (const QString& db : all) {
      const QString clean = StripFoundry(db);
      if (clean.isEmpty() || IsPseudoFamily(clean)) continue;
      const QString key = clean.toLower();
      if (index->lookup.contains(key)) continue;
      if (!HasRegularStyle(db)) continue;
      index->lookup.insert(key, db);
      index->names << clean;
    }
  }
  return *index;
}

using FaceCache = QHash<QString, std::shared_ptr<const StampFace>>;
FaceCache& Faces() {
  thread_local FaceCache faces;
  return faces;
}

quint16 U16(const QByteArray& t, int at) {
  return static_cast<quint16>((static_cast<quint8>(t[at]) << 8) | static_cast<quint8>(t[at + 1]));
}
qint16 S16(const QByteArray& t, int at) { return static_cast<qint16>(U16(t, at)); }

// Shapes of recent texts per face; the gallery draws the same sample text with
// a handful of fonts over and over.
constexpr int kShapeCacheLimit = 64;

}  // namespace

QStringList InstalledFontFamilies() { return Families().names; }

std::optional<QString> FindInstalledFamily(const QString& name) {
  QString key = name.trimmed();
  if (key.contains(QLatin1Char('['))) key = StripFoundry(key);
  key = key.toLower();
  if (key.isEmpty()) return std::nullopt;
  const QHash<QString, QString> lookup = Families().lookup;
  const auto it = lookup.constFind(key);
  if (it == lookup.constEnd()) return std::nullopt;
  return *it;
}

QString MeasuredPart(const QString& text) {
  qsizetype end = text.size();
  while (end > 0 && text.at(end - 1).isSpace()) --end;
  if (end == 0) return text.left(1);
  return text.left(end);
}

void ClearStampFontCache() {
  Faces().clear();
  const QMutexLocker lock(&FamilyMutex());
  FamilySlot().reset();  // rebuilt on the next lookup
}

std::shared_ptr<const StampFace> StampFace::Load(const QString& family, int styleBits) {
  const auto db = FindInstalledFamily(family);
  if (!db) return nullptr;
  styleBits &= kFontBold | kFontItalic | kFontUnderline | kFontStrikeout;
  const QString key = db->toLower() + QLatin1Char('\n') + QString::number(styleBits);
  FaceCache& faces = Faces();
  if (const auto it = faces.constFind(key); it != faces.constEnd()) return *it;

  QFont font(*db);
  // No fallback to other fonts for missing glyphs, no hinting, no kerning: the
  // outlines must be those of this family at an exact scale.
  font.setStyleStrategy(QFont::StyleStrategy(QFont::NoFontMerging | QFont::PreferOutline));
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setKerning(false);
  font.setBold(styleBits & kFontBold);
  font.setItalic(styleBits & kFontItalic);
  font.setUnderline(styleBits & kFontUnderline);
  font.setStrikeOut(styleBits & kFontStrikeout);
  font.setPixelSize(100);
  if (QFontInfo(font).family().compare(StripFoundry(*db), Qt::CaseInsensitive) != 0 &&
      QFontInfo(font).family().compare(*db, Qt::CaseInsensitive) != 0)
    return nullptr;  // the database substituted another family after all

  QRawFont raw = QRawFont::fromFont(font);
  if (!raw.isValid()) return nullptr;
  const qreal upem = raw.unitsPerEm() > 0 ? raw.unitsPerEm() : 2048;
  font.setPixelSize(qRound(upem));
  raw = QRawFont::fromFont(font);
  if (!raw.isValid()) return nullptr;

  auto face = std::make_shared<StampFace>();
  face->emFont_ = font;
  face->unitsPerEm_ = qRound(upem);

  // The line box starts at the Windows ascent (usWinAscent), which may differ
  // from the typographic ascent that Qt reports; the line spacing is the larger
  // of the Windows and the horizontal-header spacing.
  const QByteArray os2 = raw.fontTable("OS/2");
  const QByteArray hhea = raw.fontTable("hhea");
  qreal winAscent = -1, winDescent = 0;
  if (os2.size() >= 78) {
    winAscent = U16(os2, 74);
    winDescent = U16(os2, 76);
  }
  qreal hheaSpacing = -1;
  if (hhea.size() >= 10) hheaSpacing = S16(hhea, 4) - S16(hhea, 6) + S16(hhea, 8);
  if (winAscent < 0) {
    // Not an sfnt font: fall back to what the engine reports.
    winAscent = raw.ascent();
    winDescent = raw.descent();
  }
  face->ascent_ = winAscent;
  face->lineSpacing_ = qMax(winAscent + winDescent, hheaSpacing);
  if (face->lineSpacing_ <= 0) face->lineSpacing_ = raw.ascent() + raw.descent() + raw.leading();

  faces.insert(key, face);
  return face;
}

StampFace::Shape StampFace::shape(const QString& text) const {
  if (const auto it = shapes_.constFind(text); it != shapes_.constEnd()) return *it;
  Shape s;
  s.path.addText(QPointF(0, 0), emFont_, text);
  s.path.setFillRule(Qt::WindingFill);
  s.advance = QFontMetricsF(emFont_).horizontalAdvance(MeasuredPart(text));
  if (shapes_.size() >= kShapeCacheLimit) shapes_.clear();
  shapes_.insert(text, s);
  return s;
}

}  // namespace qm::render
