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

EditorArguments SplitEditorArguments(const QStringList& arguments) {
  EditorArguments out;
  qsizetype i = 0;
  const QString option = QStringLiteral("--lang");
  while (i < arguments.size()) {
    const QString& a = arguments[i];
    if (a == option) {
      if (i + 1 >= arguments.size()) {
        out.missingValue = true;
        return out;
      }
      out.hasLanguage = true;
      out.language = arguments[i + 1];
      i += 2;
    } else if (a.startsWith(option + u'=')) {
      out.hasLanguage = true;
      out.language = a.mid(option.size() + 1);
      ++i;
    } else {
      break;
    }
  }
  out.hostLine = arguments.mid(i);
  return out;
}

}  // namespace qm
