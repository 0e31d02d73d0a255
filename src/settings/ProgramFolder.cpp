#include "settings/ProgramFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "settings/AppPaths.h"

namespace qm::settings {
namespace {

const QString kIniName = QStringLiteral("Quillmark.ini");

// Drawing the demo catalogue takes a second or two; a tool that hangs must
// not keep the program from starting.
constexpr int kDemocatTimeoutMs = 60'000;

// What the demo catalogue tool leaves last, once every picture and the INI
// file are whole (see tools/quillmark-democat).
const QString kCompleteMark = QStringLiteral("Tavrel/.complete");

QString BaseFolder(const QProcessEnvironment& env, const char* variable, const char* underHome) {
  QString base = env.value(QString::fromLatin1(variable));
  if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
    const QString home = env.value(QStringLiteral("HOME"));
    if (home.isEmpty() || !QDir::isAbsolutePath(home)) return {};
    base = home + QString::fromLatin1(underHome);
  }
  return base;
}

// A folder of ours alone, made (mode 0700) when missing; the reason otherwise.
QString MakePrivateFolder(const QString& dir) {
  if (!QDir().mkpath(QFileInfo(dir).absolutePath())) return QStringLiteral("cannot create it");
  if (::mkdir(QFile::encodeName(dir).constData(), 0700) != 0 && errno != EEXIST)
    return QString::fromLocal8Bit(std::strerror(errno));
  return CheckProgramFolder(dir);
}

// The catalogue is whole: an INI file with something in it, and the mark the
// tool leaves after everything else. An empty INI file or pictures without
// the mark are what a run cut short (or a full disk) left behind.
bool CatalogueIsWhole(const QDir& dir) {
  const QFileInfo ini(dir.filePath(kIniName));
  return ini.isFile() && ini.size() > 0 && QFileInfo(dir.filePath(kCompleteMark)).isFile();
}

}  // namespace

QString CheckProgramFolder(const QString& dir) {
  const QByteArray native = QFile::encodeName(dir);
  struct stat link {};
  if (::lstat(native.constData(), &link) != 0) return QString::fromLocal8Bit(std::strerror(errno));
  // A link of ours may lead elsewhere (a data folder moved to another disk),
  // but only to a folder of ours too.
  struct stat st {};
  if (::stat(native.constData(), &st) != 0) return QStringLiteral("it leads nowhere");
  const uid_t me = ::geteuid();
  if (!S_ISDIR(st.st_mode)) return QStringLiteral("it is not a folder");
  if (link.st_uid != me || st.st_uid != me) return QStringLiteral("it belongs to another user");
  // Anyone who may write there could plant a catalogue. A folder writable by
  // the user's own group is the usual thing where every user has a group of
  // their own, so only another group counts.
  if ((st.st_mode & S_IWOTH) != 0 || ((st.st_mode & S_IWGRP) != 0 && st.st_gid != ::getegid()))
    return QStringLiteral("other users may write to it (mode %1)")
        .arg(st.st_mode & 0777, 3, 8, QLatin1Char('0'));
  return {};
}

QString PerUserProgramFolder(const QProcessEnvironment& env) {
  // A relative XDG_DATA_HOME is ignored, as every desktop program ignores it.
  const QString base = BaseFolder(env, "XDG_DATA_HOME", "/.local/share");
  return base.isEmpty() ? QString() : QDir::cleanPath(base + QStringLiteral("/quillmark"));
}

ProgramFolder ChooseProgramFolder(const QString& executableDir, const QProcessEnvironment& env) {
  const QFileInfo ini(QDir(executableDir).filePath(kIniName));
  if (ini.isFile() && ini.isWritable() && QFileInfo(executableDir).isWritable())
    return {executableDir, false, {}};
  const QString usual = PerUserProgramFolder(env);
  QFileInfo there(usual);
  if (usual.isEmpty() || (!there.exists() && !there.isSymLink())) return {usual, true, {}};
  const QString problem = CheckProgramFolder(usual);
  if (problem.isEmpty()) return {usual, true, {}};
  // Somebody else's folder is never read or written. Both programs must meet
  // in the same replacement, so it has a fixed name in the user's cache
  // folder; only when that cannot be had either does this run get a fresh
  // folder of its own.
  QString instead;
  const QString cache = BaseFolder(env, "XDG_CACHE_HOME", "/.cache");
  if (!cache.isEmpty()) {
    instead = QDir::cleanPath(cache + QStringLiteral("/quillmark-program"));
    if (!MakePrivateFolder(instead).isEmpty()) instead.clear();
  }
  if (instead.isEmpty()) {
    QByteArray pattern = QFile::encodeName(QDir::tempPath() + QStringLiteral("/quillmark-XXXXXX"));
    if (::mkdtemp(pattern.data())) instead = QFile::decodeName(pattern);
  }
  return {instead, true,
          QStringLiteral("the program folder %1 is not used (%2); using %3 instead")
              .arg(usual, problem, instead.isEmpty() ? QStringLiteral("none") : instead)};
}

QString PrepareProgramFolder(const ProgramFolder& folder, const QString& democat) {
  if (!folder.perUser) return {};
  if (folder.dir.isEmpty()) return QStringLiteral("no home folder to keep the catalogue in");
  const QDir dir(folder.dir);
  if (CatalogueIsWhole(dir)) return {};
  if (!QFileInfo(democat).isExecutable())
    return QStringLiteral("%1 is missing: the demo catalogue cannot be drawn into %2")
        .arg(democat, folder.dir);
  if (const QString problem = MakePrivateFolder(folder.dir); !problem.isEmpty())
    return QStringLiteral("cannot use the program folder %1: %2").arg(folder.dir, problem);
  // The editor and the stamp may both start for the first time at once: one
  // draws, the other waits and then finds the catalogue there.
  QLockFile lock(dir.filePath(QStringLiteral(".prepare.lock")));
  lock.setStaleLockTime(kDemocatTimeoutMs * 2);
  if (!lock.tryLock(kDemocatTimeoutMs)) {
    // Only another program drawing holds the lock; a folder we cannot write
    // to fails at once, and saying that it stays locked would mislead.
    if (lock.error() == QLockFile::LockFailedError)
      return QStringLiteral(
                 "the program folder %1 stays locked by another program drawing the "
                 "demo catalogue")
          .arg(folder.dir);
    return QStringLiteral(
               "the program folder %1 cannot be written: the demo catalogue cannot "
               "be drawn into it")
        .arg(folder.dir);
  }
  if (CatalogueIsWhole(dir)) return {};
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
  if (!folder.notice.isEmpty())
    std::fprintf(stderr, "%s: %s\n", program, qPrintable(folder.notice));
  const QString problem = PrepareProgramFolder(folder, exe + QStringLiteral("/quillmark-democat"));
  if (!problem.isEmpty()) std::fprintf(stderr, "%s: %s\n", program, qPrintable(problem));
  return folder.dir;
}

}  // namespace qm::settings
