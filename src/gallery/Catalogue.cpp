#include "gallery/Catalogue.h"

#include <QCoreApplication>

#include "platform/Classic.h"

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
  return QStringLiteral("Dir") + QString::number(categoryIndex);
}

QString TemplateKey(int picKey) { return QStringLiteral("Pic") + QString::number(picKey); }

std::optional<TemplateRecord> ParseRecordLine(const QString& categoryPath, const QString& line,
                                              int picKey) {
  // Views into the line: start-up parses thousands of records, and copying
  // every field first would cost more than converting it.
  QList<QStringView> pieces = stamp::SplitFields(line);
  if (pieces.size() < stamp::kFieldCount) return std::nullopt;
  TemplateRecord rec;
  rec.picKey = picKey;
  if (pieces.size() > stamp::kFieldCount) {
    const auto flag = ReadRowBreak(pieces[stamp::kFieldCount]);
    if (!flag) return std::nullopt;
    rec.RowBreak = *flag;
  }
  pieces.resize(stamp::kFieldCount);
  rec.file = pieces[stamp::kPicture].toString();
  const QString picture = categoryPath + rec.file;
  pieces[stamp::kPicture] = picture;
  const auto p = stamp::ParseParamFields(pieces);
  if (!p) return std::nullopt;
  rec.params = *p;
  return rec;
}

Catalogue LoadCatalogue(const IniReader& read, const CatalogueProgress& progress,
                        const CatalogueNames& namesRead) {
  const QString nameKey = QStringLiteral("Name");
  const QString pathKey = QStringLiteral("Path");
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
  cat.categories.resize(total);
  for (int n = 0; n < total; ++n) {
    Category& c = cat.categories[n];
    c.path = read(sections[n], pathKey) + u'\\';
    for (int m = 1; m <= kMaxTemplates; ++m) {
      const QString line = read(sections[n], picKeys[m - 1]);
      if (line.isEmpty()) break;
      if (auto rec = ParseRecordLine(c.path, line, m)) c.templates << std::move(*rec);
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

std::optional<QString> CatalogueLine(const QString& file, const QString& currentLine,
                                     qint16 rowBreak) {
  const auto look = LookFields(currentLine);
  if (!look) return std::nullopt;
  if (file.contains(u'|')) return std::nullopt;
  QString line = file + u'|' + look->join(u'|');
  if (rowBreak != 0) line += u'|' + QString::number(qAbs(rowBreak));
  return line;
}

std::optional<TemplateOverwrite> OverwriteTemplate(int categoryIndex, const TemplateRecord& record,
                                                   const QString& currentLine) {
  const QString& picture = record.params.Picture;
  const auto line = CatalogueLine(record.file, currentLine, record.RowBreak);
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
