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
  if (const auto p = stamp::ParseLine(storedLine)) {
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
