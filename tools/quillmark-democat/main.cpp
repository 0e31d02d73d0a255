// quillmark-democat: draws the demo template catalogue into a directory.
//
//   quillmark-democat [--force-ini] OUTDIR
//
// Writes OUTDIR/Tavrel/Chm1.png, the category directories with their
// pictures, and OUTDIR/Quillmark.ini. An existing Quillmark.ini is kept
// unless --force-ini is given, because the editor saves the user's look and
// overwritten templates in it.
//
// Exit status: 0 done; 1 a file could not be written; 2 bad arguments.

#include <QCommandLineParser>
#include <QGuiApplication>
#include <cstdio>

#include "DemoCatalogue.h"

namespace {

constexpr int kOk = 0;
constexpr int kWriteFailed = 1;
constexpr int kBadArguments = 2;

int Fail(int status, const QString& message) {
  std::fprintf(stderr, "quillmark-democat: %s\n", message.toLocal8Bit().constData());
  return status;
}

int Run(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Draws the demo template catalogue into OUTDIR."));
  parser.addHelpOption();
  parser.addPositionalArgument(QStringLiteral("OUTDIR"),
                               QStringLiteral("The program directory to fill."));
  const QCommandLineOption forceIni(
      QStringLiteral("force-ini"),
      QStringLiteral("Replace an existing Quillmark.ini (the saved look and any overwritten "
                     "templates in it are lost)."));
  parser.addOption(forceIni);
  if (!parser.parse(arguments)) return Fail(kBadArguments, parser.errorText());
  if (parser.isSet(QStringLiteral("help"))) {
    std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
    return kOk;
  }
  const QStringList positional = parser.positionalArguments();
  if (positional.size() != 1 || positional[0].isEmpty())
    return Fail(kBadArguments, QStringLiteral("expected one output directory"));

  const auto policy = parser.isSet(forceIni) ? qm::democat::IniPolicy::Overwrite
                                             : qm::democat::IniPolicy::KeepExisting;
  const auto result = qm::democat::WriteDemoCatalogue(positional[0], policy);
  if (!result.ok) return Fail(kWriteFailed, result.error);
  if (result.iniKept)
    std::printf("quillmark-democat: kept the existing Quillmark.ini (--force-ini replaces it)\n");
  return kOk;
}

}  // namespace

int main(int argc, char** argv) {
  // Drawing needs no screen: work off-screen unless told otherwise, so the
  // build runs the same with or without a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  return Run(QGuiApplication::arguments());
}
