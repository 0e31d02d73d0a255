#pragma once
// The desktop stamp's command line.
//
//   quillmark-host [--text TEXT | --command CMD [--every S] [--timeout S] | --file PATH]
//                  [--line LINE] [--open-editor | --render FILE.png [--scale R]]
//                  [--lang ru|en] [--name NAME] [--layer above|below] [--locked]
//                  [--autostart on|off] [--platform NAME]

#include <QString>
#include <QStringList>
#include <optional>

#include "platform/Language.h"

namespace qm::host {

struct HostOptions {
  // Where the stamp's text comes from: a fixed text, the first line a command
  // prints (run again every `everySeconds`), or the first line of a file.
  enum class Source { Text, Command, File };
  Source source = Source::Text;
  QString text = QStringLiteral("+38\u00B0");
  QString command;
  int everySeconds = 60;
  int timeoutSeconds = 10;  // a command that runs longer is ended
  QString file;

  // The look to start from instead of the selection in Quillmark.ini.
  std::optional<QString> line;

  bool openEditor = false;  // start the editor as soon as the stamp shows
  QString renderTo;         // draw into this PNG file and end; no window
  double scale = 1.0;       // device pixel ratio of that drawing

  // The language of the stamp's menu and tooltip, and of an editor it opens;
  // none given: the one QUILLMARK_LANG or the desktop asks for.
  std::optional<platform::Language> language;

  // A named stamp has a look and a place of its own; the unnamed one shares
  // the editor's selection.
  QString name;
  // Above or below the other windows, and whether a drag is refused; none
  // given: as last chosen in the stamp's menu.
  std::optional<bool> above;
  bool locked = false;
  // Write (on) or remove (off) the entry that starts this stamp at login.
  std::optional<bool> autostart;

  // The Qt platform the user asked for; it wins over the one the stamp
  // would choose for the desktop.
  QString platform;
};

// Whether a stamp may be called `name`: letters, digits, "-", "_" and ".",
// at most 64 of them, so that it fits a file name and a settings key.
bool IsValidStampName(const QString& name);

struct ParsedHostOptions {
  std::optional<HostOptions> options;  // empty on an error or for --help
  QString error;                       // why the arguments were refused
  bool help = false;
};

// `arguments` includes the program name first, as main() receives them.
ParsedHostOptions ParseHostArguments(const QStringList& arguments);

// What --help prints.
QString HostHelpText();

}  // namespace qm::host
