#include "DemoCatalogue.h"

#include <stdio.h>

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QStringList>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>

#include "platform/Leftovers.h"
#include "platform/SaveFile.h"
#include "stamp/StampParams.h"

namespace qm::democat {
namespace {

const QString kTemplateRoot = QStringLiteral("Tavrel");
const QString kIniName = QStringLiteral("Quillmark.ini");
const QString kTextureName = QStringLiteral("Chm1.png");
// Left last, when every picture and the INI file are in place: a catalogue
// without it was cut short and is drawn again.
const QString kCompleteMark = QStringLiteral(".complete");
// The pictures are drawn into "<OUTDIR>/.democat-XXXXXX" first.
const QString kDraftPrefix = QStringLiteral(".democat-");

// Fonts the install script puts on every machine; a family that is missing
// would leave its thumbnails without text.
constexpr const char* kSans = "DejaVu Sans";
constexpr const char* kSerif = "DejaVu Serif";
constexpr const char* kLibSans = "Liberation Sans";
constexpr const char* kLibSerif = "Liberation Serif";

// Style bits: 1 bold, 2 italic, 4 underline.
// Look columns: font, style, size, text colour, X, Y, shadow colour, shadow
// X, Y, opacity, border colour, width, text/shadow/border on, border under,
// then hue, saturation, value, brightness, transparency.
// clang-format off
// The table reads as one template per row; the formatter would scatter it.
QList<DemoCategory> BuildCategories() {
  using S = Shape;
  QList<DemoCategory> cats;
  cats.append({QStringLiteral("Облака"), QStringLiteral("Clouds"), {
      {"cloud1.png", S::Cloud, 0, {140, 80},
       {kSans, 1, 34, 0xFFFFFF, 0, 0, 0x1A3A6A, 2, -2, 160, 0x2A5CAA, 2, 1, 1, 1, 1, 0, 100, 100, 0, 0}},
      {"cloud2.png", S::Cloud, 3, {100, 60},
       {kLibSans, 0, 26, 0x1E4F8C, 0, 2, 0xFFFFFF, 1, -1, 200, 0xFFFFFF, 3, 1, 1, 1, 1, 0, 120, 105, 5, 10}},
      {"storm.png", S::Cloud, 1, {120, 70},
       {kSerif, 1, 30, 0xFFE14D, -4, 4, 0x000000, 3, -3, 120, 0x3C3C3C, 2, 1, 1, 1, 0, 0, 80, 90, -10, 0}},
      {"sunset.png", S::Cloud, 2, {140, 70},
       {kLibSerif, 3, 32, 0xFFF4E0, 6, 0, 0x7A2E00, 2, -2, 180, 0xC0501A, 1, 1, 1, 0, 0, -20, 130, 100, 0, 0}},
      {"night.png", S::Cloud, 0, {100, 50},
       {kSans, 0, 24, 0xE0E8FF, 0, 0, 0x101030, -2, -2, 220, 0x404080, 2, 1, 0, 1, 0, 60, 140, 70, -20, 20}},
  }});
  cats.append({QStringLiteral("Море"), QStringLiteral("Sea"), {
      {"wave1.png", S::Wave, 0, {140, 80},
       {kLibSans, 1, 36, 0xFFFFFF, 0, 8, 0x003050, 2, -2, 190, 0x00507A, 2, 1, 1, 1, 1, 0, 100, 100, 0, 0}},
      {"wave2.png", S::Wave, 1, {100, 60},
       {kSans, 0, 28, 0xD8F4FF, 0, 0, 0x000000, 1, -1, 100, 0x0A1E3C, 1, 1, 1, 1, 0, 0, 100, 100, 0, 15}},
      // The gallery starts a new row after this one.
      {"lagoon.png", S::Wave, 2, {120, 70},
       {kSerif, 1, 30, 0xFFFF80, -6, 6, 0x004040, 3, -3, 140, 0x008080, 3, 1, 0, 1, 1, 0, 150, 110, 10, 0},
       true},
      {"drop.png", S::Drop, 0, {60, 40},
       {kLibSans, 1, 15, 0xFFFFFF, 0, -4, 0x00234A, 1, -1, 255, 0x1060C0, 2, 1, 1, 1, 1, 0, 100, 100, 0, 0}},
      {"rough.png", S::Wave, 3, {140, 60},
       {kLibSerif, 1, 30, 0xF0F0F0, 0, 6, 0x202020, 4, -4, 80, 0x000000, 1, 1, 1, 1, 0, -40, 60, 90, -15, 0}},
      {"dusk.png", S::Wave, 4, {120, 60},
       {kSans, 2, 28, 0xFFFFFF, 0, 6, 0x802000, -3, -2, 150, 0xFF8040, 2, 1, 1, 1, 0, 150, 100, 100, 0, 30}},
  }});
  cats.append({QStringLiteral("Значки"), QStringLiteral("Badges"), {
      {"medal.png", S::Badge, 0, {80, 80},
       {kSans, 1, 24, 0x5A3A00, 0, 0, 0xFFFFFF, 1, -1, 200, 0xFFF0B0, 2, 1, 1, 1, 1, 0, 100, 100, 0, 0}},
      {"star.png", S::Star, 0, {80, 80},
       {kLibSans, 1, 20, 0xFFFFFF, 0, -2, 0x800000, 2, -2, 255, 0xC00000, 3, 1, 1, 1, 1, 0, 100, 100, 0, 0}},
      {"shield.png", S::Shield, 0, {70, 80},
       {kSerif, 1, 17, 0xFFFFFF, 0, 4, 0x000000, 0, -3, 160, 0x203060, 1, 1, 1, 1, 0, -120, 100, 100, 0, 0}},
      {"leaf.png", S::Leaf, 0, {100, 60},
       {kLibSerif, 3, 28, 0xFFFFFF, 0, 0, 0x0F3A0F, 2, -2, 200, 0x2F6F1F, 2, 1, 1, 1, 1, 0, 100, 100, 0, 0}},
      {"autumn.png", S::Leaf, 1, {100, 60},
       {kSans, 1, 26, 0xFFF8E0, 4, 0, 0x5A1E00, 2, -2, 120, 0xA04000, 1, 1, 0, 1, 0, 0, 180, 100, 10, 0}},
      {"ribbon.png", S::Ribbon, 0, {140, 50},
       {kLibSans, 1, 24, 0xFFFFFF, 0, 4, 0x000000, 1, -1, 90, 0x7A0A2A, 2, 1, 1, 1, 1, 0, 100, 100, 0, 10}},
      {"ribbon_grey.png", S::Ribbon, 1, {140, 50},
       {kLibSerif, 0, 24, 0x202020, 0, 4, 0xFFFFFF, 1, -1, 255, 0xFFFFFF, 2, 1, 1, 1, 1, 0, 0, 120, 0, 0}},
  }});
  cats.append({QStringLiteral("Рамки"), QStringLiteral("Frames"), {
      {"gold.png", S::Frame, 0, {140, 80},
       {kSerif, 1, 32, 0x7A4A00, 0, 0, 0xFFE9A0, 1, -1, 255, 0xFFF6D0, 2, 1, 1, 1, 1, 0, 100, 100, 0, 0}},
      {"silver.png", S::Frame, 1, {120, 60},
       {kLibSans, 0, 28, 0x303840, 0, 0, 0xFFFFFF, 2, -2, 140, 0xA0A8B0, 1, 1, 1, 0, 0, 0, 100, 100, 0, 0}},
      {"wood.png", S::Frame, 2, {100, 70},
       {kSans, 1, 24, 0xFFFFFF, 0, 0, 0x3A1A00, 2, -2, 210, 0x6A3A10, 3, 1, 1, 1, 1, 0, 110, 95, -5, 0}},
      // Listed, but never drawn: shows the gallery's "file missing" box.
      {"old_frame.png", S::Frame, 0, {100, 60},
       {kLibSerif, 2, 28, 0x000000, 0, 0, 0x808080, 2, -2, 128, 0xFFFFFF, 2, 1, 1, 1, 1, 0, 100, 100, 0, 0},
       false, false},
      {"small.png", S::Frame, 3, {60, 40},
       {kLibSans, 1, 13, 0xFFFFFF, 0, 0, 0x000060, 1, -1, 180, 0x2040A0, 1, 1, 1, 1, 0, 90, 100, 100, 0, 0}},
      {"glass.png", S::Frame, 4, {140, 80},
       {kSans, 0, 34, 0x004060, 0, 0, 0xFFFFFF, -2, -2, 47, 0x80D0FF, 4, 1, 1, 1, 1, 0, 100, 100, 20, 40}},
  }});
  return cats;
}
// clang-format on

// A look with its picture, as the stamp model holds it; the line is then
// written the way the editor itself writes it.
stamp::StampParams LookParams(const DemoLook& l, const QString& picture) {
  stamp::StampParams p;
  p.Picture = picture;
  p.FontName = QString::fromUtf8(l.font);
  p.FontStyle = static_cast<qint16>(l.style);
  p.FontSize = static_cast<qint16>(l.size);
  p.TextColor = static_cast<qint32>(l.textColour);
  p.TextX = static_cast<float>(l.textX);
  p.TextY = static_cast<float>(l.textY);
  p.ShadowColor = static_cast<qint32>(l.shadowColour);
  p.ShadowX = static_cast<float>(l.shadowX);
  p.ShadowY = static_cast<float>(l.shadowY);
  p.ShadowAlpha = static_cast<quint8>(l.shadowAlpha);
  p.BorderColor = static_cast<qint32>(l.borderColour);
  p.BorderWidth = static_cast<qint16>(l.borderWidth);
  p.TextOn = static_cast<qint16>(l.textOn);
  p.ShadowOn = static_cast<qint16>(l.shadowOn);
  p.BorderOn = static_cast<qint16>(l.borderOn);
  p.BorderUnder = static_cast<qint16>(l.borderUnder);
  p.PicHue = static_cast<qint16>(l.hue);
  p.PicSaturation = static_cast<qint16>(l.saturation);
  p.PicValue = static_cast<qint16>(l.value);
  p.PicBrightness = static_cast<qint16>(l.brightness);
  p.PicAlpha = static_cast<qint16>(l.transparency);
  return p;
}

bool WriteFile(const QString& path, const QByteArray& bytes, QString* error) {
  const platform::SaveResult saved = platform::SaveFileAtomically(path, bytes);
  if (!saved.ok) *error = saved.Text(path);
  return saved.ok;
}

bool WritePng(const QString& path, const QImage& image, QString* error) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "png");
  if (!writer.write(image)) {
    *error = QStringLiteral("cannot draw %1: %2").arg(path, writer.errorString());
    return false;
  }
  return WriteFile(path, bytes, error);
}

