#pragma once
// The typed forms of the parameter line: 22 positional fields joined by "|".
//
// StampParams is one line parsed field by field (the form the catalogue and
// the renderer use); CurrentParams is the window's own copy of the current
// line, without the picture and with the three colours in the controls' byte
// order (0x00BBGGRR) rather than the line's 0x00RRGGBB.

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QtGlobal>
#include <optional>

namespace qm::params {

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

// Message indexes that change a group rather than one field: "P=" carries the
// picture and the five tone values, "p=" the five tone values alone.
inline constexpr int kPictureGroup = 0;
inline constexpr int kToneGroup = -1;
inline constexpr int kPictureGroupParts = 6;
inline constexpr int kToneGroupParts = 5;

enum class FieldType { Text, Int16, Colour, Single, Byte };
FieldType FieldTypeOf(int index);

struct StampParams {
  QString Picture;
  QString FontName;
  qint16 FontStyle = 0;
  qint16 FontSize = 0;
  qint32 TextColor = 0;  // 0x00RRGGBB, as in the line
  float TextX = 0;
  float TextY = 0;
  qint32 ShadowColor = 0;
  float ShadowX = 0;
  float ShadowY = 0;
  quint8 ShadowAlpha = 0;
  qint32 BorderColor = 0;
  qint16 BorderWidth = 0;
  qint16 TextOn = 0;
  qint16 ShadowOn = 0;
  qint16 BorderOn = 0;
  qint16 BorderUnder = 0;
  qint16 PicHue = 0;
  qint16 PicSaturation = 0;
  qint16 PicValue = 0;
  qint16 PicBrightness = 0;
  qint16 PicAlpha = 0;
  friend bool operator==(const StampParams&, const StampParams&) = default;
};

// Fields 1..21 of the current line; colours exchanged to 0x00BBGGRR.
struct CurrentParams {
  QString FontName;
  qint16 FontStyle = 0;
  qint16 FontSize = 0;
  qint32 TextColor = 0;
  float TextX = 0;
  float TextY = 0;
  qint32 ShadowColor = 0;
  float ShadowX = 0;
  float ShadowY = 0;
  quint8 ShadowAlpha = 0;
  qint32 BorderColor = 0;
  qint16 BorderWidth = 0;
  qint16 TextOn = 0;
  qint16 ShadowOn = 0;
  qint16 BorderOn = 0;
  qint16 BorderUnder = 0;
  qint16 PicHue = 0;
  qint16 PicSaturation = 0;
  qint16 PicValue = 0;
  qint16 PicBrightness = 0;
  qint16 PicAlpha = 0;
  friend bool operator==(const CurrentParams&, const CurrentParams&) = default;
};

CurrentParams ToCurrentParams(const StampParams& p);

// Message key ("F=", "p=", ...) -> field index 1..21, or kPictureGroup for
// "P=" and kToneGroup for "p=". Keys are case-sensitive; "A=", "W=" and
// anything else give nullopt.
std::optional<int> KeyFieldIndex(QStringView key);
// The message key of a single field 1..21 (empty for any other index).
QString FieldKey(int index);

// Whether a text converts to the type of field `index` (texts always do, as
// long as they hold no "|").
bool FieldConverts(int index, QStringView text);
// Sets field `index` of `p` from `text`; false (p unchanged in that field)
// when the text does not convert.
bool SetParamField(StampParams& p, int index, QStringView text);

// Strict parse: exactly 22 fields, each converting to its type. The view form
// spares the catalogue loader a copy of every field of thousands of records.
std::optional<StampParams> ParseParamFields(const QStringList& fields);
std::optional<StampParams> ParseParamFields(const QList<QStringView>& fields);

// The text form the program writes: integers in decimal, offsets in their
// shortest form with the user's decimal separator, colours as "&H" hex.
QString FieldText(const StampParams& p, int index);
QStringList ParamFields(const StampParams& p);
QString ParamLineText(const StampParams& p);

}  // namespace qm::params
