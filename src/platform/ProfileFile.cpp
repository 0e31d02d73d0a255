#include "platform/ProfileFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QSaveFile>
#include <optional>

#include "platform/CodePage.h"
#include "platform/RegularFile.h"

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
// ("Dir12", "Pic33"), and lowering those directly saves the start-up thousands
// of decode-then-fold allocations; ASCII lowering is exactly what case folding
// does to ASCII text, so both paths agree.
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

QString FoldedName(const QByteArray& data, const Line& line) {
  const qsizetype n = line.nameEnd - line.nameBegin;
  const char* p = data.constData() + line.nameBegin;
  for (qsizetype i = 0; i < n; ++i)
    if (static_cast<unsigned char>(p[i]) >= 0x80)
      return Decode(data, line.nameBegin, line.nameEnd).toCaseFolded();
  QString folded(n, Qt::Uninitialized);
  QChar* out = folded.data();
  for (qsizetype i = 0; i < n; ++i) out[i] = QLatin1Char(AsciiLower(p[i]));
  return folded;
}

QString Folded(QStringView name) {
  for (QChar c : name)
    if (c.unicode() >= 0x80) return name.toString().toCaseFolded();
  QString folded(name.size(), Qt::Uninitialized);
  QChar* out = folded.data();
  for (qsizetype i = 0; i < name.size(); ++i)
    out[i] = QLatin1Char(AsciiLower(char(name[i].unicode())));
  return folded;
}

QString ValueOf(const QByteArray& data, const Line& line) {
  qsizetype b = line.afterEquals;
  qsizetype e = line.valueEnd;
  if (e - b >= 2 && (data[b] == '"' || data[b] == '\'') && data[e - 1] == data[b]) {
    ++b;
    --e;
  }
  return Decode(data, b, e);
}

struct Location {
  std::optional<Line> section;  // the first section of that name
  std::optional<Line> key;      // the first key of that name inside it
  std::optional<Line> lastKey;  // the last key line of that section (when key is missing)
};

Location Locate(const QByteArray& data, const QString& foldedSection, const QString& foldedKey) {
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
                        const QString& value) {
  if (!WouldKeepLayout(section, key, value)) return false;
  const auto sectionBytes = Encode(section);
  const auto keyBytes = Encode(key);
  const auto valueBytes = Encode(value);
  if (!sectionBytes || !keyBytes || !valueBytes) return false;

  // Read right before writing: the host writes this file too, and whatever it
  // stored since our last look must survive.
  QByteArray data;
  if (QFile::exists(file) && !ReadWhole(file, data)) return false;

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

  // A temporary file in the same directory renamed over the old one: readers
  // see either the old or the new file, never half of one. QSaveFile keeps the
  // old file's permissions.
  QSaveFile saver(file);
  if (!saver.open(QIODevice::WriteOnly)) return false;
  if (saver.write(out) != out.size()) {
    saver.cancelWriting();
    return false;
  }
  return saver.commit();
}

ProfileSnapshot ProfileSnapshot::Load(const QString& file) {
  ProfileSnapshot snap;
  QByteArray data;
  if (!ReadWhole(file, data)) return snap;
  LineScanner scanner(data);
  Line line;
  // Points into sections_; valid until the next insertion into sections_,
  // which only happens at the next section header where it is set again.
  QHash<QString, QString>* current = nullptr;
  while (scanner.Next(line)) {
    if (line.kind == Line::Section) {
      const QString name = FoldedName(data, line);
      // A repeated section is never consulted: the first one of a name wins.
      current = snap.sections_.contains(name) ? nullptr : &snap.sections_[name];
    } else if (line.kind == Line::Key && current) {
      const QString name = FoldedName(data, line);
      if (!current->contains(name)) current->insert(name, ValueOf(data, line));
    }
  }
  return snap;
}

QString ProfileSnapshot::Read(QStringView section, QStringView key, const QString& def) const {
  const auto s = sections_.constFind(Folded(section));
  if (s == sections_.constEnd()) return def;
  const auto k = s->constFind(Folded(key));
  return k == s->constEnd() ? def : *k;
}

}  // namespace qm::platform
