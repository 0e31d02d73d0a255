#pragma once
// Putting one changed value into a parameter line (Param2Text), as the editor
// does with every message it sends and as the host does with every message it
// receives.
//
// The line kept is always a complete 22-field line: a value that could not be
// read back (a "|" inside a field, a group with the wrong number of parts,
// "S=abc") is refused and nothing changes, and when the current line itself is
// unusable (empty because the INI file had no selection, or edited by hand)
// the change is applied to a complete default line instead, so the first
// change already writes something every reader accepts.

#include <QString>
#include <QStringList>
#include <optional>

#include "stamp/StampParams.h"

namespace qm::stamp {

struct ParamLineResult {
  QString line;        // the new line, colours as "&H" hex, other fields as given
  StampParams params;  // the same line, typed
  // The current line could not be read and the change went onto the
  // fallback line: whoever shares the look must hear of that line first.
  bool fromFallback = false;
};

// Applies `value` to field `index` (1..21), to the picture group (index 0: six
// parts picture|h|s|v|b|a) or to the tone group (index -1: five parts). The
// current line is read as ParseCurrentLine reads it (a surplus after field 21
// is dropped); when it is not a valid line the change starts from
// `fallbackLine`.
// nullopt: the value is refused (or neither line is valid); the caller then
// keeps its line as it was.
std::optional<ParamLineResult> Param2Text(const QString& currentLine, const QString& value,
                                          int index, const QString& fallbackLine);

// Applies a whole message ("A=" line, "P=", "p=" or one of the 21 field keys)
// to `currentLine`; nullopt for a refused value, a malformed "A=" line or a
// message that does not touch the line ("W=" and anything else).
std::optional<ParamLineResult> ApplyMessage(const QString& currentLine, const QString& message,
                                            const QString& fallbackLine);

// Whether `value` can go into field `index` (1..21) or the picture (0) or tone
// (-1) group, so that a message is refused before it is sent anywhere.
bool ValueFits(int index, const QString& value);

// The default look for a line that has none yet: no picture, the given font at
// style 0 and size 50 (the size box's own starting value), white text with a
// one-unit black border so it reads on a light or dark desktop, shadow off
// (black, opaque, no offset, ready for when it is switched on), neutral tone.
StampParams DefaultParams(const QString& fontName);
QString DefaultLine(const QString& fontName);

// 22 fields, each converting to its type.
bool IsValidLine(const QString& line);

}  // namespace qm::stamp
