#include "platform/ProfileFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>

#include "platform/CodePage.h"
#include "platform/RegularFile.h"
#include "platform/SaveFile.h"

namespace qm::platform {
namespace {

// The file is parsed as bytes: every character that gives the layout its shape
// ("[", "]", "=", ";", blanks, line breaks) is ASCII, and working on bytes is
// what lets a write leave undecodable bytes elsewhere in the file untouched.
// Only names and values are decoded from the system code page.

constexpr QByteArrayView kBom("\xEF\xBB\xBF");

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }

struct Line {
  enum Kind { Other, Section, Key };
  Kind kind = Other;
  qsizetype begin = 0;       // first byte of the line
  qsizetype contentEnd = 0;  // end of the text, before "\n" or "\r\n"
  qsizetype end = 0;         // after the line break (== contentEnd on an unterminated last line)
  qsizetype nameBegin = 0;   // section or key name, blanks dropped
  qsizetype nameEnd = 0;
  qsizetype afterEquals = 0;  // Key: after "=" and the blanks that follow it
  qsizetype valueEnd = 0;     // Key: end of the value, trailing blanks dropped
};

class LineScanner {
 public:
  explicit LineScanner(const QByteArray& data) : data_(data), pos_(TextStart(data)) {}

  // Where the text proper starts: a UTF-8 byte order mark is not part of the first line.
  static qsizetype TextStart(const QByteArray& data) {
    return data.startsWith(kBom) ? kBom.size() : 0;
  }

  bool Next(Line& line) {
    const qsizetype size = data_.size();
    if (pos_ >= size) return false;
    line = Line{};
    line.begin = pos_;
    const qsizetype nl = data_.indexOf('\n', pos_);
    line.end = nl < 0 ? size : nl + 1;
    qsizetype ce = nl < 0 ? size : nl;
    if (ce > line.begin && data_[ce - 1] == '\r') --ce;
    line.contentEnd = ce;
    pos_ = line.end;
    Classify(line);
    return true;
  }

 private:
  qsizetype SkipBlanks(qsizetype b, qsizetype e) const {
    while (b < e && IsBlank(data_[b])) ++b;
    return b;
  }
  qsizetype DropBlanks(qsizetype b, qsizetype e) const {
    while (e > b && IsBlank(data_[e - 1])) --e;
    return e;
  }
  qsizetype Find(char c, qsizetype b, qsizetype e) const {
    const qsizetype i = data_.indexOf(c, b);
    return (i < 0 || i >= e) ? -1 : i;
  }

  void Classify(Line& line) const {
    const qsizetype b = SkipBlanks(line.begin, line.contentEnd);
    const qsizetype e = line.contentEnd;
    if (b == e || data_[b] == ';') return;
    if (data_[b] == '[') {
      // A header without its "]" still opens a section (up to the end of the
      // line): keys below a damaged header must not be taken for keys of the
      // section before it.
      const qsizetype close = Find(']', b + 1, e);
      line.kind = Line::Section;
      line.nameBegin = SkipBlanks(b + 1, close < 0 ? e : close);
      line.nameEnd = DropBlanks(line.nameBegin, close < 0 ? e : close);
      return;
    }
    const qsizetype eq = Find('=', b, e);
    if (eq < 0) return;
    line.kind = Line::Key;
    line.nameBegin = b;
    line.nameEnd = DropBlanks(b, eq);
    line.afterEquals = SkipBlanks(eq + 1, e);
    line.valueEnd = DropBlanks(line.afterEquals, e);
  }

