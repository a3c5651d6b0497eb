#include "app/ParamBinder.h"

#include "app/pages/PageKit.h"
#include "app/pages/PageSeparator.h"
#include "widgets/DecimalSeparator.h"
#include "widgets/SEGMENTS.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QRadioButton>

#include <algorithm>

using namespace qv7;
using namespace qv7::pages;

namespace {

// The number a row's raw value stands for, with the row's decimals and the window's separator.
QString numberText(std::int64_t raw, int decimals) {
    double value = static_cast<double>(raw);
    for (int i = 0; i < decimals; ++i)
        value /= 10.0;
    QString text = QString::number(value, 'f', decimals);
    text.replace(u'.', decimalSeparator());
    return text;
}

// Where the row travels: "registre 6, bits 4 à 5".
QString registerText(const ParamRow& row) {
    const RecordMember& slot = row.member;
    if (slot.address < 0) return QString();
    if (row.width == 0) return QCoreApplication::translate("TParamBinder", "registre %1").arg(slot.address);
    const int first = slot.registerBit + row.shift;
    if (row.width == 1)
        return QCoreApplication::translate("TParamBinder", "registre %1, bit %2")
            .arg(slot.address)
            .arg(first);
    return QCoreApplication::translate("TParamBinder", "registre %1, bits %2 à %3")
        .arg(slot.address)
        .arg(first)
        .arg(first + row.width - 1);
    return QString();
}

void checkOnly(const std::vector<QPointer<QWidget>>& buttons, std::int64_t item) {
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        auto* button = qobject_cast<QRadioButton*>(buttons[i].data());
        if (button == nullptr) continue;
        // Auto-exclusive buttons refuse to be unchecked one by one.
        const bool exclusive = button->autoExclusive();
        button->setAutoExclusive(false);
        button->setChecked(static_cast<std::int64_t>(i) == item);
        button->setAutoExclusive(exclusive);
    }
}

} // namespace

TParamBinder::TParamBinder(QObject* parent) : QObject(parent) {}

void TParamBinder::bindAll(QWidget* root) {
    for (QWidget* control : root->findChildren<QWidget*>()) {
        const QString key = control->property("param").toString();
        if (key.isEmpty()) continue;
        add(control, paramRow(key.toStdString()));
    }
}

void TParamBinder::add(QWidget* control, const ParamRow& row) {
    Kind kind = Kind::Edit;
    if (qobject_cast<TRadioGroup*>(control))
        kind = Kind::Group;
    else if (qobject_cast<QComboBox*>(control))
        kind = Kind::Combo;
    else if (qobject_cast<QCheckBox*>(control))
        kind = Kind::Check;
    else if (qobject_cast<QRadioButton*>(control))
        kind = Kind::Buttons;
    else if (qobject_cast<TSEG*>(control))
        kind = row.kind == ParamKind::Number ? Kind::Point : Kind::Digit;
    if (kind == Kind::Buttons) {
        for (Binding& binding : bindings_) {
            if (binding.row == &row && binding.kind == Kind::Buttons &&
                binding.widgets.front()->parentWidget() == control->parentWidget()) {
                binding.widgets.emplace_back(control);
                watch(control);
                return;
            }
        }
    }
    Binding binding;
    binding.row = &row;
    binding.kind = kind;
    binding.widgets.emplace_back(control);
    bindings_.push_back(binding);
    watch(control);
    control->setToolTip(tooltipOf(row, 0));
}

void TParamBinder::watch(QWidget* control) {
    // Reported as the binding's first control, so the radio buttons of a row are one source.
    const auto report = [this, control] {
        for (const Binding& binding : bindings_)
            for (const auto& widget : binding.widgets)
                if (widget == control) return controlEdited(binding.widgets.front());
    };
    if (auto* group = qobject_cast<TRadioGroup*>(control)) {
        for (QRadioButton* button : group->findChildren<QRadioButton*>())
            connect(button, &QRadioButton::toggled, this, report);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        connect(combo, &QComboBox::currentIndexChanged, this, report);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        connect(button, &QAbstractButton::toggled, this, report);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        connect(edit, &QLineEdit::textChanged, this, report);
    }
}

void TParamBinder::controlEdited(QWidget* control) {
    if (!filling_) emit edited(control);
}

// ---------------------------------------------------------------------------------------------
// Fill

void TParamBinder::fill(const TParamImage& image) {
    filling_ = true;
    for (Binding& binding : bindings_)
        fillOne(binding, image);
    filling_ = false;
}

void TParamBinder::showSeparator(QChar separator) {
    filling_ = true;
    for (Binding& binding : bindings_) {
        auto* masked = qobject_cast<TMaskEdit*>(binding.widgets.front());
        if (binding.kind != Kind::Edit || masked == nullptr) continue;
        const bool untouched = masked->text() == binding.filledText;
        if (pages::showSeparator(masked, separator) && untouched) binding.filledText = masked->text();
    }
    filling_ = false;
}

