#pragma once
// The INI ("profile") file that the editor shares with the host.
//
// The layout is the classic one: "[section]" lines, "key=value" lines, ";"
// comment lines; everything else is ignored. Section and key names compare
// without regard to case; the first matching section and, inside it, the first
// matching key win. The file holds text in the system code page; names and
// values are decoded with DecodeCodePage (CodePage.h), so bytes that are not
// valid in it come back as stand-in characters that a write turns back into
// the same bytes.
//
// Writing changes only the bytes of the one value (or adds the one line or
// section it needs): the host and people edit this file too, so comments,
// blank lines, line endings, unknown keys and even bytes that do not decode
// survive every write untouched.

#include <QHash>
#include <QString>
#include <QStringView>

namespace qm::platform {

// The value of `key` in `section`, or `def` when the file, the section or the
// key is missing. Surrounding blanks are dropped, then one pair of matching
// surrounding quotes ("..." or '...'). The value is read whole, however long.
QString ReadProfileString(const QString& file, QStringView section, QStringView key,
                          const QString& def);

// Sets `key` in `section` to `value`, creating the file, the section and the
// key as needed. A key that already reads as `value` is left as it is (its
// quotes and bytes included) and counts as written. Returns false, leaving the
// file as it was, when the names or the value would break the layout (line
// breaks, NUL, a key with "=" or starting with "[" or ";", a section with "]",
// an empty name) or when the file cannot be read or replaced.
bool WriteProfileString(const QString& file, QStringView section, QStringView key,
                        const QString& value);

// The whole file parsed once, for the thousands of reads of the start-up.
// Read() follows exactly the rules of ReadProfileString().
class ProfileSnapshot {
 public:
  ProfileSnapshot() = default;
  static ProfileSnapshot Load(const QString& file);

  QString Read(QStringView section, QStringView key, const QString& def) const;

 private:
  // Case-folded section name -> case-folded key name -> value.
  QHash<QString, QHash<QString, QString>> sections_;
};

}  // namespace qm::platform
