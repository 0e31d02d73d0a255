#pragma once
// The stamp's look as one record: the 22 positional fields of the parameter
// line ("|"-separated), with the one parser and the one writer of that line.
//
// Everything that reads or writes a look goes through here: the editor's
// current line, the catalogue's templates, the thumbnails, the host, the
// command-line renderer. Numbers are read as the line format says: 16-bit
// and 8-bit fields take the nearest integer with halves to even, colours are
// 32-bit integers ("&H" hex or decimal), offsets single-precision floats read
// with either decimal separator.

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QtGlobal>
#include <optional>
#include <span>

namespace qm::stamp {

inline constexpr int kFieldCount = 22;

// Field positions in the line.
enum Field : int {
  kPicture = 0,
  kFontName = 1,
  kFontStyle = 2,
  kFontSize = 3,
  kTextColor = 4,
  kTextX = 5,
  kTextY = 6,
  kShadowColor = 7,
  kShadowX = 8,
  kShadowY = 9,
  kShadowAlpha = 10,
  kBorderColor = 11,
  kBorderWidth = 12,
  kTextOn = 13,
  kShadowOn = 14,
  kBorderOn = 15,
  kBorderUnder = 16,
  kPicHue = 17,
  kPicSaturation = 18,
  kPicValue = 19,
  kPicBrightness = 20,
  kPicAlpha = 21,
};

enum class FieldType { Text, Int16, Colour, Single, Byte };
FieldType FieldTypeOf(int index);

struct StampParams {
  QString Picture;  // category path, "\", file name; relative to the template root
  QString FontName;
  qint16 FontStyle = 0;  // bit 0 bold, bit 1 italic, bit 2 underline
  qint16 FontSize = 0;   // pixels
  qint32 TextColor = 0;  // 0x00RRGGBB, as in the line
  float TextX = 0;       // positive = right
  float TextY = 0;       // positive = up
  qint32 ShadowColor = 0;
  float ShadowX = 0;  // relative to the text
  float ShadowY = 0;
  quint8 ShadowAlpha = 0;  // 255 = opaque
  qint32 BorderColor = 0;
  qint16 BorderWidth = 0;
  qint16 TextOn = 0;  // flags: 0 off, any other number on
  qint16 ShadowOn = 0;
  qint16 BorderOn = 0;
  qint16 BorderUnder = 0;  // the border is drawn under the text
  qint16 PicHue = 0;
  qint16 PicSaturation = 0;
  qint16 PicValue = 0;
  qint16 PicBrightness = 0;
  qint16 PicAlpha = 0;
  friend bool operator==(const StampParams&, const StampParams&) = default;
};

// Whether a text converts to the type of field `index` (a text field takes
// anything without "|").
bool FieldConverts(int index, QStringView text);
// Sets field `index` of `p` from `text`; false (p unchanged) when the text
// does not convert.
bool SetParamField(StampParams& p, int index, QStringView text);

// The parser: exactly 22 fields, each converting to its type. `error`, when
// given, says which field was refused and why.
std::optional<StampParams> ParseParamFields(const QList<QStringView>& fields,
                                            QString* error = nullptr);
std::optional<StampParams> ParseParamFields(const QStringList& fields, QString* error = nullptr);
std::optional<StampParams> ParseParamFields(std::span<const QStringView> fields,
                                            QString* error = nullptr);
std::optional<StampParams> ParseLine(QStringView line, QString* error = nullptr);

// The writer: integers in decimal, offsets in their shortest form with the
// user's decimal separator, colours as "&H" hex.
QString FieldText(const StampParams& p, int index);
QStringList ParamFields(const StampParams& p);
QString LineText(const StampParams& p);

// The line's fields as views, split at every "|" (no limit).
QList<QStringView> SplitFields(QStringView line);
// The same without a list: the first out.size() fields go to `out`; the
// result is how many fields the line has in all.
qsizetype SplitFieldsInto(QStringView line, std::span<QStringView> out);

// The editor's current line (the INI "Selected" value, Text1) is read as the
// line rewrite reads it: fields 0..21, and any surplus (a template's
// row-break flag pasted after them) dropped, so such a line still shows the
// user's look and the next change writes it back with 22 fields. A line with
// fewer fields, or a field that does not convert, is still refused. Whole
// lines that arrive as a message ("A=") take the strict parser above.
QList<QStringView> CurrentLineFields(QStringView line);
std::optional<StampParams> ParseCurrentLine(QStringView line, QString* error = nullptr);

// The picture tone group (fields 17..21) at its neutral values: no hue turn,
// full saturation and value, no brightening, opaque.
inline constexpr qint16 kNeutralHue = 0;
inline constexpr qint16 kNeutralSaturation = 100;
inline constexpr qint16 kNeutralValue = 100;
inline constexpr qint16 kNeutralBrightness = 0;
inline constexpr qint16 kNeutralAlpha = 0;
void SetNeutralTone(StampParams& p);

}  // namespace qm::stamp
