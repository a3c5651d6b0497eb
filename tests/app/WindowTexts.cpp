#include "WindowTexts.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTableWidget>

#include <algorithm>
#include <functional>

namespace texts {
namespace {

// Every descendant of `root`, parents first.
void eachWidget(const QWidget* root, const std::function<void(const QWidget*)>& visit) {
    visit(root);
    for (const QObject* child : root->children())
        if (auto* widget = qobject_cast<const QWidget*>(child); widget && !widget->isWindow())
            eachWidget(widget, visit);
}

// A button's text as drawn: "&&" is one '&', a single '&' marks the mnemonic and is not drawn.
QString drawnButtonText(QString text) {
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(u'&');
    return text.replace(u'\x01', u'&');
}

int widestLine(const QFontMetrics& metrics, const QString& text) {
    int widest = 0;
    for (const QString& line : text.split(u'\n'))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

// Where a widget's text lies in its parent, and whether it fits there. A widget without a text
// gives an empty place.
struct TextPlace {
    QRect place;
    QString misfit; // what does not fit, empty when all does
};

QString need(const QString& what, int needed, int has) {
    return QStringLiteral("%1 needs %2 px, has %3").arg(what).arg(needed).arg(has);
}

TextPlace labelPlace(const QLabel& label) {
    if (label.text().isEmpty() || !label.pixmap().isNull()) return {};
    const int margin = label.margin();
    const QRect inside = label.contentsRect().adjusted(margin, margin, -margin, -margin);
    TextPlace result;
    if (label.wordWrap() || Qt::mightBeRichText(label.text())) {
        const int height = label.heightForWidth(label.width());
        if (height > label.height()) result.misfit = need(QStringLiteral("height"), height, label.height());
        result.place = label.geometry();
        return result;
    }
    // The text's own box, placed in the label as its alignment puts it.
    const QSize text(widestLine(label.fontMetrics(), label.text()),
                     static_cast<int>(label.text().count(u'\n') + 1) * label.fontMetrics().height());
    if (text.width() > inside.width())
        result.misfit = need(QStringLiteral("width"), text.width(), inside.width());
    else if (text.height() > inside.height())
        result.misfit = need(QStringLiteral("height"), text.height(), inside.height());
    result.place =
        QStyle::alignedRect(label.layoutDirection(), label.alignment(), text.boundedTo(inside.size()), inside)
            .translated(label.pos());
    return result;
}

TextPlace buttonPlace(const QAbstractButton& button) {
    const QString text = drawnButtonText(button.text());
    if (text.isEmpty()) return {};
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    const int textWidth = widestLine(button.fontMetrics(), text);
    TextPlace result;
    if (qobject_cast<const QPushButton*>(&button)) {
        if (static_cast<const QPushButton&>(button).autoDefault())
            option.features |= QStyleOptionButton::AutoDefaultButton;
        const QRect contents =
            button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
        const int iconWidth = button.icon().isNull() ? 0 : button.iconSize().width() + 4;
        if (textWidth + iconWidth > contents.width())
            result.misfit = need(QStringLiteral("width"), textWidth + iconWidth, contents.width());
        result.place =
            QStyle::alignedRect(button.layoutDirection(), Qt::AlignCenter,
                                QSize(textWidth + iconWidth, button.fontMetrics().height()), contents)
                .translated(button.pos());
        return result;
    }
    const bool radio = qobject_cast<const QRadioButton*>(&button) != nullptr;
    if (!radio && !qobject_cast<const QCheckBox*>(&button)) {
        // A tool button: its text inside its frame.
        const int frame = button.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &button);
        const QRect contents = button.rect().adjusted(frame, frame, -frame, -frame);
        if (textWidth > contents.width())
            result.misfit = need(QStringLiteral("width"), textWidth, contents.width());
        result.place = button.geometry();
        return result;
    }
    const QRect contents = button.style()->subElementRect(
        radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, &button);
    if (textWidth > contents.width())
        result.misfit = need(QStringLiteral("width"), textWidth, contents.width());
    const QRect indicator = button.style()->subElementRect(
        radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &option, &button);
    const QRect box = QStyle::alignedRect(button.layoutDirection(), Qt::AlignLeft | Qt::AlignVCenter,
                                          QSize(textWidth, button.fontMetrics().height()), contents);
    result.place = (indicator | box).translated(button.pos());
    return result;
}

TextPlace groupTitlePlace(const QGroupBox& group) {
    if (group.title().isEmpty()) return {};
    QStyleOptionGroupBox option;
    option.initFrom(&group);
    option.text = group.title();
    option.lineWidth = 1;
    option.textAlignment = group.alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    if (group.isCheckable()) option.subControls |= QStyle::SC_GroupBoxCheckBox;
    if (group.isFlat()) option.features |= QStyleOptionFrame::Flat;
    QRect title =
        group.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &group);
    if (group.isCheckable())
        title |=
            group.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxCheckBox, &group);
    TextPlace result;
    const int textWidth = group.fontMetrics().horizontalAdvance(drawnButtonText(group.title()));
    if (title.width() < textWidth || title.left() < 0 || title.right() >= group.width())
        result.misfit = need(QStringLiteral("title"), title.left() + textWidth, group.width());
    result.place = title.translated(group.pos());
    return result;
}