void TParamBinder::fillOne(Binding& binding, const TParamImage& image) {
    const ParamRow& row = *binding.row;
    QWidget* control = binding.widgets.front();
    const std::int64_t raw = rawValue(row, image);
    // The page item; a number is its own item, a raw value no item stands for is kept as the item
    // (a group then selects its last item, a combo box none).
    const int item = pages::itemOf(row.key, image);
    switch (binding.kind) {
    case Kind::Edit: {
        auto* masked = qobject_cast<TMaskEdit*>(control);
        std::int64_t shown = raw;
        binding.unshown.reset();
        if (masked != nullptr && masked->isMasked()) {
            QString mask = masked->EditMask();
            mask.replace(u',', decimalSeparator()).replace(u'.', decimalSeparator());
            masked->setEditMask(mask);
            const ParamLimits limits = pageLimits(row, image.DeviceType);
            shown = std::clamp(raw, limits.lowest, limits.highest);
            if (shown != raw) binding.unshown = raw;
            masked->setMaskedText(numberText(shown, row.decimals));
            binding.filledText = masked->text();
        } else {
            static_cast<QLineEdit*>(control)->setText(numberText(raw, row.decimals));
            binding.filledText = static_cast<QLineEdit*>(control)->text();
        }
        break;
    }
    case Kind::Group:
        static_cast<TRadioGroup*>(control)->setItemIndex(item);
        break;
    case Kind::Combo:
        static_cast<QComboBox*>(control)->setCurrentIndex(item);
        break;
    case Kind::Check:
        static_cast<QCheckBox*>(control)->setChecked(item == 1);
        break;
    case Kind::Buttons:
        checkOnly(binding.widgets, item);
        break;
    case Kind::Point:
        static_cast<TSEG*>(control)->setPointDecimal(item);
        break;
    case Kind::Digit:
        static_cast<TSEG*>(control)->setNb(
            QString::fromStdString(row.choices.at(static_cast<std::size_t>(std::max(item, 0))).french)
                .toInt());
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Store

bool TParamBinder::active(const Binding& binding) const {
    return !binding.widgets.front()->isHidden();
}

std::optional<std::int64_t> TParamBinder::itemOf(const Binding& binding) const {
    QWidget* control = binding.widgets.front();
    std::int64_t item = -1;
    switch (binding.kind) {
    case Kind::Edit:
        return std::nullopt;
    case Kind::Group:
        item = static_cast<TRadioGroup*>(control)->ItemIndex();
        break;
    case Kind::Combo:
        item = static_cast<QComboBox*>(control)->currentIndex();
        break;
    case Kind::Check:
        item = static_cast<QCheckBox*>(control)->isChecked() ? 1 : 0;
        break;
    case Kind::Buttons:
        for (std::size_t i = 0; i < binding.widgets.size(); ++i)
            if (static_cast<QAbstractButton*>(binding.widgets[i].data())->isChecked())
                item = static_cast<std::int64_t>(i);
        break;
    case Kind::Point:
        item = static_cast<TSEG*>(control)->PointDecimal() & 7;
        break;
    case Kind::Digit: {
        const QString digit = QString::number(static_cast<TSEG*>(control)->Nb());
        for (std::size_t i = 0; i < binding.row->choices.size(); ++i)
            if (QString::fromStdString(binding.row->choices[i].french) == digit)
                item = static_cast<std::int64_t>(i);
        break;
    }
    }
    if (item < 0) return std::nullopt; // nothing chosen: the value stays as read
    return item;
}

void TParamBinder::storeOne(const Binding& binding, TParamImage& image) const {
    const ParamRow& row = *binding.row;
    if (!active(binding) || !paramPresent(row, image.DeviceType)) return;
    std::int64_t raw = 0;
    if (binding.kind == Kind::Edit) {
        auto* edit = static_cast<QLineEdit*>(binding.widgets.front().data());
        auto* masked = qobject_cast<TMaskEdit*>(edit);
        // The text as shown: a masked edit's form would drop a decimal it cannot hold.
        const QString text = edit->text();
        if (binding.unshown && text == binding.filledText) return;
        raw = fieldRaw(edit, text, row.key, image.DeviceType,
                       masked != nullptr ? masked->literals() : QString());
    } else {
        const std::optional<std::int64_t> item = itemOf(binding);
        if (!item) return;
        // A switch on a whole member is on for any non-zero value: one that stays on keeps its value.
        const std::int64_t now = rawValue(row, image);
        if (row.kind == ParamKind::Switch && row.width == 0 && itemOfRaw(row, now) == item) return;
        raw = rawOfItem(row, *item);
    }
    // The controls hold nothing beyond the row's range, so a refusal here is a fault of the page.
    if (!storeRaw(row, image, raw)) throw ERangeError();
}

void TParamBinder::store(TParamImage& image) const {
    for (const Binding& binding : bindings_)
        storeOne(binding, image);
}

void TParamBinder::storeWhatFits(TParamImage& image) const {
    for (const Binding& binding : bindings_) {
        try {
            storeOne(binding, image);
        } catch (const ERangeError&) {
            // Still being typed: the last value that fitted stands.
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Marks and tooltips

QString TParamBinder::tooltipOf(const ParamRow& row, std::uint32_t typeWord) {
    QStringList lines{rowLabel(row)};
    if (row.kind == ParamKind::Number) {
        lines << rangeText(row, typeWord);
    } else {
        QStringList items = choiceTexts(row.key);
        items = items.mid(0, static_cast<qsizetype>(pageLimits(row, typeWord).highest + 1));
        lines << QCoreApplication::translate("TParamBinder", "choix : %1")
                     .arg(items.join(QStringLiteral(", ")));
    }
    lines << registerText(row);
    return lines.join(u'\n');
}

void TParamBinder::showChanges(const TParamImage& reference, const TParamImage& edited) {
    for (Binding& binding : bindings_) {
        const ParamRow& row = *binding.row;
        const std::int64_t was = rawValue(row, reference);
        const bool marked =
            active(binding) && paramPresent(row, edited.DeviceType) && was != rawValue(row, edited);
        QString tooltip = tooltipOf(row, edited.DeviceType);
        if (marked)
            tooltip += u'\n' + QCoreApplication::translate("TParamBinder", "* modifié ; l'indicateur : %1")
                                   .arg(valueText(row, was));
        setMark(binding, marked, tooltip);
    }
}

void TParamBinder::setMark(Binding& binding, bool marked, const QString& tooltip) {
    QWidget* control = binding.widgets.front();
    for (const auto& widget : binding.widgets) {
        widget->setToolTip(tooltip);
        widget->setProperty("changed", marked);
    }
    if (!marked && binding.mark.isNull()) return;
    if (binding.mark.isNull()) {
        QFont font = control->font();
        font.setBold(true);
        font.setPixelSize(15);
        const int width = QFontMetrics(font).horizontalAdvance(u'*') + 2;
        // Beside the control where its parent leaves room, else in its own top right corner; the radio
        // buttons of a row and a group carry it on their frame's title line.
        QWidget* parent = control->parentWidget();
        const bool beside =
            binding.kind != Kind::Group && control->geometry().right() + 3 + width <= parent->width() - 2;
        auto* mark =
            new QLabel(QStringLiteral("*"), binding.kind == Kind::Buttons || beside ? parent : control);
        mark->setObjectName(QStringLiteral("ChangeMark"));
        mark->setFont(font);
        QPalette palette = mark->palette();
        palette.setColor(QPalette::WindowText, QColor(0xB0, 0x30, 0x00));
        mark->setPalette(palette);
        mark->adjustSize();
        binding.mark = mark;
    }
    QLabel* mark = binding.mark;
    QWidget* holder = mark->parentWidget();
    if (holder == control || binding.kind == Kind::Buttons)
        mark->move(holder->width() - mark->width() - 3, 0);
    else
        mark->move(control->geometry().right() + 3, control->y());
    mark->setToolTip(tooltip);
    mark->setVisible(marked);
    mark->raise();
}

bool TParamBinder::isMarked(const QWidget* control) const {
    for (const Binding& binding : bindings_)
        for (const auto& widget : binding.widgets)
            if (widget == control) return widget->property("changed").toBool();
    return false;
}

std::vector<QWidget*> TParamBinder::controlsOf(const qv7::ParamRow& row) const {
    std::vector<QWidget*> controls;
    for (const Binding& binding : bindings_)
        if (binding.row == &row) controls.push_back(binding.widgets.front());
    return controls;
}

void TParamBinder::markHiddenChanges(QWidget* control, const QStringList& names) {
    for (Binding& binding : bindings_) {
        if (binding.widgets.front() != control || names.isEmpty()) continue;
        const QString tip =
            QCoreApplication::translate("TParamBinder", "* modifié sur une page que ce choix masque : %1")
                .arg(names.join(QStringLiteral(", ")));
        setMark(binding, true, control->toolTip() + u'\n' + tip);
    }
}

bool TParamBinder::marksUnder(const QWidget* widget) const {
    for (const Binding& binding : bindings_) {
        QWidget* control = binding.widgets.front();
        if (control->property("changed").toBool() && (widget == control || widget->isAncestorOf(control)))
            return true;
    }
    return false;
}
