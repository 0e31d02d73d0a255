#pragma once
// A temporary program directory (Quillmark.ini, Tavrel/) and per-user store,
// from which tests build the real editor window.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

#include "app/AppEnvironment.h"
#include "support/QtPrint.h"

namespace qm::test {

// One category ("Облака" in Clouds/) and a chosen look with every field set
// away from its default, the INI file most window tests start from.
inline const QByteArray kCloudsIni =
    "[General]\r\n"
    "Selected=Clouds\\a.png|DejaVu Sans|1|36|&HFF0000|5|-3|&H0|2|-2|128|&HFF|3|1|1|1|0|30|120|90|"
    "-10|40\r\n"
    "[Dir0]\r\nName=Облака\r\nPath=Clouds\r\n";

class TempProgram {
 public:
  TempProgram() { QDir(dir_.path()).mkpath(QStringLiteral("Tavrel")); }

  QString ProgramDir() const { return dir_.path(); }
  QString IniFile() const { return dir_.path() + QStringLiteral("/Quillmark.ini"); }
  QString TemplateRoot() const { return dir_.path() + QStringLiteral("/Tavrel/"); }
  QString StoreFile() const { return dir_.path() + QStringLiteral("/user/Quillmark.conf"); }

  // The environment the editor window is built from: this program directory
  // and per-user store, with the given command line and link directory.
  AppEnvironment Environment(const QString& commandLine = {}, const QString& linkDir = {}) const {
    AppEnvironment env;
    env.programDir = ProgramDir();
    env.userStoreFile = StoreFile();
    env.commandLine = commandLine;
    env.linkDir = linkDir;
    return env;
  }

  // A copy of the real editor in this program directory (it reads the INI
  // file beside its own executable); empty when the copy failed.
  QString InstallEditor() const {
    const QString editor = dir_.path() + QStringLiteral("/QuillmarkOpt");
    if (!QFile::exists(editor) && !QFile::copy(QStringLiteral(QM_BIN_DIR "/QuillmarkOpt"), editor))
      return {};
    QFile::setPermissions(editor, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return editor;
  }

  // An environment for the real programs whose lock, link folder and per-user
  // store all lie below `runtime`.
  static QProcessEnvironment ProcessEnvironment(const QString& runtime) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), runtime + QStringLiteral("/config"));
    // An editor without a catalogue beside it keeps one in the per-user
    // program folder: never the real user's.
    env.insert(QStringLiteral("XDG_DATA_HOME"), runtime + QStringLiteral("/data"));
    env.remove(QStringLiteral("QUILLMARK_LANG"));
    env.remove(QStringLiteral("QUILLMARK_LINK_DIR"));
    return env;
  }

  void WriteIni(const QByteArray& bytes) const { WriteFile(IniFile(), bytes); }
  QByteArray ReadIni() const { return ReadFile(IniFile()); }

  static void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
  }
  static QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

 private:
  QTemporaryDir dir_;
};

}  // namespace qm::test
