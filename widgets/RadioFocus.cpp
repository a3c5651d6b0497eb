#include "widgets/RadioFocus.h"

#include <QRadioButton>

namespace qv7 {

namespace {

constexpr char Watched[] = "qv7TabOnChecked";

// The checked item of `parent`'s radio buttons (or the first) takes Tab; the others only a click.
void placeTabStop(QWidget* parent) {
    const auto buttons = parent->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
    QRadioButton* stop = buttons.isEmpty() ? nullptr : buttons.first();
    for (QRadioButton* button : buttons)
        if (button->isChecked()) stop = button;
    for (QRadioButton* button : buttons)
        button->setFocusPolicy(button == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

} // namespace

void keepTabOnChecked(QWidget* root) {
    for (QRadioButton* button : root->findChildren<QRadioButton*>()) {
        if (button->property(Watched).toBool()) continue;
        button->setProperty(Watched, true);
        QObject::connect(button, &QAbstractButton::toggled, button, [button] {
            if (QWidget* parent = button->parentWidget()) placeTabStop(parent);
        });
        if (QWidget* parent = button->parentWidget()) placeTabStop(parent);
    }
}

} // namespace qv7
