#include "gallery/Catalogue.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <span>

#include "platform/Classic.h"
#include "stamp/IniKeys.h"

namespace qm::gallery {
namespace {

using qm::classic::Split;
namespace stamp = qm::stamp;

// The row-break piece: any number, 0 meaning off. An empty piece (a line
// ending in "|") is taken as off rather than as a corrupt record.
std::optional<qint16> ReadRowBreak(QStringView piece) {
  if (piece.trimmed().isEmpty()) return qint16{0};
  const auto on = qm::classic::ToBool(piece);
  if (!on) return std::nullopt;
  return static_cast<qint16>(*on ? -1 : 0);
}

}  // namespace

QString CategorySection(int categoryIndex) {
  return stamp::kCategorySectionPrefix.toString() + QString::number(categoryIndex);
}

QString TemplateKey(int picKey) {
  return stamp::kTemplateKeyPrefix.toString() + QString::number(picKey);
}

std::optional<TemplateRecord> ParseRecordLine(const QString& categoryPath, const QString& line,
                                              int picKey, QString* lastFont) {
  // Views into the line, on the stack: start-up parses thousands of records,
  // and copying every field first would cost more than converting it.
  std::array<QStringView, stamp::kFieldCount + 1> pieces;
  const qsizetype count = stamp::SplitFieldsInto(line, pieces);
  if (count < stamp::kFieldCount) return std::nullopt;
  // The picture is the category path and the file; like any text field it
  // may not hold a "|", which only the path can bring in here.
  if (std::find(categoryPath.cbegin(), categoryPath.cend(), u'|') != categoryPath.cend())
    return std::nullopt;
  TemplateRecord rec;
  rec.picKey = picKey;
  if (count > stamp::kFieldCount) {
    const auto flag = ReadRowBreak(pieces[stamp::kFieldCount]);
    if (!flag) return std::nullopt;
    rec.RowBreak = *flag;
  }
  // The two texts are converted as empty fields and set afterwards: the
  // picture whole, the font name shared where it can be.
  const QStringView file = pieces[stamp::kPicture];
  const QStringView font = pieces[stamp::kFontName];
  pieces[stamp::kPicture] = pieces[stamp::kFontName] = QStringView();
  auto p = stamp::ParseParamFields(std::span<const QStringView>(pieces.data(), stamp::kFieldCount));
  if (!p) return std::nullopt;
  rec.params = std::move(*p);
  QString picture(categoryPath.size() + file.size(), Qt::Uninitialized);
  std::copy(categoryPath.cbegin(), categoryPath.cend(), picture.begin());
  std::copy(file.begin(), file.end(), picture.begin() + categoryPath.size());
  rec.params.Picture = std::move(picture);
  rec.fileLength = file.size();
  if (lastFont && *lastFont == font) {
    rec.params.FontName = *lastFont;
  } else {
    rec.params.FontName = font.toString();
    if (lastFont) *lastFont = rec.params.FontName;
  }
  return rec;
}

Catalogue LoadCatalogue(const IniReader& read, const CatalogueProgress& progress,
                        const CatalogueNames& namesRead) {
  const QString nameKey = stamp::kCategoryName.name.toString();
  const QString pathKey = stamp::kCategoryPath.name.toString();
  QStringList picKeys;
  for (int m = 1; m <= kMaxTemplates; ++m) picKeys << TemplateKey(m);

  Catalogue cat;
  QStringList sections;
  for (int n = 0; n < kMaxCategories; ++n) {
    const QString section = CategorySection(n);
    const QString name = read(section, nameKey);
    if (name.isEmpty()) break;
    cat.captions << name;
    sections << section;
  }
  if (namesRead && !namesRead(cat.captions)) return cat;
  const int total = static_cast<int>(cat.captions.size());
  QString lastFont;
  cat.categories.resize(total);
  for (int n = 0; n < total; ++n) {
    Category& c = cat.categories[n];
    c.path = read(sections[n], pathKey) + u'\\';
    c.templates.reserve(kMaxTemplates);
    for (int m = 1; m <= kMaxTemplates; ++m) {
      const QString line = read(sections[n], picKeys[m - 1]);
      if (line.isEmpty()) break;
      if (auto rec = ParseRecordLine(c.path, line, m, &lastFont)) c.templates << std::move(*rec);
    }
    if (progress) progress(n + 1, total);
  }
  return cat;
}

QString RecordText(const TemplateRecord& record) { return stamp::LineText(record.params); }

namespace {

// Fields 1..21 of the current line as the line spells them, read as the
// editor reads its current line; nullopt unless they are all there and
// convert, so a look that could not be read back is never written.
std::optional<QStringList> LookFields(const QString& currentLine) {
  const QList<QStringView> fields = stamp::CurrentLineFields(currentLine);
  QStringList look;
  look.reserve(fields.size());
  look << QString();  // the picture is the template's own
  for (qsizetype i = 1; i < fields.size(); ++i) look << fields[i].toString();
  if (!stamp::ParseParamFields(look)) return std::nullopt;
  look.removeFirst();
  return look;
}

}  // namespace

std::optional<QString> CatalogueLine(QStringView file, const QString& currentLine,
                                     qint16 rowBreak) {
  const auto look = LookFields(currentLine);
  if (!look) return std::nullopt;
  if (file.contains(u'|')) return std::nullopt;
  QString line = file.toString() + u'|' + look->join(u'|');
  if (rowBreak != 0) line += u'|' + QString::number(qAbs(rowBreak));
  return line;
}

std::optional<TemplateOverwrite> OverwriteTemplate(int categoryIndex, const TemplateRecord& record,
                                                   const QString& currentLine) {
  const QString& picture = record.params.Picture;
  const auto line = CatalogueLine(record.File(), currentLine, record.RowBreak);
  if (!line) return std::nullopt;
  QStringList fields = *LookFields(currentLine);  // CatalogueLine has read the same
  fields.prepend(picture);
  const auto parsed = stamp::ParseParamFields(fields);
  if (!parsed) return std::nullopt;  // the picture would not convert

  TemplateOverwrite out;
  out.section = CategorySection(categoryIndex);
  out.key = TemplateKey(record.picKey);
  out.line = *line;
  out.tag = fields.join(u'|');
  out.record = record;
  out.record.params = *parsed;
  return out;
}

QString TemplateCaptionEnding(int n) {
  const int last = ((n % 10) + 10) % 10;
  return last >= 1 && last <= 4 ? QStringLiteral("ки") : QStringLiteral("ок");
}

QString TemplateCaption(const QString& base, const QString& name, int n) {
  // The Russian ending follows the rule of the program's own, not the
  // language's plural forms, so the code picks it; a translation brings its
  // own plural forms and leaves %1 out.
  //: The number of templates in a category; %1 is the ending of the Russian word.
  QString count = QCoreApplication::translate("qm::gallery::Catalogue", "%n заготов%1", nullptr, n);
  if (count.contains(QLatin1String("%1"))) count = count.arg(TemplateCaptionEnding(n));
  return base + QStringLiteral(" - ") + name + QStringLiteral(" [") + count + u']';
}

}  // namespace qm::gallery
