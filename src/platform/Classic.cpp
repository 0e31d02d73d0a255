#include "platform/Classic.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <system_error>

namespace qm::classic {
namespace {

bool IsBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// Reads a number that starts at `pos`. On success returns true, sets `value`
// and moves `pos` past the number. Hex numbers are read unsigned into 32 bits
// and then taken as signed 32-bit, as the classic "&H" literal does.
bool ReadNumber(QStringView t, qsizetype& pos, double& value) {
  qsizetype i = pos;
  const qsizetype n = t.size();
  if (i + 1 < n && t[i] == u'&' && (t[i + 1] == u'H' || t[i + 1] == u'h')) {
    i += 2;
    std::uint64_t acc = 0;
    qsizetype digits = 0;
    while (i < n && HexDigit(t[i]) >= 0) {
      acc = (acc << 4) | static_cast<std::uint64_t>(HexDigit(t[i]));
      if (acc > 0xFFFFFFFFull) return false;  // overflow: not a 32-bit value
      ++i;
      ++digits;
    }
    if (digits == 0) return false;
    value = static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(acc)));
    pos = i;
    return true;
  }
  {
    // Fast path for the common case, a plain integer: start-up converts tens
    // of thousands of catalogue fields.
    qsizetype j = i;
    bool neg = false;
    if (j < n && (t[j] == u'+' || t[j] == u'-')) {
      neg = t[j] == u'-';
      ++j;
    }
    std::int64_t acc = 0;
    qsizetype digits = 0;
    while (j < n && digits < 18 && t[j].unicode() >= u'0' && t[j].unicode() <= u'9') {
      acc = acc * 10 + (t[j].unicode() - u'0');
      ++j;
      ++digits;
    }
    const char16_t next = j < n ? t[j].unicode() : u'\0';
    const bool more = (next >= u'0' && next <= u'9') || next == u'.' || next == u',' ||
                      next == u'e' || next == u'E' || next == u'd' || next == u'D';
    if (digits > 0 && !more) {
      value = static_cast<double>(neg ? -acc : acc);
      pos = j;
      return true;
    }
  }
  std::string s;
  if (i < n && (t[i] == u'+' || t[i] == u'-')) {
    s += static_cast<char>(t[i].unicode());
    ++i;
  }
  qsizetype mantissa = 0;
  while (i < n && t[i].isDigit() && t[i].unicode() < 128) {
    s += static_cast<char>(t[i].unicode());
    ++i;
    ++mantissa;
  }
  if (i < n && (t[i] == u'.' || t[i] == u',')) {
    const qsizetype save = i;
    std::string frac = ".";
    ++i;
    qsizetype fd = 0;
    while (i < n && t[i].isDigit() && t[i].unicode() < 128) {
      frac += static_cast<char>(t[i].unicode());
      ++i;
      ++fd;
    }
    if (fd == 0 && mantissa == 0) {
      i = save;
    } else {
      s += frac;
      mantissa += fd;
    }
  }
  if (mantissa == 0) return false;
  if (i < n && (t[i] == u'E' || t[i] == u'e' || t[i] == u'D' || t[i] == u'd')) {
    qsizetype j = i + 1;
    std::string ex = "e";
    if (j < n && (t[j] == u'+' || t[j] == u'-')) {
      ex += static_cast<char>(t[j].unicode());
      ++j;
    }
    qsizetype ed = 0;
    while (j < n && t[j].isDigit() && t[j].unicode() < 128) {
      ex += static_cast<char>(t[j].unicode());
      ++j;
      ++ed;
    }
    if (ed > 0) {
      s += ex;
      i = j;
    }
  }
  // from_chars reads "." whatever the C locale says (strtod would stop at it
  // in a comma-decimal locale and cut every fraction).
  double v = 0;
  const char* first = s.c_str();
  if (*first == '+') ++first;
  const auto res = std::from_chars(first, s.c_str() + s.size(), v);
  if (res.ec == std::errc::result_out_of_range) return false;
  if (res.ec != std::errc() || !std::isfinite(v)) return false;
  value = v;
  pos = i;
  return true;
}

}  // namespace

int HexDigit(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'a' && u <= u'f') return u - u'a' + 10;
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  return -1;
}

double Val(QStringView text) {
  qsizetype pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  double v = 0;
  if (ReadNumber(text, pos, v)) return v;
  return 0;
}

double RoundHalfEven(double v) {
  if (!std::isfinite(v)) return v;
  return std::nearbyint(v);  // default rounding mode: to nearest, ties to even
}

std::optional<double> ToNumber(QStringView text) {
  qsizetype pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  double v = 0;
  if (!ReadNumber(text, pos, v)) return std::nullopt;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  if (pos != text.size()) return std::nullopt;
  return v;
}

namespace {
template <typename T>
std::optional<T> RoundInto(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  const double r = RoundHalfEven(v);
  if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
      r > static_cast<double>(std::numeric_limits<T>::max()))
    return std::nullopt;
  return static_cast<T>(r);
}
}  // namespace

