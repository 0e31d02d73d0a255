#include "settings/ProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <cstdio>

#include "settings/AppPaths.h"

namespace qm::settings {
namespace {

const QString kIniName = QStringLiteral("Quillmark.ini");

// Drawing the demo catalogue takes a second or two; a tool that hangs must
// not keep the program from starting.
constexpr int kDemocatTimeoutMs = 60'000;

}  // namespace

QString PerUserProgramFolder(const QProcessEnvironment& env) {
  // A relative XDG_DATA_HOME is ignored, as every desktop program ignores it.
  QString base = env.value(QStringLiteral("XDG_DATA_HOME"));
  if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
    const QString home = env.value(QStringLiteral("HOME"));
    if (home.isEmpty() || !QDir::isAbsolutePath(home)) return {};
    base = home + QStringLiteral("/.local/share");
  }
  return QDir::cleanPath(base + QStringLiteral("/quillmark"));
}

ProgramFolder ChooseProgramFolder(const QString& executableDir, const QProcessEnvironment& env) {
  const QFileInfo ini(QDir(executableDir).filePath(kIniName));
  if (ini.isFile() && ini.isWritable() && QFileInfo(executableDir).isWritable())
    return {executableDir, false};
  return {PerUserProgramFolder(env), true};
}

QString PrepareProgramFolder(const ProgramFolder& folder, const QString& democat) {
  if (!folder.perUser) return {};
  if (folder.dir.isEmpty()) return QStringLiteral("no home folder to keep the catalogue in");
  const QDir dir(folder.dir);
  if (QFileInfo(dir.filePath(kIniName)).exists()) return {};
  if (!QFileInfo(democat).isExecutable())
    return QStringLiteral("%1 is missing: the demo catalogue cannot be drawn into %2")
        .arg(democat, folder.dir);
  if (!QDir().mkpath(folder.dir))
    return QStringLiteral("cannot create the program folder %1").arg(folder.dir);
  // The editor and the stamp may both start for the first time at once: one
  // draws, the other waits and then finds the catalogue there.
  QLockFile lock(dir.filePath(QStringLiteral(".prepare.lock")));
  lock.setStaleLockTime(kDemocatTimeoutMs * 2);
  if (!lock.tryLock(kDemocatTimeoutMs))
    return QStringLiteral("the program folder %1 stays locked").arg(folder.dir);
  if (QFileInfo(dir.filePath(kIniName)).exists()) return {};
  QProcess p;
  // The tool draws with fonts and images only; it needs no display.
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  p.setProcessEnvironment(env);
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p.setStandardOutputFile(QProcess::nullDevice());
  p.setStandardInputFile(QProcess::nullDevice());
  p.start(democat, {folder.dir});
  if (!p.waitForStarted())
    return QStringLiteral("cannot start %1: %2").arg(democat, p.errorString());
  if (!p.waitForFinished(kDemocatTimeoutMs)) {
    p.kill();
    p.waitForFinished();
    return QStringLiteral("%1 did not finish drawing the demo catalogue").arg(democat);
  }
  if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
    return QStringLiteral("%1 failed to draw the demo catalogue into %2").arg(democat, folder.dir);
  return {};
}

QString ProgramFolderForThisProgram(const char* program) {
  const QString exe = ExecutableDirectory();
  const ProgramFolder folder = ChooseProgramFolder(exe, QProcessEnvironment::systemEnvironment());
  const QString problem = PrepareProgramFolder(folder, exe + QStringLiteral("/quillmark-democat"));
  if (!problem.isEmpty()) std::fprintf(stderr, "%s: %s\n", program, qPrintable(problem));
  return folder.dir;
}

}  // namespace qm::settings
