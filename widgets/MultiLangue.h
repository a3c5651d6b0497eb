// TMultiLangue: one text in French and in English, and the process-wide language that picks
// which of the two a bilingual control shows: the window's language, French until the window is
// told otherwise. Window thread only: the process-wide language and refreshing flag are not locked.
#pragma once

#include <QString>

#include <functional>

enum class TLangue { Anglais = 0, Francais = 1 };

class TMultiLangue {
public:
    using TChangeLangueEvent = std::function<void(TMultiLangue* Sender)>;

    TMultiLangue();
    ~TMultiLangue();
    TMultiLangue(const TMultiLangue&) = delete;
    TMultiLangue& operator=(const TMultiLangue&) = delete;

    // The process-wide language.
    TLangue Langue() const { return currentLanguage(); }
    // Makes `langue` the process-wide language. Only when that changes it, this set (and no
    // other) raises OnChangeLangue with itself as Sender.
    void setLangue(TLangue langue);

    QString Texte_Francais() const { return francais_; }
    void setTexte_Francais(const QString& text) { francais_ = text; }
    QString Texte_Anglais() const { return anglais_; }
    void setTexte_Anglais(const QString& text) { anglais_ = text; }

    // The text of the language that Langue() answers.
    QString CurrentText() const;

    // Fills both texts; a control shows them at its next ChangeLangue or repaint on request.
    void setTexts(const QString& francais, const QString& anglais);

    TChangeLangueEvent OnChangeLangue;

    // The window's language switch: makes `langue` the process-wide language and, when that
    // changes it, every set of the process raises OnChangeLangue. The refreshing flag is held
    // meanwhile: each control shows its own texts and none refreshes its siblings again.
    static void setProcessLanguage(TLangue langue);

    // The process-wide language (initially Francais) and refreshing flag (initially clear).
    static TLangue currentLanguage();
    static bool refreshing();
    static void setRefreshing(bool on);
    // Tests only: puts the process-wide state back to its start (Francais, flag clear).
    static void resetProcessState();

private:
    QString francais_;
    QString anglais_;
};
