#pragma once
// The language of the user interface. The Russian texts are the sources in
// the code, so Russian needs nothing loaded; English comes from a
// translation compiled into the programs.

#include <QProcessEnvironment>
#include <QString>
#include <memory>
#include <optional>

class QTranslator;

namespace qm::platform {

enum class Language { Russian, English };

// The environment variable that overrides the desktop's language.
inline constexpr char kLanguageEnvironmentVariable[] = "QUILLMARK_LANG";

// "ru" or "en", in any case; anything else is no language of ours.
std::optional<Language> ParseLanguage(const QString& code);
QString LanguageCode(Language language);

// The language the user's desktop asks for, read as the C library reads the
// message language: LC_ALL, else LC_MESSAGES, else LANG; the C (POSIX)
// locale speaks the program's own language whatever LANGUAGE says; otherwise
// the first of LANGUAGE's list (or that locale) that is Russian or English
// wins. A desktop in any other language gets the program's own, Russian.
Language DesktopLanguage(const QProcessEnvironment& env);

struct LanguageChoice {
  Language language = Language::Russian;
  QString warning;  // QUILLMARK_LANG held something we do not speak
};

// QUILLMARK_LANG when it names a language of ours, else the desktop's.
LanguageChoice ChooseLanguage(const QProcessEnvironment& env);

// Puts the texts of `language` in force for the application for as long as
// it lives. Russian, the source language, needs none of ours; Qt's own texts
// (a text box's context menu, say) are Qt's Russian ones where the system
// has them (Debian's qt6-translations-l10n), and English otherwise.
class ScopedTranslation {
 public:
  explicit ScopedTranslation(Language language);
  ~ScopedTranslation();
  ScopedTranslation(const ScopedTranslation&) = delete;
  ScopedTranslation& operator=(const ScopedTranslation&) = delete;

  // False when the English translation could not be loaded: the programs
  // then speak Russian rather than refuse to start.
  bool ok() const { return ok_; }

 private:
  std::unique_ptr<QTranslator> translator_;
  std::unique_ptr<QTranslator> qtTranslator_;
  bool ok_ = true;
};

}  // namespace qm::platform
