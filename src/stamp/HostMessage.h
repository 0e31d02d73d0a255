#pragma once
// The messages that carry a look between the editor and the host: a key of
// one letter and "=", then a value. "A=" carries a whole line, "P=" the
// picture with its tone, "p=" the tone alone, and 21 keys one field each.
// Keys are case-sensitive ("P=" and "p=" differ).

#include <QString>
#include <QStringView>
#include <optional>

#include "stamp/StampParams.h"

namespace qm::stamp {

// A stamp with a look of its own (a named one) hands that look to the editor
// it starts in this environment variable. The editor then edits that look
// alone and leaves the catalogue's shared selection as it is: the stamp keeps
// every change it is sent.
inline constexpr char kOwnLookEnvironmentVariable[] = "QUILLMARK_STAMP_LOOK";

// Message indexes that change a group rather than one field: "P=" carries the
// picture and the five tone values, "p=" the five tone values alone.
inline constexpr int kPictureGroup = 0;
inline constexpr int kToneGroup = -1;
inline constexpr int kPictureGroupParts = 6;
inline constexpr int kToneGroupParts = 5;

// Message key ("F=", "p=", ...) -> field index 1..21, or kPictureGroup for
// "P=" and kToneGroup for "p=". "A=", "W=" and anything else give nullopt.
std::optional<int> KeyFieldIndex(QStringView key);
// Whether a message is about the look: "A=", "P=", "p=" or one of the 21
// field keys (whether its value can be applied or not).
bool IsLookMessage(QStringView message);
// The message key of a single field 1..21 (empty for any other index).
QString FieldKey(int index);

// "W=" + the handle of the editor's message box, which the host writes its
// messages to; "W=0" says that the editor has closed.
QString AnnounceMessage(qint32 handle);

// "A=" + the whole line.
QString WholeLineMessage(const QString& line);
// "P=" + picture|h|s|v|b|a of `p`.
QString PictureMessage(const StampParams& p);
// "p=" + h|s|v|b|a of `p`.
QString ToneMessage(const StampParams& p);
// "p=" with the neutral tone: what the tone page's reset sends.
QString NeutralToneMessage();
// The key of field `index` (1..21) followed by `value` as it stands.
QString FieldMessage(int index, const QString& value);
// The key of field `index` (1..21) followed by that field's text in `p`.
QString FieldMessage(const StampParams& p, int index);

}  // namespace qm::stamp