bool MakeFolder(const QString& dir, QString* error) {
  if (QDir().mkpath(dir)) return true;
  *error = QStringLiteral("cannot create %1").arg(dir);
  return false;
}

// Drafts that a killed run left behind, once they are old enough not to be
// another run's work in progress.
void RemoveStaleDrafts(const QDir& out) {
  const QDateTime staleBefore =
      QDateTime::currentDateTime().addSecs(-platform::kLeftoverAge.count());
  for (const QFileInfo& draft :
       out.entryInfoList({kDraftPrefix + u'*'}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
    if (!draft.isSymLink() && draft.lastModified() < staleBefore)
      QDir(draft.absoluteFilePath()).removeRecursively();
  }
}

// Every picture of the catalogue, drawn below `root`.
bool DrawPictures(const QString& root, QString* error) {
  if (!MakeFolder(root, error)) return false;
  if (!WritePng(QDir(root).filePath(kTextureName), DrawCheckerTexture(), error)) return false;
  for (const DemoCategory& cat : DemoCategories()) {
    const QString dir = QDir(root).filePath(cat.dir);
    if (!MakeFolder(dir, error)) return false;
    for (const DemoTemplate& t : cat.templates) {
      if (!t.pictureWritten) continue;
      const QImage picture = DrawPicture(t.shape, t.variant, t.size);
      if (!WritePng(QDir(dir).filePath(QString::fromUtf8(t.file)), picture, error)) return false;
    }
  }
  return true;
}

// Puts the drawn pictures in place. A new template root is one rename; into
// an existing one (which may hold pictures of the user's own) each picture
// moves by itself, whole, over its old self.
bool MovePictures(const QString& drawn, const QString& root, QString* error) {
  const auto moveFailed = [&](const QString& to) {
    *error = QStringLiteral("cannot move a picture to %1: %2")
                 .arg(to, QString::fromLocal8Bit(std::strerror(errno)));
    return false;
  };
  if (!QFileInfo::exists(root)) {
    if (::rename(QFile::encodeName(drawn).constData(), QFile::encodeName(root).constData()) != 0)
      return moveFailed(root);
    return true;
  }
  QDirIterator it(drawn, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString from = it.next();
    const QString to = QDir(root).filePath(QDir(drawn).relativeFilePath(from));
    if (!MakeFolder(QFileInfo(to).absolutePath(), error)) return false;
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
      return moveFailed(to);
  }
  return true;
}

}  // namespace

