// The window's language: French (the tool's first language, the source of every text) or English.
// Picked once from the desktop or --lang, and switched while the windows run; window thread only.
#pragma once

#include <QStringList>

#include <optional>

namespace qv7 {

enum class Language { French, English };

// French for a French desktop and for the C/POSIX locale, English for any other. `uiLanguages`
// is the desktop's list, most wanted first, as QLocale::uiLanguages() gives it.
Language languageOfDesktop(const QStringList& uiLanguages);
// The desktop's language of this process.
Language desktopLanguage();

// "fr" or "en" (any case); nothing for anything else.
std::optional<Language> languageNamed(const QString& name);

// Installs the translations of `language` (the window's own and Qt's own dialogs) in place of the
// current ones, and the decimal separator of the numbers shown ('.' in English, ',' in French). Every
// widget then gets a LanguageChange event and sets its texts again.
void setLanguage(Language language);
Language currentLanguage();

} // namespace qv7
