#include <gtest/gtest.h>

#include "host/HostOptions.h"

namespace qm::host {
namespace {

ParsedHostOptions Parse(std::initializer_list<const char*> args) {
  QStringList a{QStringLiteral("quillmark-host")};
  for (const char* s : args) a << QString::fromUtf8(s);
  return ParseHostArguments(a);
}

TEST(HostOptions, TakesEachTextSourceWithItsOwnSettings) {
  const auto none = Parse({});
  ASSERT_TRUE(none.options);
  EXPECT_EQ(none.options->source, HostOptions::Source::Text);
  EXPECT_EQ(none.options->text, QStringLiteral("+38\u00B0"));
  EXPECT_FALSE(none.options->line);

  const auto clock = Parse({"--command", "date +%H:%M", "--every", "30", "--open-editor"});
  ASSERT_TRUE(clock.options) << clock.error.toStdString();
  EXPECT_EQ(clock.options->source, HostOptions::Source::Command);
  EXPECT_EQ(clock.options->command, QStringLiteral("date +%H:%M"));
  EXPECT_EQ(clock.options->everySeconds, 30);
  EXPECT_EQ(clock.options->timeoutSeconds, 10);
  EXPECT_TRUE(clock.options->openEditor);

  const auto file =
      Parse({"--file", "/tmp/t.txt", "--line", "", "--render", "o.png", "--scale", "1,5"});
  ASSERT_TRUE(file.options) << file.error.toStdString();
  EXPECT_EQ(file.options->source, HostOptions::Source::File);
  EXPECT_EQ(file.options->line, QString());
  EXPECT_EQ(file.options->renderTo, QStringLiteral("o.png"));
  EXPECT_DOUBLE_EQ(file.options->scale, 1.5);

  EXPECT_TRUE(Parse({"--help"}).help);

  // No --lang leaves the choice to the environment; a given one is kept for
  // the editor the stamp opens.
  EXPECT_FALSE(none.options->language);
  const auto english = Parse({"--lang", "EN"});
  ASSERT_TRUE(english.options) << english.error.toStdString();
  EXPECT_EQ(english.options->language, platform::Language::English);

  // A platform the user names is kept to win over the stamp's own choice.
  EXPECT_TRUE(none.options->platform.isEmpty());
  const auto x11 = Parse({"--platform", "xcb"});
  ASSERT_TRUE(x11.options) << x11.error.toStdString();
  EXPECT_EQ(x11.options->platform, QStringLiteral("xcb"));
}

struct Refused {
  std::initializer_list<const char*> args;
  const char* says;
};

TEST(HostOptions, RefusesWhatCannotBeMeantAndSaysWhy) {
  const Refused cases[] = {
      {{"--text", "a", "--command", "b"}, "choose one"},
      {{"--file", "f", "--command", "b"}, "choose one"},
      {{"--text", "a", "--text", "b"}, "more than once"},
      {{"--every", "5"}, "goes with --command"},
      {{"--command", "x", "--every", "0"}, "whole number of seconds"},
      {{"--command", "x", "--every", "1.5"}, "whole number of seconds"},
      {{"--command", "x", "--timeout", "abc"}, "whole number of seconds"},
      {{"--command", "  "}, "empty"},
      {{"--scale", "2"}, "goes with --render"},
      {{"--render", "o.png", "--scale", "9"}, "0.25 to 8"},
      {{"--render", "o.png", "--open-editor"}, "exclude each other"},
      {{"stray"}, "unexpected argument"},
      {{"--lang", "de"}, "ru or en"},
      {{"--lang", "en", "--lang", "ru"}, "more than once"},
      {{"--nope"}, "nope"},
      {{"--platform", " "}, "needs a name"},
      {{"--platform", "xcb", "--platform", "wayland"}, "more than once"},
      {{"--name", "a/b"}, "--name"},
      {{"--name", ".."}, "--name"},
      {{"--name", ""}, "--name"},
      {{"--layer", "top"}, "above or below"},
      {{"--autostart", "yes"}, "on or off"},
      {{"--render", "o.png", "--autostart", "on"}, "no window"},
  };
  for (const Refused& c : cases) {
    const auto r = Parse(c.args);
    EXPECT_FALSE(r.options) << c.says;
    EXPECT_TRUE(r.error.contains(QString::fromUtf8(c.says))) << r.error.toStdString();
  }
}

}  // namespace
}  // namespace qm::host