  const QByteArray& data_;
  qsizetype pos_;
};

QString Decode(const QByteArray& data, qsizetype b, qsizetype e) {
  // Lossless: a value holding bytes that are not valid in the code page (one
  // the host stored from another code page, say) is written back byte for byte
  // when the program stores it again unchanged, or stores it beside a change
  // elsewhere in the same text.
  return DecodeCodePage(QByteArrayView(data.constData() + b, e - b));
}

// Names are compared case-folded. Almost every name in the file is plain ASCII
// ("Dir12", "Pic33"): those are lowered byte for byte, which is exactly what
// case folding does to ASCII text, and short enough to need no allocation.
// Any other name is case-folded as text and kept as its UTF-16 units behind a
// byte no ASCII name holds, so an ASCII name never equals a folded one.
using Name = ProfileSnapshot::Name;
constexpr char kFoldedMark = '\xFF';

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

Name FoldedText(const QString& name) {
  const QString folded = name.toCaseFolded();
  Name out(1, kFoldedMark);
  out.append(reinterpret_cast<const char*>(folded.utf16()),
             static_cast<std::size_t>(folded.size()) * sizeof(char16_t));
  return out;
}

Name FoldedName(const QByteArray& data, const Line& line) {
  const qsizetype n = line.nameEnd - line.nameBegin;
  const char* p = data.constData() + line.nameBegin;
  for (qsizetype i = 0; i < n; ++i)
    if (static_cast<unsigned char>(p[i]) >= 0x80)
      return FoldedText(Decode(data, line.nameBegin, line.nameEnd));
  Name folded(static_cast<std::size_t>(n), '\0');
  for (qsizetype i = 0; i < n; ++i) folded[static_cast<std::size_t>(i)] = AsciiLower(p[i]);
  return folded;
}

Name Folded(QStringView name) {
  Name folded(static_cast<std::size_t>(name.size()), '\0');
  for (qsizetype i = 0; i < name.size(); ++i) {
    const char16_t c = name[i].unicode();
    if (c >= 0x80) return FoldedText(name.toString());
    folded[static_cast<std::size_t>(i)] = AsciiLower(char(c));
  }
  return folded;
}

// The value's bytes: one pair of matching quotes around it is dropped.
std::pair<qsizetype, qsizetype> ValueRange(const QByteArray& data, const Line& line) {
  qsizetype b = line.afterEquals;
  qsizetype e = line.valueEnd;
  if (e - b >= 2 && (data[b] == '"' || data[b] == '\'') && data[e - 1] == data[b]) {
    ++b;
    --e;
  }
  return {b, e};
}

QString ValueOf(const QByteArray& data, const Line& line) {
  const auto [b, e] = ValueRange(data, line);
  return Decode(data, b, e);
}

struct Location {
  std::optional<Line> section;  // the first section of that name
  std::optional<Line> key;      // the first key of that name inside it
  std::optional<Line> lastKey;  // the last key line of that section (when key is missing)
};

Location Locate(const QByteArray& data, const Name& foldedSection, const Name& foldedKey) {
  Location loc;
  LineScanner scanner(data);
  Line line;
  while (scanner.Next(line)) {
    if (line.kind == Line::Section) {
      if (loc.section) break;  // later sections of the same name are never consulted
      if (FoldedName(data, line) == foldedSection) loc.section = line;
    } else if (line.kind == Line::Key && loc.section) {
      if (FoldedName(data, line) == foldedKey) {
        loc.key = line;
        break;
      }
      loc.lastKey = line;
    }
  }
  return loc;
}

bool ReadWhole(const QString& file, QByteArray& data) {
  // Anything but a regular file of a sane size reads as no file; a write then
  // refuses too (see WriteProfileString), so such a file is never replaced.
  std::optional<QByteArray> whole = ReadRegularFile(file, kMaxIniBytes);
  if (!whole) return false;
  data = std::move(*whole);
  return true;
}

QStringView TrimBlanks(QStringView s) {
  while (!s.isEmpty() && IsBlank(s.front())) s = s.mid(1);
  while (!s.isEmpty() && IsBlank(s.back())) s.chop(1);
  return s;
}

bool HasLineBreakOrNul(QStringView s) {
  for (QChar c : s)
    if (c == u'\n' || c == u'\r' || c == QChar(0)) return true;
  return false;
}

// Names and values that could not be read back as written, or that would
// split or merge lines for every other reader of the file, are refused.
bool WouldKeepLayout(QStringView section, QStringView key, QStringView value) {
  if (HasLineBreakOrNul(section) || HasLineBreakOrNul(key) || HasLineBreakOrNul(value))
    return false;
  if (section.contains(u']') || TrimBlanks(section).isEmpty()) return false;
  const QStringView k = TrimBlanks(key);
  if (k.isEmpty() || key.contains(u'=') || k.front() == u'[' || k.front() == u';') return false;
  // The file's names are read without the blanks around them: a name that
  // has some would be written where no read could find it again.
  if (TrimBlanks(section).size() != section.size() || k.size() != key.size()) return false;
  return true;
}

std::optional<QByteArray> Encode(QStringView text) {
  bool ok = false;
  QByteArray bytes = EncodeCodePage(text, &ok);
  if (!ok) return std::nullopt;  // would be stored as something else
  return bytes;
}

// New lines follow the file's own convention, judged by its first line.
QByteArray LineBreakOf(const QByteArray& data) {
  const qsizetype nl = data.indexOf('\n');
  return (nl > 0 && data[nl - 1] == '\r') ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}

// Puts `lines` (already joined by line breaks) at byte offset `at`, which is a
// line boundary. After an unterminated last line the break goes before the new
// text, so the file still ends the way it did.
QByteArray InsertLines(const QByteArray& data, qsizetype at, const QByteArray& lines,
                       const QByteArray& br) {
  QByteArray out;
  out.reserve(data.size() + lines.size() + 2 * br.size());
  out.append(data.constData(), at);
  if (at > LineScanner::TextStart(data) && data[at - 1] != '\n') {
    // A last line cut off after its CR gets the LF that completes its break:
    // another whole break after the CR would make that CR part of its value.
    out.append(data[at - 1] == '\r' ? QByteArrayLiteral("\n") : br).append(lines);
  } else {
    out.append(lines).append(br);
  }
  out.append(data.constData() + at, data.size() - at);
  return out;
}

}  // namespace

