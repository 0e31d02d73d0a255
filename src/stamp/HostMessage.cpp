#include "stamp/HostMessage.h"

#include <array>
#include <tuple>

#include "stamp/FieldTable.h"

namespace qm::stamp {
namespace {

// The message letters in field order, from the field table; entry 0 is the
// picture group's "P=".
constexpr auto kKeys = [] {
  return std::apply([](const auto&... f) { return std::array<char16_t, kFieldCount>{f.key...}; },
                    kFieldTable);
}();

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
    if (kKeys[static_cast<std::size_t>(i)] == letter) return i;
  if (letter == u'p') return kToneGroup;
  return std::nullopt;
}

bool IsLookMessage(QStringView message) {
  const QStringView key = message.left(2);
  return key == u"A=" || KeyFieldIndex(key).has_value();
}

QString FieldKey(int index) {
  if (index < 1 || index >= kFieldCount) return {};
  const QChar key[] = {QChar(kKeys[static_cast<std::size_t>(index)]), u'='};
  return QString(key, 2);
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
