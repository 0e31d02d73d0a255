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

namespace qm::stamp {
namespace {

using namespace qm::classic;

const std::array<const char*, kFieldCount> kFieldNames = {"picture",
                                                          "font name",
                                                          "font style",
                                                          "font size",
                                                          "text colour",
                                                          "text X",
                                                          "text Y",
                                                          "shadow colour",
                                                          "shadow X",
                                                          "shadow Y",
                                                          "shadow opacity",
                                                          "border colour",
                                                          "border width",
                                                          "text on",
                                                          "shadow on",
                                                          "border on",
                                                          "border under text",
                                                          "picture hue",
                                                          "picture saturation",
                                                          "picture value",
                                                          "picture brightness",
                                                          "picture transparency"};

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

// Sets field I of `p` from `text`; false when the text does not convert.
// Texts are checked for "|" by the callers that can meet one. Being a
// template, a whole line's fields convert in straight-line code, with no
// dispatch on the field's number at run time.
template <int I>
bool SetFieldAt(StampParams& p, QStringView text) {
  const auto put = [](auto& target, auto converted) {
    if (!converted) return false;
    target = *converted;
    return true;
  };
  if constexpr (I == kPicture) {
    p.Picture = text.toString();
    return true;
  } else if constexpr (I == kFontName) {
    p.FontName = text.toString();
    return true;
  } else if constexpr (I == kFontStyle) {
    return put(p.FontStyle, Int16(text));
  } else if constexpr (I == kFontSize) {
    return put(p.FontSize, Int16(text));
  } else if constexpr (I == kTextColor) {
    return put(p.TextColor, Int32(text));
  } else if constexpr (I == kTextX) {
    return put(p.TextX, Single(text));
  } else if constexpr (I == kTextY) {
    return put(p.TextY, Single(text));
  } else if constexpr (I == kShadowColor) {
    return put(p.ShadowColor, Int32(text));
  } else if constexpr (I == kShadowX) {
    return put(p.ShadowX, Single(text));
  } else if constexpr (I == kShadowY) {
    return put(p.ShadowY, Single(text));
  } else if constexpr (I == kShadowAlpha) {
    return put(p.ShadowAlpha, Byte(text));
  } else if constexpr (I == kBorderColor) {
    return put(p.BorderColor, Int32(text));
  } else if constexpr (I == kBorderWidth) {
    return put(p.BorderWidth, Int16(text));
  } else if constexpr (I == kTextOn) {
    return put(p.TextOn, Int16(text));
  } else if constexpr (I == kShadowOn) {
    return put(p.ShadowOn, Int16(text));
  } else if constexpr (I == kBorderOn) {
    return put(p.BorderOn, Int16(text));
  } else if constexpr (I == kBorderUnder) {
    return put(p.BorderUnder, Int16(text));
  } else if constexpr (I == kPicHue) {
    return put(p.PicHue, Int16(text));
  } else if constexpr (I == kPicSaturation) {
    return put(p.PicSaturation, Int16(text));
  } else if constexpr (I == kPicValue) {
    return put(p.PicValue, Int16(text));
  } else if constexpr (I == kPicBrightness) {
    return put(p.PicBrightness, Int16(text));
  } else {
    static_assert(I == kPicAlpha && kPicAlpha == kFieldCount - 1);
    return put(p.PicAlpha, Int16(text));
  }
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
    if ((i == kPicture || i == kFontName) && !f.isEmpty() && f.contains(u'|')) return false;
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
                   .arg(QLatin1String(kFieldNames[static_cast<std::size_t>(i)]),
                        QStringView(fields[i]).left(40).toString());
    return std::nullopt;
  }
  return p;
}

}  // namespace

FieldType FieldTypeOf(int index) {
  switch (index) {
    case kPicture:
    case kFontName:
      return FieldType::Text;
    case kTextColor:
    case kShadowColor:
    case kBorderColor:
      return FieldType::Colour;
    case kTextX:
    case kTextY:
    case kShadowX:
    case kShadowY:
      return FieldType::Single;
    case kShadowAlpha:
      return FieldType::Byte;
    default:
      return FieldType::Int16;
  }
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
  const auto num = [](auto v) { return QString::number(v); };
  switch (index) {
    case kPicture:
      return p.Picture;
    case kFontName:
      return p.FontName;
    case kFontStyle:
      return num(p.FontStyle);
    case kFontSize:
      return num(p.FontSize);
    case kTextColor:
      return HexText(p.TextColor);
    case kTextX:
      return SingleText(p.TextX);
    case kTextY:
      return SingleText(p.TextY);
    case kShadowColor:
      return HexText(p.ShadowColor);
    case kShadowX:
      return SingleText(p.ShadowX);
    case kShadowY:
      return SingleText(p.ShadowY);
    case kShadowAlpha:
      return num(p.ShadowAlpha);
    case kBorderColor:
      return HexText(p.BorderColor);
    case kBorderWidth:
      return num(p.BorderWidth);
    case kTextOn:
      return num(p.TextOn);
    case kShadowOn:
      return num(p.ShadowOn);
    case kBorderOn:
      return num(p.BorderOn);
    case kBorderUnder:
      return num(p.BorderUnder);
    case kPicHue:
      return num(p.PicHue);
    case kPicSaturation:
      return num(p.PicSaturation);
    case kPicValue:
      return num(p.PicValue);
    case kPicBrightness:
      return num(p.PicBrightness);
    case kPicAlpha:
      return num(p.PicAlpha);
    default:
      return {};
  }
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