QString ReadProfileString(const QString& file, QStringView section, QStringView key,
                          const QString& def) {
  QByteArray data;
  if (!ReadWhole(file, data)) return def;
  const Location loc = Locate(data, Folded(section), Folded(key));
  return loc.key ? ValueOf(data, *loc.key) : def;
}

bool WriteProfileString(const QString& file, QStringView section, QStringView key,
                        const QString& value, QString* why) {
  if (!WouldKeepLayout(section, key, value)) return false;
  const auto sectionBytes = Encode(section);
  const auto keyBytes = Encode(key);
  const auto valueBytes = Encode(value);
  if (!sectionBytes || !keyBytes || !valueBytes) return false;

  // Read right before writing: the host writes this file too, and whatever it
  // stored since our last look must survive.
  QByteArray data;
  if (QFile::exists(file)) {
    std::optional<QByteArray> whole = ReadRegularFile(file, kMaxIniBytes, why);
    if (!whole) return false;
    data = std::move(*whole);
  }

  const Location loc = Locate(data, Folded(section), Folded(key));
  // The file already reads as `value` (quotes around it, say): storing it
  // again must not rewrite a line the program did not mean to change.
  if (loc.key && ValueOf(data, *loc.key) == value) return true;
  const QByteArray br = LineBreakOf(data);
  const QByteArray keyLine = *keyBytes + '=' + *valueBytes;
  QByteArray out;
  if (loc.key) {
    // Only the value's bytes change; the key as spelled in the file, the blanks
    // around "=" and the line break stay.
    out.reserve(data.size() + valueBytes->size());
    out.append(data.constData(), loc.key->afterEquals);
    out.append(*valueBytes);
    out.append(data.constData() + loc.key->contentEnd, data.size() - loc.key->contentEnd);
  } else if (loc.section) {
    const Line& anchor = loc.lastKey ? *loc.lastKey : *loc.section;
    out = InsertLines(data, anchor.end, keyLine, br);
  } else {
    out = InsertLines(data, data.size(), '[' + *sectionBytes + ']' + br + keyLine, br);
  }
  if (out == data) return true;

  // Written whole or not at all: a full disk must never leave the file
  // shorter than it was.
  const SaveResult saved = SaveFileAtomically(file, out);
  if (!saved.ok && why) *why = saved.Reason();
  return saved.ok;
}

namespace {

// A power of two with room to spare, so that probing stays short.
std::size_t SlotCount(std::size_t items) {
  std::size_t n = 16;
  while (n < items * 2) n *= 2;
  return n;
}

}  // namespace

std::size_t ProfileSnapshot::Hash(std::size_t seed, const Name& name) {
  // FNV-1a: names are a few bytes long.
  std::uint64_t h = 1469598103934665603ull ^ seed;
  for (const char c : name) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ull;
  }
  return static_cast<std::size_t>(h ^ (h >> 29));
}

