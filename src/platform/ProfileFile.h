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

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <string>
#include <vector>

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
// an empty name) or when the file cannot be read or replaced. The file is
// replaced whole or not at all (see SaveFile.h). `why`, when given, gets the
// reason (in English) for a file that could not be read or replaced; a
// refused name or value leaves it as it was.
bool WriteProfileString(const QString& file, QStringView section, QStringView key,
                        const QString& value, QString* why = nullptr);

// The whole file parsed once, for the thousands of reads of the start-up.
// Read() follows exactly the rules of ReadProfileString().
//
// The file's bytes are kept as read and indexed by where each value lies:
// loading decodes nothing, and a read decodes just the one value it returns,
// so the start-up pays for the values it asks for and not for a copy of every
// name and value in the file.
class ProfileSnapshot {
 public:
  ProfileSnapshot() = default;
  static ProfileSnapshot Load(const QString& file);

  QString Read(QStringView section, QStringView key, const QString& def) const;

  // A lookup name: ASCII names (nearly all of them) lowered byte for byte,
  // any other name case-folded and marked so that the two kinds never meet.
  using Name = std::string;

 private:
  struct Entry {
    Name name;
    int section = 0;      // index into sections_
    qsizetype begin = 0;  // the value's bytes, blanks and quotes dropped
    qsizetype end = 0;
  };
  // Open addressing over sections_ and entries_: a lookup hashes the folded
  // name once and compares a name or two, and building the index allocates
  // nothing per key. Only the first section of a name and the first key of a
  // name in it are kept, as a reader going down the file finds them, so a
  // file of repeated lines costs no more than one of each.
  static std::size_t Hash(std::size_t seed, const Name& name);
  int FindSection(const Name& name) const;  // -1 when there is none
  const Entry* FindEntry(int section, const Name& name) const;
  void AddSection(Name name);
  void AddEntry(Entry entry);
  const Entry* Find(QStringView section, QStringView key) const;

  QByteArray data_;
  std::vector<Name> sections_;     // in file order
  std::vector<Entry> entries_;     // in file order
  std::vector<int> sectionSlots_;  // -1 for an empty slot
  std::vector<int> entrySlots_;
};

}  // namespace qm::platform
