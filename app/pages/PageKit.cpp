#include "app/pages/PageKit.h"

#include "app/Language.h"
#include "widgets/DecimalSeparator.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QRadioButton>
#include <QValidator>

#include <cmath>
#include <stdexcept>

namespace qv7::pages {

QFont courierFont() {
    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(13);
    font.setBold(true);
    return font;
}

void fitText(QWidget* widget, int right) {
    if (widget->font().stretch() == QFont::Condensed) {
        QFont font = widget->font();
        font.setStretch(QFont::Unstretched);
        widget->setFont(font);
    }
    widget->adjustSize();
    if (widget->x() + widget->width() <= right) return;
    QFont font = widget->font();
    font.setStretch(QFont::Condensed);
    widget->setFont(font);
    widget->adjustSize();
}

double pageNumber(const QString& text, const QString& morePoints) {
    // Both points are read as the decimal point: the page may have been filled under another
    // process-wide separator than the one in force now.
    QString canonical = text;
    canonical.replace(u',', u'.');
    canonical.replace(decimalSeparator(), u'.');
    for (const QChar point : morePoints)
        canonical.replace(point, u'.');
    return numberOrZero(canonical.toStdString(), '.');
}

// ---------------------------------------------------------------------------------------------
// Radio group

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this)) {
    group_->setExclusive(true);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items.at(i), this);
        group_->addButton(button, i);
        buttons_.push_back(button);
    }
    connect(group_, &QButtonGroup::idClicked, this, [this](int) { emit clicked(this); });
    arrange();
}

void TRadioGroup::setTexts(const QString& caption, const QStringList& items) {
    setTitle(caption);
    for (int i = 0; i < count() && i < items.size(); ++i)
        buttons_.at(static_cast<std::size_t>(i))->setText(items.at(i));
    arrange();
}

int TRadioGroup::ItemIndex() const {
    return group_->checkedId();
}

void TRadioGroup::setItemIndex(int index) {
    if (buttons_.empty()) return;
    if (index >= count()) index = count() - 1;
    if (index < 0) {
        group_->setExclusive(false);
        for (QRadioButton* button : buttons_)
            button->setChecked(false);
        group_->setExclusive(true);
        return;
    }
    buttons_.at(static_cast<std::size_t>(index))->setChecked(true);
}

void TRadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    arrange();
}

void TRadioGroup::arrange() {
    if (buttons_.empty()) return;
    // As the original group: the items share the height below the caption evenly.
    const int top = fontMetrics().height() + 2;
    const int rows = count();
    const int rowHeight = std::max(1, (height() - top - 4) / rows);
    for (int i = 0; i < rows; ++i) {
        QRadioButton* button = buttons_.at(static_cast<std::size_t>(i));
        const int h = std::min(rowHeight, button->sizeHint().height());
        // Up to 4 pixels from the right frame: the longest item keeps its last letter.
        button->setGeometry(8, top + i * rowHeight + (rowHeight - h) / 2, width() - 12, h);
    }
}

void uncheckAll(std::initializer_list<QRadioButton*> buttons) {
    for (QRadioButton* button : buttons) {
        const bool exclusive = button->autoExclusive();
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(exclusive);
    }
}

// ---------------------------------------------------------------------------------------------
// Masked edit

namespace {
const QChar Sep(char16_t(1)); // a literal while the text is taken apart

bool isPoint(QChar c) {
    return c == u',' || c == u'.';
}
} // namespace

// Takes each edit of the user apart into digits and literals and keeps it within the fields.
class TMaskEdit::Validator : public QValidator {
public:
    explicit Validator(TMaskEdit* edit) : QValidator(edit), edit_(edit) {}

    State validate(QString& input, int& pos) const override {
        if (!edit_->isMasked()) return Acceptable;
        // A text already in the mask's form (what the page or a finished edit put there) stays.
        if (input == edit_->formatted(input)) return Acceptable;
        QString s;
        int p = pos;
        for (int i = 0; i < input.size(); ++i) {
            const QChar c = input.at(i);
            if (c == u' ' || c == u'_') {
                if (i < pos) --p;
                continue;
            }
            if (c.isDigit() && c.unicode() < 128)
                s += c;
            else if (isPoint(c) || edit_->literals().contains(c))
                s += Sep;
            else
                return Invalid;
        }
        const int literalCount = static_cast<int>(edit_->literals().size());
        // A literal typed just before the one that is already there skips over it.
        while (s.count(Sep) > literalCount) {
            if (p >= 1 && p < s.size() && s.at(p - 1) == Sep && s.at(p) == Sep)
                s.remove(p - 1, 1);
            else
                return Invalid;
        }
        if (!fitFields(s, p)) return Invalid;
        int literal = 0;
        for (QChar& c : s)
            if (c == Sep) c = edit_->literals().at(literal++);
        input = s;
        pos = p;
        return Acceptable;
    }

private:
    // A field with more digits than places is overwritten at the cursor; a digit typed at the end
    // of a full field goes on into the next one. Anything else that overflows is refused.
    bool fitFields(QString& s, int& p) const {
        const auto& fields = edit_->fields();
        for (int guard = 0; guard < 64; ++guard) {
            const QStringList pieces = s.split(Sep);
            int start = 0;
            int overflowing = -1;
            for (int k = 0; k < pieces.size(); ++k) {
                if (k >= static_cast<int>(fields.size())) return false;
                if (pieces.at(k).size() > fields.at(static_cast<std::size_t>(k)).places) {
                    overflowing = k;
                    break;
                }
                start += static_cast<int>(pieces.at(k).size()) + 1;
            }
            if (overflowing < 0) return true;
            const int end = start + static_cast<int>(pieces.at(overflowing).size());
            if (p > start && p < end) {
                s.remove(p, 1); // overwrite the digit after the cursor
            } else if (p == end && p > start && overflowing + 1 < static_cast<int>(fields.size())) {
                const QChar digit = s.at(p - 1);
                if (overflowing + 1 < pieces.size()) {
                    s.remove(p - 1, 1); // the literal now sits at p - 1
                    s.insert(p, digit);
                    p += 1;
                } else {
                    s.insert(p - 1, Sep);
                    p += 1;
                }
            } else {
                return false;
            }
        }
        return false;
    }

