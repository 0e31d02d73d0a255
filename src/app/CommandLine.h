#pragma once
// The command line the host starts the editor with: "<host handle>|<sample text>".

#include <QString>
#include <QStringList>
#include <cstdint>

namespace qm {

struct CommandLine {
  std::int32_t HostHwnd = 0;
  QString sampleText;
};

// The handle is the leading number of the whole line, to the nearest 32-bit
// integer; a number that does not fit means no host. The sample text is field
// 1 of the line split at "|", taken only when a host is attached.
CommandLine ParseCommandLine(const QString& line);

// The program's arguments joined back into one line, as the host wrote it.
QString JoinArguments(const QStringList& arguments);

// The editor's own options come before the host's line, which is free text
// and may itself hold "--lang": only a leading "--lang CODE" or
// "--lang=CODE" is ours; the rest is the host's, untouched.
struct EditorArguments {
  bool hasLanguage = false;
  QString language;           // as given; may name no language of ours
  QStringList hostLine;       // what JoinArguments turns into the command line
  bool missingValue = false;  // "--lang" was the last argument
};
EditorArguments SplitEditorArguments(const QStringList& arguments);

}  // namespace qm