TextPlace comboPlace(const QComboBox& combo) {
    QStyleOptionComboBox option;
    option.initFrom(&combo);
    option.editable = combo.isEditable();
    option.frame = combo.hasFrame();
    const QRect field =
        combo.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &combo);
    TextPlace result;
    for (int i = 0; i < combo.count() && result.misfit.isEmpty(); ++i) {
        const int width = combo.fontMetrics().horizontalAdvance(combo.itemText(i));
        if (width > field.width() - 2)
            result.misfit =
                need(QStringLiteral("item \"%1\"").arg(combo.itemText(i)), width, field.width() - 2);
    }
    result.place = combo.geometry();
    return result;
}

// The tab captions: each tab as wide as its caption asks (the strip scrolls where they are many).
QString tabMisfit(const QTabBar& bar) {
    const int space = bar.style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, &bar);
    for (int i = 0; i < bar.count(); ++i) {
        if (!bar.isTabVisible(i) || bar.tabRect(i).width() == 0) continue;
        const int width = bar.fontMetrics().horizontalAdvance(drawnButtonText(bar.tabText(i))) + space;
        if (bar.tabRect(i).width() < width)
            return need(QStringLiteral("tab \"%1\"").arg(bar.tabText(i)), width, bar.tabRect(i).width());
    }
    return {};
}

QString headerMisfit(const QHeaderView& header) {
    const int margin = 2 * header.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header);
    for (int i = 0; i < header.count(); ++i) {
        if (header.isSectionHidden(i)) continue;
        const QString text = header.model()->headerData(i, header.orientation()).toString();
        const int width = header.fontMetrics().horizontalAdvance(text) + margin;
        if (width > header.sectionSize(i))
            return need(QStringLiteral("header \"%1\"").arg(text), width, header.sectionSize(i));
    }
    return {};
}

TextPlace placeOf(const QWidget* widget) {
    if (auto* label = qobject_cast<const QLabel*>(widget)) return labelPlace(*label);
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) return buttonPlace(*button);
    if (auto* group = qobject_cast<const QGroupBox*>(widget)) return groupTitlePlace(*group);
    if (auto* combo = qobject_cast<const QComboBox*>(widget)) return comboPlace(*combo);
    if (auto* bar = qobject_cast<const QTabBar*>(widget)) return {{}, tabMisfit(*bar)};
    if (auto* header = qobject_cast<const QHeaderView*>(widget)) return {{}, headerMisfit(*header)};
    return {};
}

QString shownText(const QWidget* widget) {
    if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(widget)) return group->title();
    return {};
}

} // namespace

bool shown(const QWidget* widget) {
    for (const QWidget* w = widget; w != nullptr && !w->isWindow(); w = w->parentWidget()) {
        const bool page = qobject_cast<const QStackedWidget*>(w->parentWidget()) != nullptr;
        if (w->isHidden() && !page) return false;
    }
    return true;
}

