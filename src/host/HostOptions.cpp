#include "host/HostOptions.h"

#include <QCommandLineParser>
#include <cmath>

#include "platform/Classic.h"

namespace qm::host {
namespace {

struct Options {
  QCommandLineOption text{QStringLiteral("text"),
                          QStringLiteral("The stamp's text (default \"+38\u00B0\")."),
                          QStringLiteral("TEXT")};
  QCommandLineOption command{
      QStringLiteral("command"),
      QStringLiteral("Show the first line this command prints (run through /bin/sh)."),
      QStringLiteral("CMD")};
  QCommandLineOption every{QStringLiteral("every"),
                           QStringLiteral("Run the command every S seconds (default 60)."),
                           QStringLiteral("S")};
  QCommandLineOption timeout{
      QStringLiteral("timeout"),
      QStringLiteral("End a command that runs longer than S seconds (default 10)."),
      QStringLiteral("S")};
  QCommandLineOption file{QStringLiteral("file"),
                          QStringLiteral("Show the first line of this file (a regular file of "
                                         "at most 1 MiB), read again when it changes."),
                          QStringLiteral("PATH")};
  QCommandLineOption line{
      QStringLiteral("line"),
      QStringLiteral("Start from this look instead of the selection in Quillmark.ini."),
      QStringLiteral("LINE")};
  QCommandLineOption openEditor{QStringLiteral("open-editor"),
                                QStringLiteral("Open the editor as soon as the stamp shows.")};
  QCommandLineOption render{QStringLiteral("render"),
                            QStringLiteral("Draw the stamp into this PNG file and end (exit "
                                           "status 0 drawn, 1 picture without text or a "
                                           "text that could not be read, 2 bad arguments or "
                                           "input)."),
                            QStringLiteral("FILE")};
  QCommandLineOption scale{QStringLiteral("scale"),
                           QStringLiteral("Device pixel ratio of --render (default 1)."),
                           QStringLiteral("R")};
  QCommandLineOption lang{QStringLiteral("lang"),
                          QStringLiteral("Speak ru (Russian) or en (English) in the menu, the "
                                         "tooltip and the editor it opens (default: "
                                         "$QUILLMARK_LANG, else the desktop's language)."),
                          QStringLiteral("LANG")};
  QCommandLineOption name{QStringLiteral("name"),
                          QStringLiteral("A stamp of its own: its own look and place (letters, "
                                         "digits, -, _ and .)."),
                          QStringLiteral("NAME")};
  QCommandLineOption layer{QStringLiteral("layer"),
                           QStringLiteral("Keep the stamp above or below the other windows "
                                          "(default: as last chosen in its menu, else above)."),
                           QStringLiteral("LAYER")};
  QCommandLineOption locked{QStringLiteral("locked"),
                            QStringLiteral("Lock the stamp in place: a drag does not move it.")};
  QCommandLineOption autostart{QStringLiteral("autostart"),
                               QStringLiteral("on: start this stamp, with these options, at "
                                              "login; off: no longer."),
                               QStringLiteral("on|off")};
  QCommandLineOption platform{
      QStringLiteral("platform"),
      QStringLiteral("Show the stamp through this Qt platform (xcb, wayland, ...) instead of "
                     "the one chosen for the desktop."),
      QStringLiteral("NAME")};

  void AddTo(QCommandLineParser& p) const {
    p.setApplicationDescription(QStringLiteral(
        "Shows the Quillmark stamp on the desktop; a double click opens the editor."));
    p.addHelpOption();
    p.addOptions({text, command, every, timeout, file, line, openEditor, render, scale, lang, name,
                  layer, locked, autostart, platform});
  }
};

// A whole number of seconds from 1 up to a day.
std::optional<int> Seconds(const QString& text) {
  const auto v = classic::ToNumber(text);
  if (!v || *v != std::floor(*v) || *v < 1 || *v > 86400) return std::nullopt;
  return static_cast<int>(*v);
}

}  // namespace

ParsedHostOptions ParseHostArguments(const QStringList& arguments) {
  ParsedHostOptions out;
  const Options o;
  QCommandLineParser parser;
  o.AddTo(parser);
  const auto fail = [&](const QString& why) {
    out.error = why;
    return out;
  };
  if (!parser.parse(arguments)) return fail(parser.errorText());
  if (parser.isSet(QStringLiteral("help"))) {
    out.help = true;
    return out;
  }
  if (!parser.positionalArguments().isEmpty())
    return fail(QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments()[0]));
  // Each option once: a second value would silently win over the first.
  for (const QCommandLineOption* opt :
       {&o.text, &o.command, &o.every, &o.timeout, &o.file, &o.line, &o.render, &o.scale, &o.lang,
        &o.name, &o.layer, &o.autostart, &o.platform})
    if (parser.values(*opt).size() > 1)
      return fail(QStringLiteral("--%1 is given more than once").arg(opt->names()[0]));

