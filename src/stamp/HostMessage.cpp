#include "stamp/HostMessage.h"

#include <array>

namespace qm::stamp {
namespace {

// Keys of fields 1..21, in field order; entry 0 is the picture group "P=".
// Each is one letter and "=".
constexpr std::array<const char16_t*, kFieldCount> kKeys = {
    u"P=", u"F=", u"f=", u"S=", u"C=", u"X=", u"Y=", u"c=", u"x=", u"y=", u"t=",
    u"q=", u"w=", u"T=", u"o=", u"O=", u"d=", u"h=", u"s=", u"v=", u"b=", u"a="};

QString ToneParts(const StampParams& p) {
  QString out;
  for (int f = kPicHue; f <= kPicAlpha; ++f) {
    if (f != kPicHue) out += u'|';
    out += FieldText(p, f);
  }
  return out;
}

}  // namespace

std::optional<int> KeyFieldIndex(QStringView key) {
  // Every key is a letter and "=": one look at the letter each.
  if (key.size() != 2 || key[1] != u'=') return std::nullopt;
  const char16_t letter = key[0].unicode();
  for (int i = 0; i < kFieldCount; ++i)
    if (kKeys[static_cast<std::size_t>(i)][0] == letter) return i;
  if (letter == u'p') return kToneGroup;
  return std::nullopt;
}

bool IsLookMessage(QStringView message) {
  const QStringView key = message.left(2);
  return key == u"A=" || KeyFieldIndex(key).has_value();
}

QString FieldKey(int index) {
  if (index < 1 || index >= kFieldCount) return {};
  return QString::fromUtf16(kKeys[static_cast<std::size_t>(index)]);
}

QString AnnounceMessage(qint32 handle) { return QStringLiteral("W=") + QString::number(handle); }

QString WholeLineMessage(const QString& line) { return QStringLiteral("A=") + line; }

QString PictureMessage(const StampParams& p) {
  return QStringLiteral("P=") + p.Picture + u'|' + ToneParts(p);
}

QString ToneMessage(const StampParams& p) { return QStringLiteral("p=") + ToneParts(p); }

QString NeutralToneMessage() {
  StampParams neutral;
  SetNeutralTone(neutral);
  return ToneMessage(neutral);
}

QString FieldMessage(int index, const QString& value) { return FieldKey(index) + value; }

QString FieldMessage(const StampParams& p, int index) {
  return FieldKey(index) + FieldText(p, index);
}

}  // namespace qm::stamp
