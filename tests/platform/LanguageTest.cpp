// The interface language: what the desktop asks for, read as the C library
// reads it, and QUILLMARK_LANG over it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>

#include "platform/Language.h"

namespace qm::platform {
namespace {

QProcessEnvironment Env(std::initializer_list<std::pair<const char*, const char*>> vars) {
  QProcessEnvironment env;
  for (const auto& [name, value] : vars)
    env.insert(QString::fromLatin1(name), QString::fromLatin1(value));
  return env;
}

TEST(Language, FollowsTheDesktopsMessageLanguage) {
  constexpr auto ru = Language::Russian;
  constexpr auto en = Language::English;
  const struct Case {
    QProcessEnvironment env;
    Language want;
  } cases[] = {
      {Env({}), ru},
      {Env({{"LANG", "en_US.UTF-8"}}), en},
      {Env({{"LANG", "en"}}), en},
      {Env({{"LANG", "ru_RU.UTF-8"}}), ru},
      // The C locale speaks the program's own language; LANGUAGE does not
      // override it, as with the C library.
      {Env({{"LANG", "C.UTF-8"}, {"LANGUAGE", "en"}}), ru},
      {Env({{"LC_ALL", "POSIX"}, {"LANG", "en_US.UTF-8"}}), ru},
      // LC_ALL before LC_MESSAGES before LANG.
      {Env({{"LC_ALL", "en_GB.UTF-8"}, {"LC_MESSAGES", "ru_RU"}, {"LANG", "ru_RU"}}), en},
      {Env({{"LC_MESSAGES", "en_GB.UTF-8@euro"}, {"LANG", "ru_RU.UTF-8"}}), en},
      {Env({{"LC_ALL", ""}, {"LANG", "en_US.UTF-8"}}), en},
      // LANGUAGE lists preferences: the first one we speak wins.
      {Env({{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "de:en_GB:ru"}}), en},
      {Env({{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "ru:en"}}), ru},
      {Env({{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "::"}}), ru},
      // Neither: the program's own.
      {Env({{"LANG", "de_DE.UTF-8"}}), ru},
      {Env({{"LANG", "english"}}), ru},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DesktopLanguage(c.env), c.want) << c.env.toStringList().join(u' ').toStdString();
}

TEST(Language, TheEnvironmentVariableOverridesTheDesktop) {
  const struct Case {
    const char* forced;
    const char* lang;
    Language want;
    bool warns;
  } cases[] = {
      {"en", "ru_RU.UTF-8", Language::English, false},
      {"RU", "en_US.UTF-8", Language::Russian, false},
      {" en ", "C", Language::English, false},
      {"", "en_US.UTF-8", Language::English, false},
      {"fr", "en_US.UTF-8", Language::English, true},
      {"english", "C.UTF-8", Language::Russian, true},
  };
  for (const Case& c : cases) {
    const LanguageChoice got =
        ChooseLanguage(Env({{kLanguageEnvironmentVariable, c.forced}, {"LANG", c.lang}}));
    EXPECT_EQ(got.language, c.want) << c.forced << " / " << c.lang;
    EXPECT_EQ(!got.warning.isEmpty(), c.warns) << c.forced;
  }
}

// English comes from the translation built into the library; Russian is the
// source and installs nothing; leaving the scope restores the source texts.
TEST(Language, TheEnglishTranslationIsBuiltInAndScoped) {
  const auto probe = [] { return QCoreApplication::translate("qm::FrmProgress", "Загрузка..."); };
  const QString source = probe();
  {
    const ScopedTranslation russian(Language::Russian);
    EXPECT_TRUE(russian.ok());
    EXPECT_EQ(probe(), source);
  }
  {
    const ScopedTranslation english(Language::English);
    ASSERT_TRUE(english.ok());
    EXPECT_NE(probe(), source);
  }
  EXPECT_EQ(probe(), source);
}

// Qt's own texts (a text box's context menu) follow in Russian where the
// system has Qt's Russian; they are English already.
TEST(Language, RussianBringsQtsOwnRussianWhereTheSystemHasIt) {
  const QString file =
      QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ru.qm");
  if (!QFileInfo::exists(file))
    GTEST_SKIP() << file.toStdString() << " is missing (scripts/install-deps.sh installs it)";
  const auto copy = [] { return QCoreApplication::translate("QLineEdit", "&Copy"); };
  const QString english = copy();
  {
    const ScopedTranslation russian(Language::Russian);
    EXPECT_NE(copy(), english);
  }
  {
    const ScopedTranslation englishUi(Language::English);
    EXPECT_EQ(copy(), english);
  }
  EXPECT_EQ(copy(), english);
}

}  // namespace
}  // namespace qm::platform
