#pragma once
// The desktop stamp's own copy of the look: one parameter line, changed by
// every message the editor sends with the very line logic the editor applies
// to its own copy, so the two never part ways.

#include <QString>

#include "stamp/StampParams.h"

namespace qm::host {

class HostLine {
 public:
  // `fallbackFont` names the font of the default look, the one the editor
  // shows for a line it cannot use: the first installed family.
  explicit HostLine(const QString& fallbackFont);

  // Starts from a stored line. An unusable one (none stored yet, or edited by
  // hand) gives the default look; false tells the caller so.
  bool Start(const QString& storedLine);

  enum class Outcome {
    Applied,        // the line changed (or was set again to the same text)
    Refused,        // a look message the line cannot take: nothing changed
    NotALookChange  // "W=" or anything else that is not about the look
  };
  Outcome Apply(const QString& message);

  const QString& Line() const { return line_; }
  const stamp::StampParams& Params() const { return params_; }
  const QString& DefaultLine() const { return fallback_; }

 private:
  QString fallback_;
  stamp::StampParams fallbackParams_;
  QString line_;
  stamp::StampParams params_;
};

}  // namespace qm::host
