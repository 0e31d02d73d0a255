#pragma once
// The template catalogue: categories ("Dir" n sections of the INI file) and
// their templates ("Pic" m keys, one record line each), as loaded at start-up
// and as one template is written back when the user overwrites it.
//
// A record line is a parameter line whose field 0 is the bare file name inside
// the category's directory, optionally followed by a row-break flag. In memory
// field 0 holds the category path and the file name, relative to the template
// root, which is also what a thumbnail's tag and the "A=" message carry.

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QtGlobal>
#include <functional>
#include <optional>

#include "stamp/StampParams.h"

namespace qm::gallery {

inline constexpr int kMaxCategories = 41;  // sections Dir0..Dir40
inline constexpr int kMaxTemplates = 80;   // keys Pic1..Pic80

struct TemplateRecord {
  qm::stamp::StampParams params;  // Picture = category path + file name
  qsizetype fileLength = 0;       // of the file name at the end of Picture
  qint16 RowBreak = 0;            // 0, or -1: the gallery starts a new row after it
  int picKey = 0;                 // the m of the "Pic" m key the record came from
  // Field 0 as the "Pic" key stores it: the end of Picture, which needs no
  // copy of its own in each of the catalogue's thousands of records.
  QStringView File() const { return QStringView(params.Picture).right(fileLength); }
  friend bool operator==(const TemplateRecord&, const TemplateRecord&) = default;
};

struct Category {
  QString path;  // relative to the template root, "\" appended
  QList<TemplateRecord> templates;
};

struct Catalogue {
  QList<Category> categories;  // category i is section "Dir" i
  QStringList captions;        // indexed like categories (and lstDir)
};

// Reads one INI value; an absent key reads as an empty text.
using IniReader = std::function<QString(const QString& section, const QString& key)>;
// Called after each category has been read: (categories done, categories in all).
using CatalogueProgress = std::function<void(int done, int total)>;

// Reads "Dir" n / "Name" for n = 0..40 up to the first empty name, then each
// category's "Path" and its "Pic" m records for m = 1..80 up to the first empty
// key. A record that does not convert (fewer than 22 fields, a non-number, an
// opacity above 255, an unreadable row-break flag) is left out and the rest
// loads: one hand-edited line must not cost the user the catalogue. Nothing is
// written. Each record keeps its key number, so a later overwrite goes back to
// the key it came from even when an earlier record was left out.
// `namesRead` runs once the category names are known, before any template is
// read (start-up lists the categories and the fonts at that point); when it
// returns false no template is read.
using CatalogueNames = std::function<bool(const QStringList& captions)>;
Catalogue LoadCatalogue(const IniReader& read, const CatalogueProgress& progress = {},
                        const CatalogueNames& namesRead = {});

// One record line as read from the catalogue; nullopt when it does not convert.
// `lastFont`, when given, is the font name of the record read before: a
// record naming the same font shares that text, as most of a catalogue's
// records do, and it is then set to this record's font name.
std::optional<TemplateRecord> ParseRecordLine(const QString& categoryPath, const QString& line,
                                              int picKey, QString* lastFont = nullptr);

// Fields 0..21 of a record as the program writes them (the thumbnail's tag):
// integers in decimal, offsets in their shortest form with the user's decimal
// separator, colours as "&H" hex.
QString RecordText(const TemplateRecord& record);

// The catalogue line that overwrites a template with the current look: the
// template's own file name as its key stores it (`file`; a name that holds a
// "\", a picture in a folder below the category's, is kept whole), fields 1..21 of
// the current line (read as the editor reads it, a surplus dropped), and "|1"
// when the template breaks its row. nullopt unless those fields are there and
// convert, so a line that could not be read back is never written.
std::optional<QString> CatalogueLine(QStringView file, const QString& currentLine, qint16 rowBreak);

// Everything an overwrite of a template changes, worked out before anything
// is written. The picture is taken from the in-memory record rather than from
// the thumbnail's tag, so a tag left over from another category can never send
// a file name into this template's key.
struct TemplateOverwrite {
  QString section;  // "Dir" n
  QString key;      // "Pic" m
  QString line;     // the catalogue line to write
  QString tag;      // the thumbnail's new tag
  TemplateRecord record;
};
std::optional<TemplateOverwrite> OverwriteTemplate(int categoryIndex, const TemplateRecord& record,
                                                   const QString& currentLine);

QString CategorySection(int categoryIndex);
QString TemplateKey(int picKey);

// "ки" when n mod 10 is 1..4, otherwise "ок" (the window caption's plural).
QString TemplateCaptionEnding(int n);
// "<base> - <name> [n заготов<ending>]".
QString TemplateCaption(const QString& base, const QString& name, int n);

}  // namespace qm::gallery

// Texts and numbers only: a list of them may move them as bytes when it grows
// or shifts, instead of one by one.
Q_DECLARE_TYPEINFO(qm::gallery::TemplateRecord, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(qm::gallery::Category, Q_RELOCATABLE_TYPE);
