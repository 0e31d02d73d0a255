#pragma once
// The classic conversions that stored lines, INI values, host messages and the
// controls rely on, in one place: leading-number reading, rounding to the
// nearest integer with halves to even, "&H" hexadecimal, the shortest
// single-precision text with the user's decimal separator, and booleans.
//
// Two families of readers exist on purpose:
//  - Val() reads the leading number of a text typed by a person and never fails;
//  - the To*() readers convert a stored field and refuse anything that is not
//    wholly a number or does not fit the target type (std::nullopt), so that a
//    corrupt line is noticed instead of silently becoming 0.

#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace qm::classic {

// The leading number of a text: leading blanks skipped, an optional sign,
// digits with an optional decimal part ("." or ",") and exponent; reading stops
// at the first character that cannot continue the number. "&H" introduces a
// hexadecimal number. A text without a leading number gives 0.
double Val(QStringView text);

// Nearest integer, an exact half going to the even neighbour (42.5 -> 42).
double RoundHalfEven(double v);

// The whole text (surrounding blanks allowed) as a number: decimal with "." or
// "," as the separator and an optional exponent, or "&H" hexadecimal read
// unsigned into 32 bits and then taken as a signed 32-bit value (so "&HFFFFFFFF"
// is -1 and "&HFFFF" is 65535). Anything else gives nullopt.
std::optional<double> ToNumber(QStringView text);

// Field conversions: ToNumber, then the nearest integer (halves to even) when
// it fits the type; nullopt for a text that is not a number or out of range.
std::optional<std::int16_t> ToInt16(QStringView text);
std::optional<std::int32_t> ToInt32(QStringView text);
std::optional<std::uint8_t> ToByte(QStringView text);
std::optional<float> ToSingle(QStringView text);
// "0" false, any other number true; not a number gives nullopt.
std::optional<bool> ToBool(QStringView text);

// Number -> nearest integer of the type (halves to even), nullopt when out of range.
std::optional<std::int16_t> CInt(double v);
std::optional<std::int32_t> CLng(double v);
std::optional<std::uint8_t> CByte(double v);

// The value of one hexadecimal digit (either case); -1 for any other character.
int HexDigit(QChar c);

// "&H" + upper-case hexadecimal without leading zeros; a negative value shows
// its eight digits ("&HFFFFFFFF" for -1); 0 gives "&H0".
QString HexText(std::int32_t v);
// Upper-case hexadecimal digits only, as above without "&H".
QString HexDigits(std::int32_t v);

// The shortest text that reads back as the same single-precision value, with
// the decimal separator given (the user's by default); whole numbers have no
// decimal part, and very large or small values use "E+nn" / "E-nn".
QString SingleText(float v, QChar decimalSeparator);
QString SingleText(float v);

// The user's decimal separator (from the system locale).
QChar UserDecimalSeparator();

// Split at every separator; with limit > 0 at most `limit` pieces, the last one
// keeping the rest of the text, separators included. An empty text gives one
// empty piece, like the classic Split.
QStringList Split(const QString& text, QChar sep, int limit = -1);

}  // namespace qm::classic
