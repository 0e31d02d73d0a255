#include "stamp/StampParams.h"

#include <array>
#include <bit>
#include <limits>
#include <type_traits>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/Classic.h"
#include "stamp/FieldTable.h"

namespace qm::stamp {
namespace {

using namespace qm::classic;

// The catalogue holds thousands of fields that are plain decimal integers
// ("40", "-10") or short "&H" colours; reading those directly keeps start-up
// quick. Such a number needs no rounding, so it converts exactly when it lies
// in the target's range, as the classic reader would decide (a colour's eight
// hex digits are its 32 bits, taken as signed); any other text goes through
// the classic reader unchanged.
[[gnu::always_inline]] inline std::optional<qint32> PlainInteger(QStringView text) {
  const qsizetype n = text.size();
  const char16_t* c = text.utf16();
  if (n > 2 && c[0] == u'&' && (c[1] == u'H' || c[1] == u'h')) {
    if (n - 2 > 8) return std::nullopt;
    quint32 v = 0;
    for (qsizetype i = 2; i < n; ++i) {
      const char16_t h = c[i];
      unsigned d;
      if (h >= u'0' && h <= u'9')
        d = unsigned(h - u'0');
      else if ((h | 0x20) >= u'a' && (h | 0x20) <= u'f')
        d = unsigned((h | 0x20) - u'a' + 10);
      else
        return std::nullopt;
      v = (v << 4) | d;
    }
    return static_cast<qint32>(v);
  }
  const bool negative = n > 0 && c[0] == u'-';
  const qsizetype first = negative ? 1 : 0;
  if (n == first || n - first > 9) return std::nullopt;
  qint32 v = 0;
  for (qsizetype i = first; i < n; ++i) {
    const unsigned d = unsigned(c[i]) - u'0';
    if (d > 9) return std::nullopt;
    v = v * 10 + static_cast<qint32>(d);
  }
  return negative ? -v : v;
}

template <typename T>
std::optional<T> InRange(qint32 v) {
  if (v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max()) return std::nullopt;
  return static_cast<T>(v);
}

std::optional<qint16> Int16(QStringView t) {
  const auto v = PlainInteger(t);
  return v ? InRange<qint16>(*v) : ToInt16(t);
}
std::optional<qint32> Int32(QStringView t) {
  const auto v = PlainInteger(t);
  return v ? v : ToInt32(t);
}
std::optional<quint8> Byte(QStringView t) {
  const auto v = PlainInteger(t);
  return v ? InRange<quint8>(*v) : ToByte(t);
}
std::optional<float> Single(QStringView t) {
  const auto v = PlainInteger(t);
  return v ? std::optional<float>(static_cast<float>(*v)) : ToSingle(t);
}

// Reading and writing a field, by the type of its member.
bool ReadValue(QString& target, QStringView text) {
  target = text.toString();
  return true;
}
template <typename T>
bool ReadValue(T& target, QStringView text) {
  constexpr FieldType type = FieldTypeFor<T>();
  std::optional<T> converted;
  if constexpr (type == FieldType::Int16)
    converted = Int16(text);
  else if constexpr (type == FieldType::Colour)
    converted = Int32(text);
  else if constexpr (type == FieldType::Single)
    converted = Single(text);
  else
    converted = Byte(text);
  if (!converted) return false;
  target = *converted;
  return true;
}

QString WriteValue(const QString& v) { return v; }
template <typename T>
QString WriteValue(T v) {
  constexpr FieldType type = FieldTypeFor<T>();
  if constexpr (type == FieldType::Colour)
    return HexText(v);
  else if constexpr (type == FieldType::Single)
    return SingleText(v);
  else
    return QString::number(v);
}

// Sets field I of `p` from `text`; false when the text does not convert.
// Texts are checked for "|" by the callers that can meet one. Being a
// template, a whole line's fields convert in straight-line code, with no
// dispatch on the field's number at run time.
template <int I>
bool SetFieldAt(StampParams& p, QStringView text) {
  return ReadValue(p.*kFieldEntry<I>.member, text);
}

template <std::size_t... I>
bool SetFieldOf(StampParams& p, int index, QStringView text, std::index_sequence<I...>) {
  bool ok = false;
  (void)((index == static_cast<int>(I) && (ok = SetFieldAt<static_cast<int>(I)>(p, text), true)) ||
         ...);
  return ok;
}

bool SetField(StampParams& p, int index, QStringView text) {
  return SetFieldOf(p, index, text, std::make_index_sequence<kFieldCount>{});
}

// Converts every field in order; the number of the first one refused, or -1.
// A field of a split line never holds "|"; a list built by hand might. A
// number with "|" in it does not convert, so only the texts need a look.
template <typename List, std::size_t... I>
int FirstRefused(StampParams& p, const List& fields, std::index_sequence<I...>) {
  int refused = -1;
  const auto one = [&](auto index) {
    constexpr int i = decltype(index)::value;
    const QStringView f(fields[i]);
    if constexpr (kFieldType<i> == FieldType::Text)
      if (!f.isEmpty() && f.contains(u'|')) return false;
    return SetFieldAt<i>(p, f);
  };
  (void)(((one(std::integral_constant<int, static_cast<int>(I)>{}) ||
           (refused = static_cast<int>(I), false)) &&
          ...));
  return refused;
}

template <typename List>
std::optional<StampParams> ParseFields(const List& fields, QString* error) {
  if (fields.size() != kFieldCount) {
    if (error)
      *error = QStringLiteral("the line has %1 fields, %2 are needed")
                   .arg(fields.size())
                   .arg(kFieldCount);
    return std::nullopt;
  }
  StampParams p;
  const int i = FirstRefused(p, fields, std::make_index_sequence<kFieldCount>{});
  if (i >= 0) {
    if (error)
      *error = QStringLiteral("field %1 (%2) \"%3\" is not valid")
                   .arg(i)
                   .arg(QLatin1StringView(VisitField(
                            i, [](const auto& f) { return f.name; }, "")),
                        QStringView(fields[i]).left(40).toString());
    return std::nullopt;
  }
  return p;
}

}  // namespace

FieldType FieldTypeOf(int index) {
  return VisitField(
      index, []<typename T>(const FieldEntry<T>&) { return FieldTypeFor<T>(); }, FieldType::Int16);
}

bool SetParamField(StampParams& p, int index, QStringView text) {
  if (text.contains(u'|')) return false;
  return SetField(p, index, text);
}

bool FieldConverts(int index, QStringView text) {
  StampParams scratch;
  return SetParamField(scratch, index, text);
}

std::optional<StampParams> ParseParamFields(const QList<QStringView>& fields, QString* error) {
  return ParseFields(fields, error);
}

std::optional<StampParams> ParseParamFields(const QStringList& fields, QString* error) {
  return ParseFields(fields, error);
}

std::optional<StampParams> ParseParamFields(std::span<const QStringView> fields, QString* error) {
  return ParseFields(fields, error);
}

QList<QStringView> SplitFields(QStringView line) {
  QList<QStringView> pieces;
  pieces.reserve(kFieldCount + 1);
  qsizetype from = 0;
  for (qsizetype i = 0; i < line.size(); ++i) {
    if (line[i] == u'|') {
      pieces.append(line.sliced(from, i - from));
      from = i + 1;
    }
  }
  pieces.append(line.sliced(from));
  return pieces;
}

qsizetype SplitFieldsInto(QStringView line, std::span<QStringView> out) {
  const char16_t* const begin = line.utf16();
  const char16_t* const end = begin + line.size();
  const char16_t* from = begin;
  std::size_t count = 0;
  const auto field = [&](const char16_t* bar) {
    if (count < out.size()) out[count] = QStringView(from, bar);
    ++count;
    from = bar + 1;
  };
  const char16_t* c = begin;
#if defined(__SSE2__)
  // Start-up splits thousands of catalogue lines: look at eight units at once.
  const __m128i bars = _mm_set1_epi16(static_cast<short>(u'|'));
  for (; end - c >= 8; c += 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c));
    auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(units, bars)));
    while (mask != 0) {
      const int bit = std::countr_zero(mask);
      field(c + bit / 2);
      mask &= ~(3u << bit);
    }
  }
