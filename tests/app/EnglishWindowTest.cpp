// Under English every text the window shows is English: captions, tooltips,
// the help text and the window title. Only data keeps its own language: the
// category names and picture names from Quillmark.ini.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

#include "app/FrmOptions.h"
#include "app/FrmProgress.h"
#include "pages/ui/CategoryPage.h"
#include "pages/ui/TextPage.h"
#include "platform/Language.h"
#include "support/TempProgram.h"
#include "support/WindowParts.h"

using namespace qm;

namespace {

// Longer names first, so that a path goes before its parts.
const QStringList kData = {QStringLiteral("Ёлки\\ёж.png"), QStringLiteral("ёж.png"),
                           QStringLiteral("Ёлки"), QStringLiteral("Облака"),
                           QStringLiteral("Море")};

const QByteArray kIni =
    "[General]\r\n"
    "Selected=Ёлки\\ёж.png|DejaVu Sans|1|36|&HFF0000|5|-3|&H0|2|-2|128|&HFF|3|1|1|1|0|0|100|"
    "100|0|0\r\n"
    "[Dir0]\r\nName=Облака\r\nPath=Ёлки\r\nPic1=ёж.png|DejaVu Sans|1|22|&HFFFF00|0|0|&H0|2|-2|160|"
    "&HFF|2|1|1|1|0|0|100|100|0|0\r\n"
    "[Dir1]\r\nName=Море\r\nPath=Sea\r\nPic1=gone.png|DejaVu Sans|1|22|&HFFFF00|0|0|&H0|2|-2|160|"
    "&HFF|2|1|1|1|0|0|100|100|0|0\r\n";

struct Shown {
  QString where;
  QString text;
};

// Every text each widget of the window shows as a caption, tooltip, title or
// help. Only the window's own: widgets other tests of this program left alive
// keep the language they were made in.
QList<Shown> ShownTexts(const QWidget& window) {
  QList<Shown> out;
  for (QWidget* w : QApplication::allWidgets()) {
    if (w != &window && !window.isAncestorOf(w)) continue;
    const QString where = w->objectName().isEmpty()
                              ? QString::fromLatin1(w->metaObject()->className())
                              : w->objectName();
    QStringList texts{w->toolTip(), w->windowTitle()};
    if (auto* l = qobject_cast<QLabel*>(w)) texts << l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) texts << b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) texts << g->title();
    if (auto* e = qobject_cast<QPlainTextEdit*>(w)) texts << e->toPlainText();
    if (auto* link = qobject_cast<DefSizeLink*>(w)) texts << link->Caption();
    for (const QString& t : texts)
      if (!t.isEmpty()) out.append({where, t});
  }
  return out;
}

bool Russian(QString text) {
  for (const QString& d : kData) text.remove(d);
  static const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
  return text.contains(cyrillic);
}

// The texts of the real window, on every page and with every category
// chosen, in the given language.
QList<Shown> WindowTexts(platform::Language language) {
  const platform::ScopedTranslation translation(language);
  EXPECT_TRUE(translation.ok());
  test::TempProgram program;
  program.WriteIni(kIni);
  QImage picture(40, 30, QImage::Format_ARGB32);
  picture.fill(Qt::red);
  QDir().mkpath(program.TemplateRoot() + QStringLiteral("Ёлки"));
  picture.save(program.TemplateRoot() + QStringLiteral("Ёлки/ёж.png"));
  FrmProgress progress;  // built apart: the window's own one is gone after start-up
  FrmOptions w(program.Environment());
  EXPECT_TRUE(w.Form_Load());
  w.show();
  QList<Shown> texts;
  for (int category = 0; category < 2; ++category) {
    test::CategoryPageOf(w)->lstDir->SetListIndex(category);
    for (int page = 0; page < 5; ++page) {
      w.MenuSet(static_cast<std::int16_t>(page));
      texts += ShownTexts(w);
    }
  }
  return texts;
}

TEST(EnglishWindow, NoRussianTextBesideTheData) {
  // The walk sees the Russian texts where they are shown.
  int russian = 0;
  for (const Shown& s : WindowTexts(platform::Language::Russian)) russian += Russian(s.text);
  EXPECT_GT(russian, 100);

  const QList<Shown> english = WindowTexts(platform::Language::English);
  QSet<QString> told;  // each leftover once, not once per page
  for (const Shown& s : english) {
    const QString leftover = s.where + QStringLiteral(": ") + s.text;
    if (Russian(s.text) && !told.contains(leftover)) {
      told.insert(leftover);
      ADD_FAILURE() << "Russian in English: " << leftover.toStdString();
    }
  }
  // The data itself stays as it is: the category's name in the title.
  EXPECT_TRUE(std::any_of(english.begin(), english.end(), [](const Shown& s) {
    return s.text.contains(QStringLiteral("Облака"));
  }));
}

}  // namespace