namespace {

// Puts `index` into the table, doubling it first when it is half full; the
// items already there are put back by their hash.
template <typename HashOf>
void Insert(std::vector<int>& slots, int index, std::size_t count, const HashOf& hashOf) {
  if (slots.empty() || count * 2 > slots.size()) {
    slots.assign(SlotCount(count), -1);
    for (int i = 0; i < static_cast<int>(count); ++i) {
      std::size_t slot = hashOf(i) & (slots.size() - 1);
      while (slots[slot] >= 0) slot = (slot + 1) & (slots.size() - 1);
      slots[slot] = i;
    }
    return;  // `index` is among the items put back
  }
  std::size_t slot = hashOf(index) & (slots.size() - 1);
  while (slots[slot] >= 0) slot = (slot + 1) & (slots.size() - 1);
  slots[slot] = index;
}

}  // namespace

int ProfileSnapshot::FindSection(const Name& name) const {
  if (sectionSlots_.empty()) return -1;
  const std::size_t mask = sectionSlots_.size() - 1;
  for (std::size_t slot = Hash(0, name) & mask;; slot = (slot + 1) & mask) {
    const int at = sectionSlots_[slot];
    if (at < 0 || sections_[static_cast<std::size_t>(at)] == name) return at;
  }
}

const ProfileSnapshot::Entry* ProfileSnapshot::FindEntry(int section, const Name& name) const {
  if (entrySlots_.empty()) return nullptr;
  const std::size_t mask = entrySlots_.size() - 1;
  for (std::size_t slot = Hash(static_cast<std::size_t>(section), name) & mask;;
       slot = (slot + 1) & mask) {
    const int at = entrySlots_[slot];
    if (at < 0) return nullptr;
    const Entry& e = entries_[static_cast<std::size_t>(at)];
    if (e.section == section && e.name == name) return &e;
  }
}

void ProfileSnapshot::AddSection(Name name) {
  sections_.push_back(std::move(name));
  Insert(sectionSlots_, static_cast<int>(sections_.size() - 1), sections_.size(),
         [this](int i) { return Hash(0, sections_[static_cast<std::size_t>(i)]); });
}

void ProfileSnapshot::AddEntry(Entry entry) {
  entries_.push_back(std::move(entry));
  Insert(entrySlots_, static_cast<int>(entries_.size() - 1), entries_.size(), [this](int i) {
    const Entry& e = entries_[static_cast<std::size_t>(i)];
    return Hash(static_cast<std::size_t>(e.section), e.name);
  });
}

ProfileSnapshot ProfileSnapshot::Load(const QString& file) {
  ProfileSnapshot snap;
  if (!ReadWhole(file, snap.data_)) return snap;
  const QByteArray& data = snap.data_;
  // Room for a key on every line of a file of the usual size, so that the
  // lists hardly ever grow; a huge file of blank or repeated lines must not
  // reserve room it never fills.
  constexpr std::size_t kMostReserved = 1 << 14;
  std::size_t lines = 1;
  for (const char *p = data.constData(), *end = p + data.size();
       lines < kMostReserved &&
       (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p))));
       ++p)
    ++lines;
  snap.entries_.reserve(lines);
  snap.entrySlots_.assign(SlotCount(lines), -1);

  LineScanner scanner(data);
  Line line;
  int current = -1;  // the section the keys go to; -1 before any, or in a repeated one
  while (scanner.Next(line)) {
    if (line.kind == Line::Section) {
      Name name = FoldedName(data, line);
      if (snap.FindSection(name) >= 0) {
        current = -1;  // a repeated section is never consulted, its keys included
      } else {
        snap.AddSection(std::move(name));
        current = static_cast<int>(snap.sections_.size() - 1);
      }
    } else if (line.kind == Line::Key && current >= 0) {
      Name name = FoldedName(data, line);
      if (snap.FindEntry(current, name)) continue;
      const auto [b, e] = ValueRange(data, line);
      snap.AddEntry(Entry{std::move(name), current, b, e});
    }
  }
  return snap;
}

const ProfileSnapshot::Entry* ProfileSnapshot::Find(QStringView section, QStringView key) const {
  const int s = FindSection(Folded(section));
  return s < 0 ? nullptr : FindEntry(s, Folded(key));
}

QString ProfileSnapshot::Read(QStringView section, QStringView key, const QString& def) const {
  const Entry* e = Find(section, key);
  return e ? Decode(data_, e->begin, e->end) : def;
}

}  // namespace qm::platform