const QList<DemoCategory>& DemoCategories() {
  static const QList<DemoCategory> categories = BuildCategories();
  return categories;
}

QString RecordLine(const DemoTemplate& t) {
  const QString line = stamp::LineText(LookParams(t.look, QString::fromUtf8(t.file)));
  return t.rowBreak ? line + QStringLiteral("|1") : line;
}

QString SelectedLine() {
  const DemoCategory& first = DemoCategories().constFirst();
  const DemoTemplate& t = first.templates.constFirst();
  return stamp::LineText(LookParams(t.look, first.dir + u'\\' + QString::fromUtf8(t.file)));
}

QByteArray IniText() {
  // No "Colors" key: the palette starts from its built-in colours until the
  // user saves a set of their own.
  QStringList lines{QStringLiteral("[General]"), QStringLiteral("Selected=") + SelectedLine()};
  const QList<DemoCategory>& cats = DemoCategories();
  for (qsizetype n = 0; n < cats.size(); ++n) {
    lines << QString() << QStringLiteral("[Dir%1]").arg(n) << QStringLiteral("Name=") + cats[n].name
          << QStringLiteral("Path=") + cats[n].dir;
    for (qsizetype m = 0; m < cats[n].templates.size(); ++m)
      lines << QStringLiteral("Pic%1=").arg(m + 1) + RecordLine(cats[n].templates[m]);
  }
  return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

WriteResult WriteDemoCatalogue(const QString& outDir, IniPolicy policy) {
  WriteResult result;
  const QDir out(outDir);
  if (!MakeFolder(out.absolutePath(), &result.error)) return result;
  RemoveStaleDrafts(out);
  const QString root = out.filePath(kTemplateRoot);
  const QString mark = QDir(root).filePath(kCompleteMark);
  // A redraw is under way: until it ends, the catalogue is not whole.
  QFile::remove(mark);
  // Pictures and texture are ours alone, so they are redrawn every run: a
  // change to the drawing code reaches the program directory with the next
  // build. They are drawn aside first, so that a full disk or a kill leaves
  // the catalogue as it was rather than half drawn.
  QTemporaryDir draft(out.filePath(kDraftPrefix + QStringLiteral("XXXXXX")));
  if (!draft.isValid()) {
    result.error = QStringLiteral("cannot create a folder in %1: %2")
                       .arg(out.absolutePath(), draft.errorString());
    return result;
  }
  const QString drawn = QDir(draft.path()).filePath(kTemplateRoot);
  const bool newRoot = !QFileInfo::exists(root);
  if (!DrawPictures(drawn, &result.error) || !MovePictures(drawn, root, &result.error))
    return result;
  // The INI file is different: the editor writes the user's saved look and
  // colour set into it, and overwriting a template rewrites its record there.
  // Rebuilding the program would throw all of that away, so an existing file
  // is kept unless the caller asks for a fresh one. An empty file holds
  // nothing to keep: it is what a full disk made of an earlier run's.
  const QString ini = out.filePath(kIniName);
  const QFileInfo iniInfo(ini);
  if (policy == IniPolicy::KeepExisting && iniInfo.exists() && iniInfo.size() > 0) {
    result.iniKept = true;
  } else if (!WriteFile(ini, IniText(), &result.error) || !WriteFile(mark, {}, &result.error)) {
    // Pictures without their INI file are no catalogue: a root this run made
    // goes again, so that nothing of it is left.
    if (newRoot) QDir(root).removeRecursively();
    return result;
  }
  if (result.iniKept && !WriteFile(mark, {}, &result.error)) return result;
  result.ok = true;
  return result;
}

}  // namespace qm::democat
