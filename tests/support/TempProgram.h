#pragma once
// A temporary program directory (Quillmark.ini, Tavrel/) and per-user store,
// from which tests build the real editor window.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include "support/QtPrint.h"

namespace qm::test {

class TempProgram {
 public:
  TempProgram() { QDir(dir_.path()).mkpath(QStringLiteral("Tavrel")); }

  QString ProgramDir() const { return dir_.path(); }
  QString IniFile() const { return dir_.path() + QStringLiteral("/Quillmark.ini"); }
  QString TemplateRoot() const { return dir_.path() + QStringLiteral("/Tavrel/"); }
  QString StoreFile() const { return dir_.path() + QStringLiteral("/user/Quillmark.conf"); }

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
