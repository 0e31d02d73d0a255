// The demo catalogue as the build writes it: quillmark-democat is run into a
// temporary directory and its output is read back the way the editor reads it.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <array>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

#include "gallery/Catalogue.h"
#include "platform/Classic.h"
#include "platform/PathResolver.h"
#include "settings/IniClass.h"
#include "stamp/ParamLine.h"
#include "support/SmallDisk.h"

using namespace qm::gallery;
using qm::stamp::StampParams;

namespace {

const QString kTool = QStringLiteral(QM_BIN_DIR "/quillmark-democat");

int RunTool(const QStringList& arguments) {
  QProcess tool;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  tool.setProcessEnvironment(env);
  tool.start(kTool, arguments);
  if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit) return -1;
  return tool.exitCode();
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A PNG reader of our own: this test program links QtCore only, and a picture
// that only one decoder accepts is worth noticing anyway. Takes 8-bit RGB and
// RGBA, not interlaced (what the tool writes); checks every chunk's CRC.
struct Png {
  int width = 0, height = 0;
  QList<std::array<quint8, 4>> pixels;  // r, g, b, a
};

quint32 Crc32(const char* data, qsizetype size) {
  static const auto table = [] {
    std::array<quint32, 256> t{};
    for (quint32 n = 0; n < 256; ++n) {
      quint32 c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  quint32 c = 0xFFFFFFFFu;
  for (qsizetype i = 0; i < size; ++i) c = table[(c ^ quint8(data[i])) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

quint32 BigEndian(const QByteArray& b, qsizetype at) {
  return (quint32(quint8(b[at])) << 24) | (quint32(quint8(b[at + 1])) << 16) |
         (quint32(quint8(b[at + 2])) << 8) | quint32(quint8(b[at + 3]));
}

std::optional<Png> DecodePng(const QByteArray& file) {
  if (!file.startsWith("\x89PNG\r\n\x1a\n")) return std::nullopt;
  Png png;
  int channels = 0;
  QByteArray idat;
  bool ended = false;
  for (qsizetype at = 8; at + 12 <= file.size() && !ended;) {
    const quint32 length = BigEndian(file, at);
    if (length > quint32(file.size() - at - 12)) return std::nullopt;
    const QByteArray type = file.mid(at + 4, 4);
    const QByteArray data = file.mid(at + 8, length);
    if (Crc32(file.constData() + at + 4, length + 4) != BigEndian(file, at + 8 + length))
      return std::nullopt;
    if (type == "IHDR") {
      png.width = int(BigEndian(data, 0));
      png.height = int(BigEndian(data, 4));
      const int depth = quint8(data[8]), colourType = quint8(data[9]), interlace = quint8(data[12]);
      if (depth != 8 || interlace != 0 || (colourType != 2 && colourType != 6)) return std::nullopt;
      channels = colourType == 6 ? 4 : 3;
    } else if (type == "IDAT") {
      idat += data;
    } else if (type == "IEND") {
      ended = true;
    }
    at += 12 + length;
  }
  if (!ended || channels == 0 || png.width <= 0 || png.height <= 0) return std::nullopt;
  const qsizetype stride = qsizetype(png.width) * channels;
  const qsizetype expected = (stride + 1) * png.height;
  QByteArray sized(4, 0);  // qUncompress wants the size in front
  for (int i = 0; i < 4; ++i) sized[i] = char((expected >> (24 - 8 * i)) & 0xFF);
  const QByteArray raw = qUncompress(sized + idat);
  if (raw.size() != expected) return std::nullopt;

  QByteArray prev(stride, 0), row(stride, 0);
  for (int y = 0; y < png.height; ++y) {
    const char* in = raw.constData() + y * (stride + 1);
    const int filter = quint8(in[0]);
    for (qsizetype x = 0; x < stride; ++x) {
      const int a = x >= channels ? quint8(row[x - channels]) : 0;
      const int b = quint8(prev[x]);
      const int c = x >= channels ? quint8(prev[x - channels]) : 0;
      int predictor = 0;
      switch (filter) {
        case 0:
          break;
        case 1:
          predictor = a;
          break;
        case 2:
          predictor = b;
          break;
        case 3:
          predictor = (a + b) / 2;
          break;
        case 4: {
          const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
          predictor = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
          break;
        }
        default:
          return std::nullopt;
      }
      row[x] = char((quint8(in[1 + x]) + predictor) & 0xFF);
    }
    for (int x = 0; x < png.width; ++x) {
      const char* px = row.constData() + x * channels;
      png.pixels.append({quint8(px[0]), quint8(px[1]), quint8(px[2]),
                         channels == 4 ? quint8(px[3]) : quint8(255)});
    }
    prev = row;
  }
  return png;
}

class DemoCatalogueTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::make_unique<QTemporaryDir>();
    status_ = RunTool({dir_->path()});
  }
  static void TearDownTestSuite() { dir_.reset(); }

  void SetUp() override { ASSERT_EQ(status_, 0) << "could not run " << kTool.toStdString(); }

  static QString Ini() { return dir_->filePath(QStringLiteral("Quillmark.ini")); }
  static QString Root() { return dir_->filePath(QStringLiteral("Tavrel")); }
  static QString Read(const QString& section, const QString& key) {
    qm::settings::INI_Class ini;
    return ini.ReadINIKey(section, key, Ini(), QString());
  }
  static Catalogue Load() {
    return LoadCatalogue([](const QString& s, const QString& k) { return Read(s, k); });
  }

  static inline std::unique_ptr<QTemporaryDir> dir_;
  static inline int status_ = -1;
};

TEST_F(DemoCatalogueTest, EveryRecordLoads) {
  const Catalogue cat = Load();
  ASSERT_GE(cat.categories.size(), 3);
  ASSERT_LE(cat.categories.size(), 4);
  for (int n = 0; n < cat.categories.size(); ++n) {
    SCOPED_TRACE(cat.captions[n].toStdString());
    int keys = 0;
    while (!Read(CategorySection(n), TemplateKey(keys + 1)).isEmpty()) ++keys;
    // The loader leaves out records that do not convert: none may be missing.
    EXPECT_EQ(cat.categories[n].templates.size(), keys);
    EXPECT_GE(keys, 3);
    EXPECT_LE(keys, 9);
    EXPECT_TRUE(QDir(Root()).exists(cat.categories[n].path.chopped(1)));
  }
}

TEST_F(DemoCatalogueTest, FieldsStayWithinWhatTheEditorProduces) {
  const QSet<QString> fonts{"DejaVu Sans", "DejaVu Serif", "Liberation Sans", "Liberation Serif"};
  struct Range {
    const char* name;
    std::function<double(const StampParams&)> get;
    double lo, hi;
  };
  const QList<Range> ranges{
      {"FontStyle", [](auto& p) { return p.FontStyle; }, 0, 7},
      {"FontSize", [](auto& p) { return p.FontSize; }, 8, 999},
      {"TextColor", [](auto& p) { return p.TextColor; }, 0, 0xFFFFFF},
      {"TextX", [](auto& p) { return p.TextX; }, -200, 200},
      {"TextY", [](auto& p) { return p.TextY; }, -200, 200},
      {"ShadowColor", [](auto& p) { return p.ShadowColor; }, 0, 0xFFFFFF},
      {"ShadowX", [](auto& p) { return p.ShadowX; }, -10, 10},
      {"ShadowY", [](auto& p) { return p.ShadowY; }, -10, 10},
      {"ShadowAlpha", [](auto& p) { return p.ShadowAlpha; }, 47, 255},
      {"BorderColor", [](auto& p) { return p.BorderColor; }, 0, 0xFFFFFF},
      {"BorderWidth", [](auto& p) { return p.BorderWidth; }, 1, 15},
      {"TextOn", [](auto& p) { return p.TextOn; }, 0, 1},
      {"ShadowOn", [](auto& p) { return p.ShadowOn; }, 0, 1},
      {"BorderOn", [](auto& p) { return p.BorderOn; }, 0, 1},
      {"BorderUnder", [](auto& p) { return p.BorderUnder; }, 0, 1},
      {"PicHue", [](auto& p) { return p.PicHue; }, -180, 180},
      {"PicSaturation", [](auto& p) { return p.PicSaturation; }, 0, 200},
      {"PicValue", [](auto& p) { return p.PicValue; }, 0, 200},
      {"PicBrightness", [](auto& p) { return p.PicBrightness; }, -100, 100},
      {"PicAlpha", [](auto& p) { return p.PicAlpha; }, 0, 100},
  };
  int shadowAndBorder = 0, toned = 0;
  for (const Category& c : Load().categories) {
    for (const TemplateRecord& r : c.templates) {
      const StampParams& p = r.params;
      SCOPED_TRACE(p.Picture.toStdString());
      EXPECT_TRUE(fonts.contains(p.FontName)) << p.FontName.toStdString();
      for (const Range& range : ranges) {
        const double v = range.get(p);
        EXPECT_TRUE(v >= range.lo && v <= range.hi) << range.name << " = " << v;
      }
      if (p.ShadowOn && p.BorderOn) ++shadowAndBorder;
      if (p.PicHue != 0 || p.PicSaturation != 100 || p.PicValue != 100 || p.PicAlpha != 0) ++toned;
    }
  }
  // A demo that shows every template alike would hide what the gallery can do.
  EXPECT_GE(shadowAndBorder, 3);
  EXPECT_GE(toned, 3);
}

TEST_F(DemoCatalogueTest, PicturesDecodeExceptTheOneMissingOnPurpose) {
  int rowBreaks = 0;
  QStringList missing;
  for (const Category& c : Load().categories) {
    for (const TemplateRecord& r : c.templates) {
      SCOPED_TRACE(r.params.Picture.toStdString());
      if (r.RowBreak != 0) ++rowBreaks;
      const QString path = qm::platform::ResolveRelativePath(Root(), r.params.Picture);
      ASSERT_FALSE(path.isEmpty());
      if (!QFileInfo::exists(path)) {
        missing << r.params.Picture;
        continue;
      }
      const auto png = DecodePng(ReadAll(path));
      ASSERT_TRUE(png.has_value());
      EXPECT_GE(png->width, 60);
      EXPECT_LE(png->width, 140);
      EXPECT_GE(png->height, 40);
      EXPECT_LE(png->height, 80);
      // Partly transparent: the background must show through somewhere, and
      // the shape must be there.
      int clear = 0, drawn = 0;
      for (const auto& px : png->pixels) {
        if (px[3] < 255) ++clear;
        if (px[3] > 0) ++drawn;
      }
      EXPECT_GT(clear, 0);
      EXPECT_GT(drawn, 0);
    }
  }
  EXPECT_EQ(rowBreaks, 1);
  EXPECT_EQ(missing.size(), 1) << missing.join(u' ').toStdString();
}

TEST_F(DemoCatalogueTest, TextureIsAnOpaqueChecker) {
  const auto png = DecodePng(ReadAll(QDir(Root()).filePath(QStringLiteral("Chm1.png"))));
  ASSERT_TRUE(png.has_value());
  QSet<quint32> colours;
  for (const auto& px : png->pixels) {
    EXPECT_EQ(px[3], 255);
    colours.insert((quint32(px[0]) << 16) | (quint32(px[1]) << 8) | px[2]);
  }
  EXPECT_EQ(colours.size(), 2);
}

TEST_F(DemoCatalogueTest, SelectedIsACompleteLineOfAListedTemplate) {
  const QString selected = Read(QStringLiteral("General"), QStringLiteral("Selected"));
  ASSERT_TRUE(qm::stamp::IsValidLine(selected)) << selected.toStdString();
  const QString picture = qm::classic::Split(selected, u'|').at(0);
  bool listed = false;
  for (const Category& c : Load().categories)
    for (const TemplateRecord& r : c.templates) listed = listed || r.params.Picture == picture;
  EXPECT_TRUE(listed) << picture.toStdString();
  EXPECT_TRUE(QFileInfo::exists(qm::platform::ResolveRelativePath(Root(), picture)));
  // The palette keeps its built-in colours until the user saves a set.
  EXPECT_TRUE(Read(QStringLiteral("General"), QStringLiteral("Colors")).isEmpty());
}

TEST_F(DemoCatalogueTest, IniIsUtf8WithCrlfLineEnds) {
  const QByteArray bytes = ReadAll(Ini());
  ASSERT_FALSE(bytes.isEmpty());
  EXPECT_TRUE(bytes.endsWith("\r\n"));
  EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
  EXPECT_EQ(bytes.count('\r'), bytes.count("\r\n"));
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString text = utf8.decode(bytes);
  EXPECT_FALSE(utf8.hasError());
  EXPECT_TRUE(text.contains(QStringLiteral("Name=Облака\r\n")));
}

// Pictures are redrawn on every run; the INI file, which holds the user's
// saved look and overwritten templates, survives unless --force-ini.
TEST_F(DemoCatalogueTest, RerunRedrawsPicturesAndKeepsTheIni) {
  QTemporaryDir out;
  ASSERT_EQ(RunTool({out.path()}), 0);
  const QString ini = out.filePath(QStringLiteral("Quillmark.ini"));
  const QString cloud = out.filePath(QStringLiteral("Tavrel/Clouds/cloud1.png"));
  const QByteArray original = ReadAll(ini);
  qm::settings::INI_Class writer;
  ASSERT_TRUE(writer.WriteInIKey("General", "Colors", "&HFF|&HFF00", ini));
  const QByteArray edited = ReadAll(ini);
  ASSERT_TRUE(QFile::remove(cloud));

  ASSERT_EQ(RunTool({out.path()}), 0);
  EXPECT_EQ(ReadAll(ini), edited);
  EXPECT_EQ(ReadAll(cloud), ReadAll(QDir(Root()).filePath(QStringLiteral("Clouds/cloud1.png"))));

  ASSERT_EQ(RunTool({QStringLiteral("--force-ini"), out.path()}), 0);
  EXPECT_EQ(ReadAll(ini), original);
}

TEST_F(DemoCatalogueTest, OutputIsTheSameEveryRun) {
  QTemporaryDir out;
  ASSERT_EQ(RunTool({out.path()}), 0);
  QStringList files;
  QDirIterator it(dir_->path(), QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) files << QDir(dir_->path()).relativeFilePath(it.next());
  ASSERT_GE(files.size(), 10);
  for (const QString& f : files) {
    SCOPED_TRACE(f.toStdString());
    EXPECT_EQ(ReadAll(out.filePath(f)), ReadAll(dir_->filePath(f)));
  }
}

// A disk that fills up before the catalogue is drawn: the tool fails, and
// nothing of the attempt is left for the programs to take for a catalogue.
// Once there is room, it is drawn whole.
TEST(DemoCatalogueOnAFullDisk, FailsAndLeavesNothingBehind) {
  qm::test::SmallDisk disk(1024);
  QM_SKIP_WITHOUT(disk);
  const auto entries = [&] {
    QStringList names =
        QDir(disk.Path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    names.sort();
    return names;
  };
  for (const qint64 spare : {0, 16 << 10, 64 << 10}) {
    disk.Fill(spare);
    EXPECT_NE(RunTool({disk.Path()}), 0) << spare;
    EXPECT_EQ(entries(), QStringList{"filler"}) << spare;
    disk.Free();
  }
  ASSERT_EQ(RunTool({disk.Path()}), 0);
  EXPECT_GT(QFileInfo(disk.Path() + QStringLiteral("/Quillmark.ini")).size(), 0);
  EXPECT_TRUE(QFileInfo::exists(disk.Path() + QStringLiteral("/Tavrel/.complete")));
  EXPECT_EQ(entries(), QStringList({"Quillmark.ini", "Tavrel"}));
}

TEST_F(DemoCatalogueTest, RefusesArgumentsItDoesNotKnow) {
  EXPECT_EQ(RunTool({}), 2);
  EXPECT_EQ(RunTool({QStringLiteral("a"), QStringLiteral("b")}), 2);
  EXPECT_EQ(RunTool({QStringLiteral("--bogus"), dir_->path()}), 2);
}

}  // namespace