#endif
  for (; c != end; ++c)
    if (*c == u'|') field(c);
  if (count < out.size()) out[count] = QStringView(from, end);
  return static_cast<qsizetype>(count + 1);
}

std::optional<StampParams> ParseLine(QStringView line, QString* error) {
  return ParseFields(SplitFields(line), error);
}

QList<QStringView> CurrentLineFields(QStringView line) {
  QList<QStringView> fields = SplitFields(line);
  if (fields.size() > kFieldCount) fields.resize(kFieldCount);
  return fields;
}

std::optional<StampParams> ParseCurrentLine(QStringView line, QString* error) {
  return ParseFields(CurrentLineFields(line), error);
}

QString FieldText(const StampParams& p, int index) {
  return VisitField(
      index, [&p](const auto& f) { return WriteValue(p.*f.member); }, QString());
}

QStringList ParamFields(const StampParams& p) {
  QStringList out;
  out.reserve(kFieldCount);
  for (int i = 0; i < kFieldCount; ++i) out << FieldText(p, i);
  return out;
}

QString LineText(const StampParams& p) { return ParamFields(p).join(u'|'); }

void SetNeutralTone(StampParams& p) {
  p.PicHue = kNeutralHue;
  p.PicSaturation = kNeutralSaturation;
  p.PicValue = kNeutralValue;
  p.PicBrightness = kNeutralBrightness;
  p.PicAlpha = kNeutralAlpha;
}

}  // namespace qm::stamp
