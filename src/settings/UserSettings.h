#pragma once
// The per-user store: what belongs to one user's programs alone (the editor's
// window place, open page and preview background in group "Options", the
// desktop stamp's place in group "Host"), as opposed to the INI file that the
// editor shares with the host.
//
// The file keeps the layout earlier versions wrote and read through Qt's INI
// settings format, so a store written by either is read by the other. It is
// read only when it is a regular file of a sane size (a FIFO put there must
// not hold up the start-up), and it is replaced whole or not at all (see
// platform/SaveFile.h): a full disk never empties it.

#include <QMap>
#include <QString>
#include <QStringList>

#include "platform/SettingKey.h"

namespace qm::settings {

class UserSettings {
 public:
  // A store that was ever bigger than this is not ours.
  static constexpr qint64 kMaxBytes = qint64(1) << 20;

  // `group` is the one GetS, SetS and Keys work in; the typed keys carry
  // their own.
  explicit UserSettings(const QString& filePath = DefaultFilePath(),
                        const QString& group = QStringLiteral("Options"));

  // A key's value, or its default while nothing is stored; a named stamp's
  // keys stand under "<name>/" in their group, which `prefix` gives.
  template <class T>
  T Get(const platform::SettingKey<T>& key, QStringView prefix = {}) const {
    const auto it = values_.constFind(Path(key, prefix));
    return it == values_.cend() ? key.Default() : key.FromText(*it);
  }
  // Stores a key's value as SetS does.
  template <class T>
  bool Set(const platform::SettingKey<T>& key, const std::type_identity_t<T>& value,
           QStringView prefix = {}) {
    return Store(Path(key, prefix), key.ToText(value));
  }

  // Stores the string at once (on the disk, so a crash loses nothing). False
  // when the store could not be written; Problem() then says why, the value
  // is still given back by GetS, and the next SetS tries to save it again. A
  // store that is not a regular file is never written.
  bool SetS(const QString& sKey, const QString& Sval);
  // The stored string, or sDef when the key was never stored.
  QString GetS(const QString& sKey, const QString& sDef) const;
  // Every key stored in the group, those of its subgroups as "sub/key".
  QStringList Keys() const;

  // Why the store could not be read or written (the reason, in English);
  // empty while it works.
  const QString& Problem() const { return problem_; }
  const QString& FilePath() const { return path_; }

  // <user configuration dir>/Quillmark/Quillmark.conf. The store is addressed
  // by application, section and key; the application is "Quillmark" (not the
  // editor's own name), so the file is named after it and each section is an
  // INI group.
  static QString DefaultFilePath();

  // The store's text for `values` ("group/key" to value), as the settings
  // format reads it back.
  static QByteArray Serialize(const QMap<QString, QString>& values);

 private:
  using Values = QMap<QString, QString>;
  // Every key of the file; false (with problem_ set) when the file is there
  // but not one to read.
  bool Load(Values& values);
  QString Key(const QString& sKey) const { return group_ + u'/' + sKey; }
  template <class T>
  static QString Path(const platform::SettingKey<T>& key, QStringView prefix) {
    QString path = key.group.toString();
    path += u'/';
    path += prefix;
    path += key.name;
    return path;
  }
  bool Store(const QString& path, const QString& value);

  QString path_;
  QString group_;
  Values values_;
  Values unsaved_;  // stored in this run, not yet on the disk
  QString problem_;
  bool refused_ = false;  // not a regular file, or too big: never written
};

}  // namespace qm::settings