std::optional<std::int16_t> CInt(double v) { return RoundInto<std::int16_t>(v); }
std::optional<std::int32_t> CLng(double v) { return RoundInto<std::int32_t>(v); }
std::optional<std::uint8_t> CByte(double v) { return RoundInto<std::uint8_t>(v); }

std::optional<std::int16_t> ToInt16(QStringView text) {
  const auto v = ToNumber(text);
  return v ? CInt(*v) : std::nullopt;
}
std::optional<std::int32_t> ToInt32(QStringView text) {
  const auto v = ToNumber(text);
  return v ? CLng(*v) : std::nullopt;
}
std::optional<std::uint8_t> ToByte(QStringView text) {
  const auto v = ToNumber(text);
  return v ? CByte(*v) : std::nullopt;
}
std::optional<float> ToSingle(QStringView text) {
  const auto v = ToNumber(text);
  if (!v) return std::nullopt;
  // A number past the largest single by less than half a step rounds to it:
  // "3.4028235E+38", the shortest text of that largest value, is one.
  const auto f = static_cast<float>(*v);
  if (std::isinf(f)) return std::nullopt;
  return f;
}
std::optional<bool> ToBool(QStringView text) {
  const auto v = ToNumber(text);
  if (!v) return std::nullopt;
  return *v != 0.0;
}

namespace {

// Written by hand: every colour of every line the editor sends or stores
// goes through here, and the general number formatting (locale, then a
// second pass for the case, then a third string for the prefix) costs more
// than the rest of putting a line together.
QString Hex(std::int32_t v, bool prefix) {
  char16_t buf[10];
  char16_t* end = buf + 10;
  char16_t* p = end;
  auto u = static_cast<std::uint32_t>(v);
  do {
    *--p = u"0123456789ABCDEF"[u & 0xF];
    u >>= 4;
  } while (u != 0);
  if (prefix) {
    *--p = u'H';
    *--p = u'&';
  }
  return QString(reinterpret_cast<const QChar*>(p), end - p);
}

}  // namespace

QString HexDigits(std::int32_t v) { return Hex(v, false); }

QString HexText(std::int32_t v) { return Hex(v, true); }

QString SingleText(float v, QChar decimalSeparator) {
  if (std::isnan(v)) return QStringLiteral("NaN");
  if (std::isinf(v)) return v > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
  if (v == 0.0f) return QStringLiteral("0");
  // Shortest round-trip digits, then laid out as a classic single-precision
  // text: plain decimals for moderate magnitudes, "1E+20" style otherwise.
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
  std::string sci(buf, res.ptr);
  const auto epos = sci.find('e');
  std::string mant = sci.substr(0, epos);
  const int exp10 = std::stoi(sci.substr(epos + 1));
  bool neg = false;
  if (!mant.empty() && mant[0] == '-') {
    neg = true;
    mant.erase(0, 1);
  }
  std::string digits;
  for (char c : mant)
    if (c != '.') digits += c;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  const QString sep(decimalSeparator);
  QString out;
  if (exp10 >= 15 || exp10 < -15) {
    out = QString::fromLatin1(digits.substr(0, 1).c_str());
    if (digits.size() > 1) out += sep + QString::fromLatin1(digits.substr(1).c_str());
    out += exp10 < 0 ? QStringLiteral("E-") : QStringLiteral("E+");
    out += QStringLiteral("%1").arg(std::abs(exp10), 2, 10, QLatin1Char('0'));
  } else if (exp10 >= 0) {
    const std::size_t intLen = static_cast<std::size_t>(exp10) + 1;
    std::string ip = digits.substr(0, std::min(intLen, digits.size()));
    while (ip.size() < intLen) ip += '0';
    out = QString::fromLatin1(ip.c_str());
    if (digits.size() > intLen) out += sep + QString::fromLatin1(digits.substr(intLen).c_str());
  } else {
    out = QStringLiteral("0") + sep + QString(-exp10 - 1, QLatin1Char('0')) +
          QString::fromLatin1(digits.c_str());
  }
  return neg ? QStringLiteral("-") + out : out;
}

QChar UserDecimalSeparator() {
  const QString dp = QLocale::system().decimalPoint();
  return dp.isEmpty() ? QChar(u'.') : dp.at(0);
}

QString SingleText(float v) { return SingleText(v, UserDecimalSeparator()); }

QStringList Split(const QString& text, QChar sep, int limit) {
  if (limit <= 0) return text.split(sep, Qt::KeepEmptyParts);
  QStringList out;
  qsizetype from = 0;
  while (out.size() < limit - 1) {
    const qsizetype at = text.indexOf(sep, from);
    if (at < 0) break;
    out << text.mid(from, at - from);
    from = at + 1;
  }
  out << text.mid(from);
  return out;
}

}  // namespace qm::classic
