// What the parameter pages share: the radio group and the masked edit of the original toolkit, the
// way a page reads a number back from what it shows, the range error that names its field, the
// display range check (MaskEditChange) and the pages' fonts. Window thread only.
#pragma once

#include "base/Errors.h"
#include "base/Numbers.h"
#include "proto/ParamTable.h"
#include "widgets/RunTimeErrors.h"

#include <QEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QButtonGroup;
class QRadioButton;

namespace qv7::pages {

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// Bold "Courier" 13 pixels high, the face of the pages' numeric edits (a monospaced face here).
QFont courierFont();

// Sizes `widget` to its text; when it would then run past `right` (in its parent's pixels), it
// takes the condensed cut of its face, as the main window's buttons do, so its text stays whole.
// A widget condensed for an earlier text takes its plain face back first.
void fitText(QWidget* widget, int right);

// Sets the control's texts again when the window's language changes (every page's changeEvent).
template <typename Page> void retranslateOn(QEvent* event, Page* page) {
    if (event->type() == QEvent::LanguageChange) page->retranslate();
}

// --- Numbers -----------------------------------------------------------------------------------

// The value of a text a page shows or the user typed: either ',' or '.' is a decimal point, so a
// page reads back what it shows whatever the process-wide separator has become since. A text that
// is not a number counts as 0.
// `morePoints` are further characters read as the decimal point (a masked edit's literal).
double pageNumber(const QString& text, const QString& morePoints = QString());

// A range error that knows the control whose value does not fit (the write step puts the focus
// there). It is an ERangeError, so it is reported with "Erreur de vérification d'étendue".
class FieldRangeError : public ERangeError, public WindowTextError {
public:
    // Why a field was refused: no number within the row's range, or more decimals than it keeps.
    enum class Reason { Range, Fraction };
    explicit FieldRangeError(QWidget* field) : field_(field) {}
    // With the message that names the field and what it accepts on an indicator of this type word,
    // and for a fraction the hint that helps (what() is the French message).
    FieldRangeError(QWidget* field, const ParamRow& row, std::uint32_t typeWord,
                    Reason reason = Reason::Range);
    QWidget* field() const { return field_; }
    QString windowText() const override;

private:
    QPointer<QWidget> field_;
    const ParamRow* row_ = nullptr;
    std::uint32_t typeWord_ = 0;
    Reason reason_ = Reason::Range;
};

// `value` rounded (halves to even) and stored into To; FieldRangeError(field) when it does not fit.
template <typename To> To fieldValue(QWidget* field, double value) {
    try {
        return checked<To>(roundHalfEven(value));
    } catch (const ERangeError&) {
        throw FieldRangeError(field);
    }
}

// --- The parameter table's rows on the pages ----------------------------------------------------

// Ties a control to the parameter table's row `key` (its "param" property); the row must exist.
// Returns the control.
template <typename W> W* bound(W* control, const std::string& key);
void bindParam(QWidget* control, const std::string& key);
const ParamRow& paramRow(const std::string& key);
// The row's label and its choices as the page shows them, in the window's language (the table
// holds both), all of them.
QString paramLabel(const std::string& key);
QStringList choiceTexts(const std::string& key);
// Whether an indicator of this type word has the row's parameter (and so its page or group).
bool hasParam(const std::string& key, std::uint32_t typeWord);

// The page item the record's value of row `key` stands for (a number: the raw value itself); when
// no item does, the raw value (a group asked for an item beyond its list selects its last one, a
// combo box none), -1 for a negative one.
int itemOf(const std::string& key, const TParamImage& params);
// Stores page item `item` of row `key` into the record (a choice's raw code, a number as it is); a
// choice's item below 0 (nothing selected) leaves the record as it is.
void storeItem(const std::string& key, TParamImage& params, std::int64_t item);

// The raw value of a numeric field for the row `key` on an indicator of this type word: the text as
// a number (either point; `morePoints` as for pageNumber), times ten per decimal of the row. An empty
// text, one that is not a number or a value beyond the row's page range raises a FieldRangeError
// naming the field by its label and saying what it accepts ("Seuil d'alarme 1 : nombre entier de
// −19999 à 19999"), in the window's language when shown. A value with more decimals than the row
// keeps is refused the same way, never rounded: it would write another value than the one shown.
std::int64_t fieldRaw(QWidget* field, const QString& text, const std::string& key, std::uint32_t typeWord,
                      const QString& morePoints = QString());
// That message, for the row on an indicator of this type word, in the window's language.
QString acceptsText(const ParamRow& row, std::uint32_t typeWord);
// What a numeric row takes on an indicator of this type word, in the window's language, with its
// unit: "de −19999 à 19999 points d'affichage".
QString rangeText(const ParamRow& row, std::uint32_t typeWord);
// The row's label in the window's language (the table's English starts with a capital here).
QString rowLabel(const ParamRow& row);
// A raw value as the window says it, in its language ("1,50 s", "Normalement fermé").
QString valueText(const ParamRow& row, std::int64_t raw);

template <typename W> W* bound(W* control, const std::string& key) {
    bindParam(control, key);
    return control;
}

// --- Radio group -------------------------------------------------------------------------------

// The original toolkit's radio group: a captioned box of radio buttons, one per item, spread down
// the box; ItemIndex is the checked item or -1 for none. clicked() is the user's click on an item
// (OnClick); setting ItemIndex in code raises nothing.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);
    // New texts for the caption and the items (as many as there are); the checked item stays.
    void setTexts(const QString& caption, const QStringList& items);

