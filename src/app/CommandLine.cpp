#include "app/CommandLine.h"

#include "platform/Classic.h"

namespace qm {

CommandLine ParseCommandLine(const QString& line) {
  CommandLine out;
  const auto handle = classic::CLng(classic::Val(line));
  out.HostHwnd = handle.value_or(0);
  const QStringList fields = classic::Split(line, u'|');
  if (out.HostHwnd > 0 && fields.size() >= 2) out.sampleText = fields[1];
  return out;
}

QString JoinArguments(const QStringList& arguments) { return arguments.join(u' '); }

}  // namespace qm
