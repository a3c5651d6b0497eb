// TMultiLangue: one text in French and in English, and the process-wide language that picks
// which of the two a bilingual control shows. This edition always shows French.
// Window thread only: the process-wide language and refreshing flag are not locked.
#pragma once

#include <QString>

#include <functional>

enum class TLangue { Anglais = 0, Francais = 1 };

class TMultiLangue {
public:
    using TChangeLangueEvent = std::function<void(TMultiLangue* Sender)>;

    // Always answers Francais, whatever the process-wide language holds.
    TLangue Langue() const { return TLangue::Francais; }
    // Makes `langue` the process-wide language. Only when that changes it, this set (and no
    // other) raises OnChangeLangue with itself as Sender.
    void setLangue(TLangue langue);

    QString Texte_Francais() const { return francais_; }
    void setTexte_Francais(const QString& text) { francais_ = text; }
    QString Texte_Anglais() const { return anglais_; }
    void setTexte_Anglais(const QString& text) { anglais_ = text; }

    // The text of the language that Langue() answers.
    QString CurrentText() const;

    // Fills both texts and, as a window description does, assigns Francais to Langue, which
    // raises OnChangeLangue when it is the first set to do so in the process.
    void setTexts(const QString& francais, const QString& anglais);

    TChangeLangueEvent OnChangeLangue;

    // The process-wide language (initially Anglais) and refreshing flag (initially clear).
    static TLangue currentLanguage();
    static bool refreshing();
    static void setRefreshing(bool on);
    // Tests only: puts the process-wide state back to its start (Anglais, flag clear).
    static void resetProcessState();

private:
    QString francais_;
    QString anglais_;
};
