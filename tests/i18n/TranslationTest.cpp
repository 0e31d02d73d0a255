// Every text the programs show has its English translation, and the
// translation in the repository is the one the sources make: the texts are
// extracted from the sources into a copy of it, as `update-translations`
// does, and the copy must come out finished and unchanged.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "support/QtPrint.h"

namespace {

const QString kTs = QStringLiteral(QM_SOURCE_DIR "/translations/quillmark_en.ts");

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Untranslated {
  QString context;
  QString source;
};

// The messages whose translation is unfinished, empty, or (for a plural)
// lacks a form.
QList<Untranslated> UntranslatedIn(const QByteArray& ts) {
  QList<Untranslated> out;
  QXmlStreamReader xml(ts);
  QString context, source;
  bool inTranslation = false, unfinished = false, empty = true, emptyForm = false;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      if (xml.name() == u"name") {
        context = xml.readElementText();
      } else if (xml.name() == u"source") {
        source = xml.readElementText(QXmlStreamReader::IncludeChildElements);
      } else if (xml.name() == u"translation") {
        inTranslation = true;
        unfinished = xml.attributes().value(QStringLiteral("type")) == u"unfinished";
        empty = true;
        emptyForm = false;
      } else if (inTranslation && xml.name() == u"numerusform") {
        empty = false;
        emptyForm = emptyForm || xml.readElementText().isEmpty();
      }
    } else if (inTranslation && xml.isCharacters() && !xml.isWhitespace()) {
      empty = false;
    } else if (inTranslation && xml.isEndElement() && xml.name() == u"translation") {
      inTranslation = false;
      if (unfinished || empty || emptyForm) out.append({context, source});
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return out;
}

TEST(Translation, EveryShownTextHasItsEnglishAndTheFileIsUpToDate) {
  QTemporaryDir work;
  const QString copy = work.filePath(QStringLiteral("check.ts"));
  ASSERT_TRUE(QFile::copy(kTs, copy));
  QProcess lupdate;
  lupdate.setProcessChannelMode(QProcess::MergedChannels);
  lupdate.start(QStringLiteral(QM_LUPDATE),
                {QStringLiteral("-silent"), QStringLiteral("-locations"), QStringLiteral("none"),
                 QStringLiteral("-no-obsolete"), QStringLiteral("-source-language"),
                 QStringLiteral("ru"), QStringLiteral("-target-language"), QStringLiteral("en"),
                 QStringLiteral(QM_SOURCE_DIR "/src"), QStringLiteral(QM_SOURCE_DIR "/tools"),
                 QStringLiteral("-ts"), copy});
  ASSERT_TRUE(lupdate.waitForFinished(120000));
  ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAll().toStdString();

  const QByteArray extracted = Read(copy);
  for (const Untranslated& u : UntranslatedIn(extracted))
    ADD_FAILURE() << "no English for " << u.context.toStdString() << ": \""
                  << u.source.toStdString() << "\" (translate it in translations/quillmark_en.ts)";
  EXPECT_TRUE(extracted == Read(kTs))
      << "translations/quillmark_en.ts is out of date with the sources: run "
         "`cmake --build build --target update-translations`";
}

// The check itself finds what it is for: an unfinished text, an empty one and
// a plural with a missing form.
TEST(Translation, TheCheckSeesEachWayATextCanLackItsEnglish) {
  const QByteArray ts =
      "<TS version=\"2.1\" language=\"en\"><context><name>c</name>"
      "<message><source>a</source><translation type=\"unfinished\">x</translation></message>"
      "<message><source>b</source><translation></translation></message>"
      "<message numerus=\"yes\"><source>%n d</source><translation>"
      "<numerusform>one</numerusform><numerusform></numerusform></translation></message>"
      "<message><source>e</source><translation>fine</translation></message>"
      "</context></TS>";
  QStringList sources;
  for (const Untranslated& u : UntranslatedIn(ts)) sources << u.source;
  EXPECT_EQ(sources, (QStringList{"a", "b", "%n d"}));
}

}  // namespace
