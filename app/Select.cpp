#include "app/Select.h"

#include "widgets/RadioFocus.h"
#include "widgets/WindowLook.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

#include <algorithm>

namespace {
// Room the group's caption takes above the first item, and the frame below the last.
constexpr int ItemsTop = 16;
constexpr int ItemsBottomMargin = 4;
constexpr int ItemsLeft = 8;
} // namespace

TSelectForm::TSelectForm(QWidget* parent)
    : QDialog(parent), group_(new QGroupBox(this)), buttons_(new QButtonGroup(this)),
      okButton_(new QPushButton(this)) {
    setObjectName(QStringLiteral("SelectForm"));
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(qv7::windowFont());
    setFixedSize(186, 258);

    group_->setObjectName(QStringLiteral("GrRdSelect"));
    group_->setGeometry(8, 40, 169, 169);
    buttons_->setExclusive(true);

    okButton_->setObjectName(QStringLiteral("BtnOK"));
    okButton_->setGeometry(96, 224, 75, 25);
    connect(okButton_, &QPushButton::clicked, this, &TSelectForm::BtnOKClick);
    retranslate();
}

void TSelectForm::retranslate() {
    setWindowTitle(tr("Selection"));
    group_->setTitle(tr("Selection"));
    okButton_->setText(tr("OK"));
}

void TSelectForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QDialog::changeEvent(event);
}

void TSelectForm::clearItems() {
    for (QRadioButton* item : items_) {
        buttons_->removeButton(item);
        delete item;
    }
    items_.clear();
}

void TSelectForm::addItem(const QString& text) {
    auto* item = new QRadioButton(text, group_);
    buttons_->addButton(item, static_cast<int>(items_.size()));
    items_.append(item);
    layoutItems();
    item->show();
    qv7::keepTabOnChecked(group_);
}

QString TSelectForm::itemText(int index) const {
    if (index < 0 || index >= items_.size()) return {};
    return items_.at(index)->text();
}

int TSelectForm::itemIndex() const {
    return buttons_->checkedId();
}

void TSelectForm::setItemIndex(int index) {
    if (index >= 0 && index < items_.size()) {
        items_.at(index)->setChecked(true);
        return;
    }
    // An exclusive group never lets its last checked button go by itself.
    buttons_->setExclusive(false);
    for (QRadioButton* item : items_)
        item->setChecked(false);
    buttons_->setExclusive(true);
}

void TSelectForm::BtnOKClick() {
    close();
}

void TSelectForm::layoutItems() {
    // The items share the group's height in equal rows, as a radio group spreads them.
    if (items_.isEmpty()) return;
    const int rows = static_cast<int>(items_.size());
    const int rowHeight = std::max(1, (group_->height() - ItemsTop - ItemsBottomMargin) / rows);
    for (int i = 0; i < rows; ++i) {
        items_.at(i)->setGeometry(ItemsLeft, ItemsTop + i * rowHeight, group_->width() - 2 * ItemsLeft,
                                  rowHeight);
    }
}

void TSelectForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) qv7::centreOnScreen(*this);
    QDialog::showEvent(event);
}

void TSelectForm::resizeEvent(QResizeEvent* event) {
    layoutItems();
    QDialog::resizeEvent(event);
}
