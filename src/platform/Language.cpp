#include "platform/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QStringList>
#include <QTranslator>
#include <clocale>
#include <cstring>

namespace qm::platform {
namespace {

// "en_GB.UTF-8@euro" -> "en".
QString LanguagePart(const QString& locale) {
  qsizetype end = 0;
  while (end < locale.size() && locale[end] != u'_' && locale[end] != u'-' && locale[end] != u'.' &&
         locale[end] != u'@')
    ++end;
  return locale.left(end).toLower();
}

bool IsCLocale(const QString& locale) {
  return locale == u"C" || locale == u"POSIX" || LanguagePart(locale) == u"c";
}

}  // namespace

std::optional<Language> ParseLanguage(const QString& code) {
  const QString c = code.trimmed().toLower();
  if (c == u"ru") return Language::Russian;
  if (c == u"en") return Language::English;
  return std::nullopt;
}

QString LanguageCode(Language language) {
  return language == Language::English ? QStringLiteral("en") : QStringLiteral("ru");
}

Language DesktopLanguage(const QProcessEnvironment& env) {
  QString messages;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    messages = env.value(QString::fromLatin1(name));
    if (!messages.isEmpty()) break;
  }
  if (messages.isEmpty() || IsCLocale(messages)) return Language::Russian;
  QStringList wanted = env.value(QStringLiteral("LANGUAGE")).split(u':', Qt::SkipEmptyParts);
  if (wanted.isEmpty()) wanted << messages;
  for (const QString& locale : wanted) {
    const QString lang = LanguagePart(locale);
    if (lang == u"ru") return Language::Russian;
    if (lang == u"en") return Language::English;
  }
  return Language::Russian;
}

LanguageChoice ChooseLanguage(const QProcessEnvironment& env) {
  LanguageChoice out;
  const QString name = QString::fromLatin1(kLanguageEnvironmentVariable);
  const QString forced = env.value(name);
  if (!forced.isEmpty()) {
    if (const auto l = ParseLanguage(forced)) {
      out.language = *l;
      return out;
    }
    out.warning = QStringLiteral("%1=%2 is neither ru nor en; following the desktop's language")
                      .arg(name, forced);
  }
  out.language = DesktopLanguage(env);
  return out;
}

namespace {

// Qt's Russian texts for its controls, but not the system error texts that
// Qt words for a failed file or process: those end up in what we print on
// stderr, which is English whatever the interface speaks.
class QtControlTexts : public QTranslator {
 public:
  QString translate(const char* context, const char* sourceText, const char* disambiguation,
                    int n) const override {
    static constexpr const char* kSystemErrors[] = {
        "QIODevice", "QFileDevice",    "QFile",    "QProcess",     "QSaveFile",   "QLockFile",
        "QDir",      "QTemporaryFile", "QLibrary", "QImageReader", "QImageWriter"};
    for (const char* c : kSystemErrors)
      if (context && std::strcmp(context, c) == 0) return {};
    return QTranslator::translate(context, sourceText, disambiguation, n);
  }
};

}  // namespace

ScopedTranslation::ScopedTranslation(Language language) {
  // The application took the desktop's locale, whose message language has
  // the C library word system errors in it (LANGUAGE can make even C.UTF-8
  // speak Russian). The interface speaks the language chosen here; the
  // C library's texts, which stderr reports, stay English.
  std::setlocale(LC_MESSAGES, "C");
  if (language == Language::Russian) {
    // Optional: without the file Qt's texts stay English, as before.
    qtTranslator_ = std::make_unique<QtControlTexts>();
    if (!qtTranslator_->load(QStringLiteral("qtbase_ru"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(qtTranslator_.get()))
      qtTranslator_.reset();
    return;
  }
  translator_ = std::make_unique<QTranslator>();
  ok_ = translator_->load(QStringLiteral(":/i18n/quillmark_en.qm")) &&
        QCoreApplication::installTranslator(translator_.get());
  if (!ok_) translator_.reset();
}

ScopedTranslation::~ScopedTranslation() {
  if (translator_) QCoreApplication::removeTranslator(translator_.get());
  if (qtTranslator_) QCoreApplication::removeTranslator(qtTranslator_.get());
}

}  // namespace qm::platform