  HostOptions h;
  const int sources =
      int(parser.isSet(o.text)) + int(parser.isSet(o.command)) + int(parser.isSet(o.file));
  if (sources > 1) return fail(QStringLiteral("choose one of --text, --command and --file"));
  if (parser.isSet(o.text)) h.text = parser.value(o.text);
  if (parser.isSet(o.command)) {
    h.source = HostOptions::Source::Command;
    h.command = parser.value(o.command);
    if (h.command.trimmed().isEmpty()) return fail(QStringLiteral("--command is empty"));
  }
  if (parser.isSet(o.file)) {
    h.source = HostOptions::Source::File;
    h.file = parser.value(o.file);
    if (h.file.isEmpty()) return fail(QStringLiteral("--file is empty"));
  }
  for (const auto& [opt, target] :
       {std::pair{&o.every, &h.everySeconds}, std::pair{&o.timeout, &h.timeoutSeconds}}) {
    if (!parser.isSet(*opt)) continue;
    if (h.source != HostOptions::Source::Command)
      return fail(QStringLiteral("--%1 goes with --command").arg(opt->names()[0]));
    const auto s = Seconds(parser.value(*opt));
    if (!s)
      return fail(QStringLiteral("--%1 must be a whole number of seconds from 1 to 86400")
                      .arg(opt->names()[0]));
    *target = *s;
  }
  if (parser.isSet(o.line)) h.line = parser.value(o.line);
  h.openEditor = parser.isSet(o.openEditor);
  if (parser.isSet(o.render)) {
    h.renderTo = parser.value(o.render);
    if (h.renderTo.isEmpty()) return fail(QStringLiteral("--render needs a file name"));
    if (h.openEditor) return fail(QStringLiteral("--render and --open-editor exclude each other"));
  }
  if (parser.isSet(o.scale)) {
    if (h.renderTo.isEmpty()) return fail(QStringLiteral("--scale goes with --render"));
    const auto r = classic::ToNumber(parser.value(o.scale));
    if (!r || !(*r >= 0.25 && *r <= 8))
      return fail(QStringLiteral("--scale must be a number from 0.25 to 8"));
    h.scale = *r;
  }
  if (parser.isSet(o.lang)) {
    h.language = platform::ParseLanguage(parser.value(o.lang));
    if (!h.language) return fail(QStringLiteral("--lang takes ru or en"));
  }
  if (parser.isSet(o.name)) {
    h.name = parser.value(o.name);
    if (!IsValidStampName(h.name))
      return fail(QStringLiteral("--name takes up to 64 letters, digits, -, _ and ."));
  }
  // One of two words, or none given.
  const auto choice = [&](const QCommandLineOption& opt, const char* yes, const char* no,
                          std::optional<bool>& into) {
    if (!parser.isSet(opt)) return true;
    const QString v = parser.value(opt);
    if (v != QLatin1String(yes) && v != QLatin1String(no)) return false;
    into = v == QLatin1String(yes);
    return true;
  };
  if (!choice(o.layer, "above", "below", h.above))
    return fail(QStringLiteral("--layer takes above or below"));
  if (!choice(o.autostart, "on", "off", h.autostart))
    return fail(QStringLiteral("--autostart takes on or off"));
  h.locked = parser.isSet(o.locked);
  if (!h.renderTo.isEmpty() && (h.autostart || h.above || h.locked))
    return fail(QStringLiteral("--render draws into a file: no window, no login entry"));
  if (parser.isSet(o.platform)) {
    h.platform = parser.value(o.platform);
    if (h.platform.trimmed().isEmpty()) return fail(QStringLiteral("--platform needs a name"));
  }
  out.options = h;
  return out;
}

bool IsValidStampName(const QString& name) {
  if (name.isEmpty() || name.size() > 64 || name == u"." || name == u"..") return false;
  for (const QChar c : name)
    if (!(c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u'.')) return false;
  return true;
}

QString HostHelpText() {
  QCommandLineParser parser;
  Options().AddTo(parser);
  return parser.helpText();
}

}  // namespace qm::host