    TMaskEdit* edit_;
};

TMaskEdit::TMaskEdit(QWidget* parent) : QLineEdit(parent) {}

void TMaskEdit::setEditMask(const QString& mask) {
    mask_ = mask;
    fields_.clear();
    literals_.clear();
    rightAligned_ = false;
    const QString chars = mask.section(u';', 0, 0);
    Field current;
    bool inField = false;
    for (int i = 0; i < chars.size(); ++i) {
        const QChar c = chars.at(i);
        if (c == u'!') {
            rightAligned_ = true;
        } else if (c == u'>' || c == u'<') {
            continue;
        } else if (c == u'0' || c == u'9' || c == u'#') {
            ++current.places;
            if (c == u'0') ++current.required;
            inField = true;
        } else {
            const QChar literal = (c == u'\\' && i + 1 < chars.size()) ? chars.at(++i) : c;
            if (inField) fields_.push_back(current);
            current = Field{};
            inField = false;
            literals_ += literal;
        }
    }
    if (inField) fields_.push_back(current);
    // Literals before the first field or after the last have no field to separate: not used here.
    while (literals_.size() >= static_cast<qsizetype>(fields_.size()) && !literals_.isEmpty())
        literals_.chop(1);
    if (fields_.empty()) {
        literals_.clear();
        if (validator_) {
            setValidator(nullptr);
            delete validator_;
            validator_ = nullptr;
        }
        return;
    }
    if (!validator_) {
        validator_ = new Validator(this);
        setValidator(validator_);
    }
}

int TMaskEdit::maskLength() const {
    int length = static_cast<int>(literals_.size());
    for (const Field& field : fields_)
        length += field.places;
    return length;
}

QString TMaskEdit::formatted(const QString& text) const {
    if (!isMasked()) return text;
    // The digits of each field, in order; anything but digits and literals is dropped.
    std::vector<QString> digits(fields_.size());
    std::size_t field = 0;
    bool any = false;
    for (const QChar c : text) {
        if (c.isDigit() && c.unicode() < 128) {
            if (field < digits.size()) digits[field] += c;
            any = true;
        } else if (isPoint(c) || literals_.contains(c)) {
            ++field;
        }
    }
    QString result;
    for (std::size_t k = 0; k < fields_.size(); ++k) {
        const Field& f = fields_[k];
        QString d = digits[k];
        const bool integerPart = k == 0;
        if (d.size() > f.places) d = integerPart ? d.right(f.places) : d.left(f.places);
        if (any) {
            // A required place left empty holds 0: on the left of a whole part, on the right of
            // a fraction.
            while (d.size() < f.required)
                d = integerPart ? QStringLiteral("0") + d : d + QStringLiteral("0");
        }
        const QString blanks(f.places - d.size(), u' ');
        result += (integerPart && rightAligned_) ? blanks + d : d + blanks;
        if (k < static_cast<std::size_t>(literals_.size())) result += literals_.at(static_cast<qsizetype>(k));
    }
    return result;
}

void TMaskEdit::setMaskedText(const QString& text) {
    setText(formatted(text));
}

QString TMaskEdit::maskedText() const {
    return formatted(text());
}

void TMaskEdit::commit() {
    if (!isMasked()) return;
    const QString form = formatted(text());
    if (form != text()) setText(form);
}

void TMaskEdit::focusOutEvent(QFocusEvent* event) {
    commit();
    QLineEdit::focusOutEvent(event);
}

void TMaskEdit::keyPressEvent(QKeyEvent* event) {
    if (isMasked()) {
        const int cursor = cursorPosition();
        const QString current = text();
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            commit();
        } else if (!hasSelectedText() && event->key() == Qt::Key_Backspace && cursor > 0 &&
                   literals_.contains(current.at(cursor - 1))) {
            // A literal is not erased: the cursor steps over it, as in the original edit.
            cursorBackward(false);
            event->accept();
            return;
        } else if (!hasSelectedText() && event->key() == Qt::Key_Delete && cursor < current.size() &&
                   literals_.contains(current.at(cursor))) {
            cursorForward(false);
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------------------
// Display range

void MaskEditChange(QLineEdit* edit, bool fourDigits) {
    const double value = pageNumber(edit->text());
    const ParamLimits range = displayRangeOfDigits(fourDigits);
    // The new text runs the check again, which then passes.
    if (value > static_cast<double>(range.highest))
        edit->setText(QString::number(range.highest));
    else if (value < static_cast<double>(range.lowest))
        edit->setText(QString::number(range.lowest));
}

void watchDisplayRange(QLineEdit* edit, FourDigitsQuery fourDigits) {
    QObject::connect(edit, &QLineEdit::textChanged, edit,
                     [edit, query = std::move(fourDigits)] { MaskEditChange(edit, query()); });
}

} // namespace qv7::pages
