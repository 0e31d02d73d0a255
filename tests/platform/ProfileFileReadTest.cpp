#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/ProfileFile.h"

using namespace qm::platform;

namespace {

constexpr char kDef[] = "<def>";

struct ReadCase {
  const char* name;
  QByteArray file;
  const char* section;
  const char* key;
  QByteArray expected;  // kDef: the default comes back
};

class ProfileRead : public ::testing::TestWithParam<ReadCase> {};

// Every case runs through both readers: the snapshot must never disagree with
// the per-read function on the same bytes.
TEST_P(ProfileRead, PerReadAndSnapshotAgree) {
  QTemporaryDir dir;
  const QString path = dir.filePath("q.ini");
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(GetParam().file);
  f.close();
  const QString def = QString::fromUtf8(kDef);
  const QString expected = QString::fromUtf8(GetParam().expected);
  const QString section = QString::fromUtf8(GetParam().section);
  const QString key = QString::fromUtf8(GetParam().key);
  EXPECT_EQ(ReadProfileString(path, section, key, def), expected);
  EXPECT_EQ(ProfileSnapshot::Load(path).Read(section, key, def), expected);
}

const QByteArray kLong = "[S]\nk=" + QByteArray(300, 'x') + "|end\n";

INSTANTIATE_TEST_SUITE_P(
    Profile, ProfileRead,
    ::testing::Values(
        ReadCase{"NamesIgnoreCase", "[General]\nSelected=abc\n", "gENERAL", "SELECTED", "abc"},
        ReadCase{"CyrillicNamesIgnoreCase", "[Категория]\nИмя=Тест\n", "КАТЕГОРИЯ", "имя", "Тест"},
        ReadCase{"MissingKey", "[S]\nk=1\n", "S", "j", kDef},
        ReadCase{"MissingSection", "[S]\nk=1\n", "T", "k", kDef},
        ReadCase{"EmptyValueIsNotMissing", "[S]\nk=\n", "S", "k", ""},
        ReadCase{"BlanksAroundEverything", "  [ S ]  \n\t k \t=  v w \t\n", "S", "k", "v w"},
        ReadCase{"DoubleQuotesDropped", "[S]\nk= \"  a b \" \n", "S", "k", "  a b "},
        ReadCase{"SingleQuotesDropped", "[S]\nk='x'\n", "S", "k", "x"},
        ReadCase{"OnlyOnePairDropped", "[S]\nk=\"\"x\"\"\n", "S", "k", "\"x\""},
        ReadCase{"MismatchedQuotesKept", "[S]\nk=\"x'\n", "S", "k", "\"x'"},
        ReadCase{"LoneQuoteKept", "[S]\nk=\"\n", "S", "k", "\""},
        ReadCase{"ValueMayHoldEquals", "[S]\nk=a=b;c\n", "S", "k", "a=b;c"},
        ReadCase{"FirstKeyWins", "[S]\nk=1\nK=2\n", "S", "k", "1"},
        ReadCase{"FirstSectionWins", "[S]\nk=1\n[s]\nk=2\n", "S", "k", "1"},
        ReadCase{"RepeatedSectionNeverConsulted", "[S]\nk=1\n[s]\nj=2\n", "S", "j", kDef},
        ReadCase{"CommentsAndLinesWithoutEquals", "[S]\n;k=1\n k\nk=3\n", "S", "k", "3"},
        ReadCase{"KeysBeforeAnySection", "k=1\n[S]\n", "S", "k", kDef},
        ReadCase{"Crlf", "[S]\r\nk=v\r\n", "S", "k", "v"},
        ReadCase{"BomSkipped", "\xEF\xBB\xBF[S]\nk=v", "S", "k", "v"},
        ReadCase{"HeaderWithoutBracketStillOpensSection", "[S]\nk=1\n[T\nk=2\n", "T", "k", "2"},
        ReadCase{"TextAfterHeader", "[S] ; note\nk=1\n", "S", "k", "1"},
        ReadCase{"UndecodableBytesElsewhere", "[S]\nz=\xFF\xC0\nk=ok\n", "S", "k", "ok"},
        // Stand-ins of their own (U+F700 + byte), never U+FFFD, so that a write
        // gives the same bytes back.
        ReadCase{"UndecodableBytesRead", "[S]\nk=a\xFF\n", "S", "k", "a\xEF\x9F\xBF"},
        ReadCase{"LongValueReadWhole", kLong, "S", "k", QByteArray(300, 'x') + "|end"}),
    [](const auto& info) { return std::string(info.param.name); });

// A file of a thousand keys and more, with names that differ only in case and
// repeated sections and keys spread through it: the snapshot's index finds
// exactly what a reader going down the file finds, for every name.
TEST(ProfileRead, SnapshotAgreesOnEveryNameOfAFileOfManyKeys) {
  QTemporaryDir dir;
  const QString path = dir.filePath("q.ini");
  QByteArray text;
  for (int s = 0; s < 24; ++s) {
    text += (s % 7 == 3 ? "[dir" : "[Dir") + QByteArray::number(s % 20) + "]\r\n";
    for (int k = 0; k < 48; ++k)
      text += (k % 2 ? "pic" : "Pic") + QByteArray::number(k % 40) + "=v" + QByteArray::number(s) +
              '.' + QByteArray::number(k) + "\r\n";
    text += "Ключ" + QByteArray::number(s) + "=к\r\n";
  }
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text);
  f.close();
  const ProfileSnapshot snap = ProfileSnapshot::Load(path);
  for (int s = 0; s < 22; ++s) {
    for (const QString& key : {QStringLiteral("PIC%1"), QStringLiteral("ключ%1")}) {
      const QString section = QStringLiteral("DIR%1").arg(s);
      for (int k = 0; k < 42; ++k) {
        const QString name = key.arg(k);
        ASSERT_EQ(snap.Read(section, name, "-"), ReadProfileString(path, section, name, "-"))
            << section.toStdString() << " " << name.toStdString();
      }
    }
  }
}

TEST(ProfileRead, MissingFileGivesDefault) {
  QTemporaryDir dir;
  const QString path = dir.filePath("none.ini");
  EXPECT_EQ(ReadProfileString(path, u"S", u"k", "d"), "d");
  EXPECT_EQ(ProfileSnapshot::Load(path).Read(u"S", u"k", "d"), "d");
}

}  // namespace