QString pathOf(const QWidget* widget) {
    QStringList names;
    for (const QWidget* w = widget; w != nullptr; w = w->isWindow() ? nullptr : w->parentWidget()) {
        QString name = w->objectName();
        if (name.isEmpty()) {
            const QObject* parent = w->parent();
            name = QString::fromLatin1(w->metaObject()->className()) + QStringLiteral("#") +
                   QString::number(parent ? parent->children().indexOf(const_cast<QWidget*>(w)) : 0);
        }
        names.prepend(name);
    }
    return names.join(u'/');
}

QMap<QString, QString> textsOf(const QWidget* window) {
    QMap<QString, QString> found;
    found.insert(pathOf(window) + QStringLiteral(":title"), window->windowTitle());
    eachWidget(window, [&](const QWidget* widget) {
        if (!shown(widget)) return;
        const QString path = pathOf(widget);
        const auto add = [&](const QString& what, const QString& text) {
            if (!text.isEmpty()) found.insert(path + u':' + what, text);
        };
        if (!qobject_cast<const QLineEdit*>(widget)) add(QStringLiteral("text"), shownText(widget));
        add(QStringLiteral("hint"), widget->toolTip());
        if (auto* combo = qobject_cast<const QComboBox*>(widget); combo && !combo->isEditable())
            for (int i = 0; i < combo->count(); ++i)
                add(QStringLiteral("item%1").arg(i), combo->itemText(i));
        if (auto* bar = qobject_cast<const QTabBar*>(widget))
            for (int i = 0; i < bar->count(); ++i)
                if (bar->isTabVisible(i)) add(QStringLiteral("tab%1").arg(i), bar->tabText(i));
        if (auto* header = qobject_cast<const QHeaderView*>(widget); header && !header->isHidden())
            for (int i = 0; i < header->count(); ++i)
                add(QStringLiteral("header%1").arg(i),
                    header->model()->headerData(i, header->orientation()).toString());
        // The context menus a widget pops up.
        for (const QObject* child : widget->children())
            if (auto* menu = qobject_cast<const QMenu*>(child)) {
                for (const QAction* action : menu->actions()) {
                    add(QStringLiteral("menu:") + action->objectName(), action->text());
                    if (action->menu() != nullptr)
                        for (const QAction* sub : action->menu()->actions())
                            add(QStringLiteral("menu:") + sub->objectName(), sub->text());
                }
            }
    });
    return found;
}

QMap<QString, QString> valuesOf(const QWidget* window) {
    QMap<QString, QString> found;
    eachWidget(window, [&](const QWidget* widget) {
        const QString path = pathOf(widget);
        if (auto* edit = qobject_cast<const QLineEdit*>(widget)) found.insert(path, edit->text());
        if (auto* combo = qobject_cast<const QComboBox*>(widget))
            found.insert(path, QString::number(combo->currentIndex()));
        if (auto* button = qobject_cast<const QAbstractButton*>(widget); button && button->isCheckable())
            found.insert(path, button->isChecked() ? QStringLiteral("checked") : QStringLiteral("clear"));
        if (auto* spin = qobject_cast<const QAbstractSpinBox*>(widget)) found.insert(path, spin->text());
        if (auto* slider = qobject_cast<const QAbstractSlider*>(widget))
            found.insert(path, QString::number(slider->value()));
    });
    return found;
}

QStringList misfitsOf(const QWidget* window) {
    QStringList misfits;
    eachWidget(window, [&](const QWidget* parent) {
        if (!parent->isVisible()) return;
        QList<QPair<const QWidget*, QRect>> places;
        for (const QObject* child : parent->children()) {
            auto* widget = qobject_cast<const QWidget*>(child);
            if (widget == nullptr || widget->isWindow() || !widget->isVisible()) continue;
            const TextPlace place = placeOf(widget);
            if (!place.misfit.isEmpty())
                misfits
                    << QStringLiteral("%1 \"%2\": %3").arg(pathOf(widget), shownText(widget), place.misfit);
            if (place.place.isEmpty()) continue;
            for (const auto& [other, otherPlace] : places)
                if (otherPlace.intersects(place.place))
                    misfits << QStringLiteral("%1 \"%2\" overlaps %3 \"%4\"")
                                   .arg(pathOf(widget), shownText(widget), pathOf(other), shownText(other));
            places.append({widget, place.place});
        }
    });
    return misfits;
}

} // namespace texts
