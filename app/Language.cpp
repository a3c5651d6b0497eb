#include "app/Language.h"

#include "widgets/DecimalSeparator.h"
#include "widgets/MultiLangue.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace qv7 {

namespace {

Language current = Language::French;

// The installed translators: the window's English, or Qt's own French (its dialogs and standard
// buttons speak English without it). French texts are the sources, so French needs no window file.
std::unique_ptr<QTranslator>& installed() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

std::unique_ptr<QTranslator> translatorFor(Language language) {
    auto translator = std::make_unique<QTranslator>();
    const bool loaded =
        language == Language::English
            ? translator->load(QStringLiteral(":/i18n/qv7cfg_en.qm"))
            : translator->load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (!loaded) return nullptr;
    return translator;
}

} // namespace

Language languageOfDesktop(const QStringList& uiLanguages) {
    if (uiLanguages.isEmpty()) return Language::French;
    const QLocale::Language first = QLocale(uiLanguages.first()).language();
    return first == QLocale::French || first == QLocale::C ? Language::French : Language::English;
}

Language desktopLanguage() {
    return languageOfDesktop(QLocale::system().uiLanguages());
}

std::optional<Language> languageNamed(const QString& name) {
    if (name.compare(QLatin1String("fr"), Qt::CaseInsensitive) == 0) return Language::French;
    if (name.compare(QLatin1String("en"), Qt::CaseInsensitive) == 0) return Language::English;
    return std::nullopt;
}

void setLanguage(Language language) {
    std::unique_ptr<QTranslator>& translator = installed();
    if (translator) QCoreApplication::removeTranslator(translator.get());
    translator = translatorFor(language);
    if (translator) QCoreApplication::installTranslator(translator.get());
    current = language;
    // The bilingual controls show the text of the process-wide language.
    TMultiLangue::setProcessLanguage(language == Language::English ? TLangue::Anglais : TLangue::Francais);
    // Numbers are shown as the window's language writes them; a .LIN file keeps its own format.
    setDecimalSeparator(language == Language::English ? u'.' : u',');
}

Language currentLanguage() {
    return current;
}

} // namespace qv7