    int count() const { return static_cast<int>(buttons_.size()); }
    QRadioButton* button(int index) const { return buttons_.at(static_cast<std::size_t>(index)); }
    int ItemIndex() const;
    // Below -1 selects none; beyond the list selects the last item (as the original group does).
    void setItemIndex(int index);

signals:
    void clicked(TRadioGroup* sender);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void arrange();
    QButtonGroup* group_;
    std::vector<QRadioButton*> buttons_;
};

// Unchecks every radio button of `buttons` (auto-exclusive buttons refuse it one by one).
void uncheckAll(std::initializer_list<QRadioButton*> buttons);

// --- Masked edit -------------------------------------------------------------------------------

// The original toolkit's masked edit. Its mask language differs from Qt's ('0' is a required
// digit, '9' an optional one, '!' puts optional characters as leading blanks, ";1" keeps the
// literals in the text, ";_" is the character shown for a blank while typing); this edit
// translates the behaviour of the masks the pages use: digit fields separated by literals.
//  - What can be typed: digits into the digit fields, each field no longer than its places (a
//    full field is overwritten at the cursor, like the original's overwrite mode); the literal
//    (the decimal separator) typed as ',' or '.' whichever the separator is, which skips to the
//    next field; nothing else.
//  - What the text holds: the mask's form, literals included: " 1,50", "25,5", " 0,0". When the
//    edit is left (or Return is pressed) the typed digits are put in that form: with '!' the
//    first field is right-aligned with leading blanks, a required place left empty holds 0, and
//    a text without any digit is the empty form ("  ,  ").
//  - Without a mask the edit takes free text.
class TMaskEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TMaskEdit(QWidget* parent = nullptr);

    // An empty mask: free text.
    void setEditMask(const QString& mask);
    QString EditMask() const { return mask_; }
    bool isMasked() const { return !fields_.empty(); }

    // Puts `text` in the mask's form (or as it is, without a mask) and shows it.
    void setMaskedText(const QString& text);
    // The text in the mask's form, the current typing included (what a reader of Text gets).
    QString maskedText() const;
    // The mask's form of `text`.
    QString formatted(const QString& text) const;
    // The places of the mask (the most characters the text can hold), 0 without a mask.
    int maskLength() const;

    struct Field {
        int places = 0;   // digit places
        int required = 0; // of which required ('0')
    };
    const std::vector<Field>& fields() const { return fields_; }
    const QString& literals() const { return literals_; } // one literal between two fields
    bool rightAligned() const { return rightAligned_; }

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    class Validator;
    void commit();

    QString mask_;
    std::vector<Field> fields_;
    QString literals_;
    bool rightAligned_ = false;
    Validator* validator_ = nullptr;
};

// --- Display range check -----------------------------------------------------------------------

// MaskEditChange: keeps a numeric edit within the display range as the user types. Above 9999 the
// text becomes "9999" and below -1999 "-1999" on a 4-digit indicator; 19999 and -19999 otherwise.
void MaskEditChange(QLineEdit* edit, bool fourDigits);

using FourDigitsQuery = std::function<bool()>;
// Runs MaskEditChange on every change of the edit's text, the programmatic ones included.
void watchDisplayRange(QLineEdit* edit, FourDigitsQuery fourDigits);

// Integer text of a record value, as the fill step shows it.
inline QString integerText(long long value) {
    return QString::number(value);
}

} // namespace qv7::pages
