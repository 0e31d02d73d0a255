#include "stamp/StampParams.h"

#include <array>

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
// ("40", "-10"); reading those directly keeps start-up quick. Such a number is
// exact in a double, so the value is the one the classic reader gives, and the
// classic range checks still decide whether it fits; any other text goes
// through the classic reader unchanged.
std::optional<double> PlainInteger(QStringView text) {
  const bool negative = !text.isEmpty() && text[0] == u'-';
  const QStringView digits = negative ? text.mid(1) : text;
  if (digits.isEmpty() || digits.size() > 9) return std::nullopt;
  qint32 v = 0;
  for (const QChar c : digits) {
    if (c.unicode() < u'0' || c.unicode() > u'9') return std::nullopt;
    v = v * 10 + (c.unicode() - u'0');
  }
  return static_cast<double>(negative ? -v : v);
}

std::optional<qint16> Int16(QStringView t) {
  const auto v = PlainInteger(t);
  return v ? CInt(*v) : ToInt16(t);
}
std::optional<qint32> Int32(QStringView t) {
  const auto v = PlainInteger(t);
  return v ? CLng(*v) : ToInt32(t);
}
std::optional<quint8> Byte(QStringView t) {
  const auto v = PlainInteger(t);
  return v ? CByte(*v) : ToByte(t);
}
std::optional<float> Single(QStringView t) {
  const auto v = PlainInteger(t);
  return v ? std::optional<float>(static_cast<float>(*v)) : ToSingle(t);
}

// Sets field `index` of `p` from `text`; false when the text does not convert.
// Texts are checked for "|" by the callers that can meet one.
bool SetField(StampParams& p, int index, QStringView text) {
  auto put = [](auto& target, auto converted) {
    if (!converted) return false;
    target = *converted;
    return true;
  };
  switch (index) {
    case kPicture:
      p.Picture = text.toString();
      return true;
    case kFontName:
      p.FontName = text.toString();
      return true;
    case kFontStyle:
      return put(p.FontStyle, Int16(text));
    case kFontSize:
      return put(p.FontSize, Int16(text));
    case kTextColor:
      return put(p.TextColor, Int32(text));
    case kTextX:
      return put(p.TextX, Single(text));
    case kTextY:
      return put(p.TextY, Single(text));
    case kShadowColor:
      return put(p.ShadowColor, Int32(text));
    case kShadowX:
      return put(p.ShadowX, Single(text));
    case kShadowY:
      return put(p.ShadowY, Single(text));
    case kShadowAlpha:
      return put(p.ShadowAlpha, Byte(text));
    case kBorderColor:
      return put(p.BorderColor, Int32(text));
    case kBorderWidth:
      return put(p.BorderWidth, Int16(text));
    case kTextOn:
      return put(p.TextOn, Int16(text));
    case kShadowOn:
      return put(p.ShadowOn, Int16(text));
    case kBorderOn:
      return put(p.BorderOn, Int16(text));
    case kBorderUnder:
      return put(p.BorderUnder, Int16(text));
    case kPicHue:
      return put(p.PicHue, Int16(text));
    case kPicSaturation:
      return put(p.PicSaturation, Int16(text));
    case kPicValue:
      return put(p.PicValue, Int16(text));
    case kPicBrightness:
      return put(p.PicBrightness, Int16(text));
    case kPicAlpha:
      return put(p.PicAlpha, Int16(text));
    default:
      return false;
  }
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
  for (int i = 0; i < kFieldCount; ++i) {
    // A field of a split line never holds "|"; a list built by hand might. A
    // number with "|" in it does not convert, so only the texts need a look.
    const QStringView f(fields[i]);
    const bool ok = !(FieldTypeOf(i) == FieldType::Text && f.contains(u'|')) && SetField(p, i, f);
    if (!ok) {
      if (error)
        *error = QStringLiteral("field %1 (%2) \"%3\" is not valid")
                     .arg(i)
                     .arg(QLatin1String(kFieldNames[static_cast<std::size_t>(i)]),
                          f.left(40).toString());
      return std::nullopt;
    }
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
