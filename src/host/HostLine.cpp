#include "host/HostLine.h"

#include "stamp/HostMessage.h"
#include "stamp/ParamLine.h"

namespace qm::host {

HostLine::HostLine(const QString& fallbackFont)
    : fallback_(stamp::DefaultLine(fallbackFont)),
      fallbackParams_(stamp::DefaultParams(fallbackFont)) {
  Start(QString());
}

bool HostLine::Start(const QString& storedLine) {
  // Read as the editor reads its current line: a surplus after the 22 fields
  // (a pasted row-break flag) is dropped, not a reason to lose the look.
  if (const auto p = stamp::ParseCurrentLine(storedLine)) {
    line_ = storedLine;
    params_ = *p;
    return true;
  }
  line_ = fallback_;
  params_ = fallbackParams_;
  return false;
}

HostLine::Outcome HostLine::Apply(const QString& message) {
  if (!stamp::IsLookMessage(message)) return Outcome::NotALookChange;
  const auto change = stamp::ApplyMessage(line_, message, fallback_);
  if (!change) return Outcome::Refused;
  line_ = change->line;
  params_ = change->params;
  return Outcome::Applied;
}

}  // namespace qm::host
