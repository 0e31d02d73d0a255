#include "stamp/ParamLine.h"

#include <array>
#include <cstring>
#include <span>

#include "platform/Classic.h"
#include "stamp/HostMessage.h"

namespace qm::stamp {
namespace {

using qm::classic::Split;

// Checks every part of a group against the fields it goes to.
bool GroupConverts(const QStringList& parts, int firstField, int firstPart) {
  for (qsizetype i = firstPart; i < parts.size(); ++i)
    if (!FieldConverts(firstField + static_cast<int>(i - firstPart), parts[i])) return false;
  return true;
}

}  // namespace

bool IsValidLine(const QString& line) { return ParseLine(line).has_value(); }

bool ValueFits(int index, const QString& value) {
  if (index > 0 && index < kFieldCount) return FieldConverts(index, value);
  if (index != kPictureGroup && index != kToneGroup) return false;
  const QStringList parts = Split(value, u'|');
  const qsizetype want = index == kPictureGroup ? kPictureGroupParts : kToneGroupParts;
  if (parts.size() != want) return false;
  return GroupConverts(parts, kPicHue, index == kPictureGroup ? 1 : 0);
}

std::optional<ParamLineResult> Param2Text(const QString& currentLine, const QString& value,
                                          int index, const QString& fallbackLine) {
  // Decide on the value before anything else: a refused value leaves the
  // caller's line alone, even when that line would have been replaced.
  if (!ValueFits(index, value)) return std::nullopt;

  // Every look change goes through here, and it must cost little beside its
  // delivery: the fields stay views into the lines and the value, one parse
  // both checks the current line and gives the typed form, which then takes
  // the changed fields alone, and the new line is put together once.
  std::array<QStringView, kFieldCount + 1> fields;
  const auto parse = [&] {
    return ParseParamFields(std::span<const QStringView>(fields.data(), kFieldCount));
  };
  std::optional<StampParams> parsed;
  if (SplitFieldsInto(currentLine, fields) >= kFieldCount) parsed = parse();
  const bool fromFallback = !parsed;
  if (fromFallback) {
    if (SplitFieldsInto(fallbackLine, fields) != kFieldCount) return std::nullopt;
    parsed = parse();
    if (!parsed) return std::nullopt;
  }

  if (index > 0) {
    fields[static_cast<std::size_t>(index)] = value;
    SetParamField(*parsed, index, value);
  } else {
    // ValueFits has checked the number of parts and each of them.
    std::array<QStringView, kPictureGroupParts> parts;
    SplitFieldsInto(value, parts);
    std::size_t part = 0;
    if (index == kPictureGroup) {
      fields[kPicture] = parts[part];
      parsed->Picture = parts[part++].toString();
    }
    for (int f = kPicHue; f <= kPicAlpha; ++f, ++part) {
      fields[static_cast<std::size_t>(f)] = parts[part];
      SetParamField(*parsed, f, parts[part]);
    }
  }

  // The colours in the line's own form; every other field keeps its text.
  const QString colours[] = {FieldText(*parsed, kTextColor), FieldText(*parsed, kShadowColor),
                             FieldText(*parsed, kBorderColor)};
  fields[kTextColor] = colours[0];
  fields[kShadowColor] = colours[1];
  fields[kBorderColor] = colours[2];

  // Copied straight into place: appending field by field costs more than
  // the whole parse.
  qsizetype length = kFieldCount - 1;
  for (int i = 0; i < kFieldCount; ++i) length += fields[static_cast<std::size_t>(i)].size();
  QString line(length, Qt::Uninitialized);
  QChar* out = line.data();
  for (int i = 0; i < kFieldCount; ++i) {
    if (i > 0) *out++ = u'|';
    const QStringView f = fields[static_cast<std::size_t>(i)];
    std::memcpy(static_cast<void*>(out), f.data(),
                static_cast<std::size_t>(f.size()) * sizeof(QChar));
    out += f.size();
  }
  return ParamLineResult{std::move(line), *std::move(parsed), fromFallback};
}

std::optional<ParamLineResult> ApplyMessage(const QString& currentLine, const QString& message,
                                            const QString& fallbackLine) {
  const QStringView key = QStringView(message).left(2);
  const QString value = message.mid(2);
  if (key == u"A=") {
    // A whole line is taken over as it stands, colours not rewritten.
    auto parsed = ParseLine(value);
    if (!parsed) return std::nullopt;
    return ParamLineResult{value, *parsed};
  }
  const std::optional<int> index = KeyFieldIndex(key);
  if (!index) return std::nullopt;
  return Param2Text(currentLine, value, *index, fallbackLine);
}

StampParams DefaultParams(const QString& fontName) {
  StampParams p;
  p.FontName = fontName;
  p.FontStyle = 0;
  p.FontSize = 50;
  p.TextColor = 0xFFFFFF;
  p.ShadowColor = 0;
  p.ShadowAlpha = 255;
  p.BorderColor = 0;
  p.BorderWidth = 1;
  p.TextOn = 1;
  p.ShadowOn = 0;
  p.BorderOn = 1;
  p.BorderUnder = 0;
  SetNeutralTone(p);
  return p;
}

QString DefaultLine(const QString& fontName) { return LineText(DefaultParams(fontName)); }

}  // namespace qm::stamp
