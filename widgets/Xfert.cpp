#include "widgets/Xfert.h"

#include "widgets/WindowLook.h"

#include <QProgressBar>
#include <QShowEvent>

TXfertForm::TXfertForm(QWidget* parent) : QWidget(parent), progress_(new QProgressBar(this)) {
    setObjectName(QStringLiteral("XfertForm"));
    // It stays above the editor window while a transfer runs.
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    FormShow();
    setFont(qv7::windowFont());
    setFixedSize(378, 30);

    progress_->setObjectName(QStringLiteral("Progress"));
    progress_->setGeometry(8, 8, 361, 16);
    progress_->setRange(0, 111);
    progress_->setValue(0);
    progress_->setTextVisible(false);
}

void TXfertForm::FormShow() {
    setWindowTitle(tr("Transfert des informations de linéarisation"));
}

void TXfertForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) FormShow();
    QWidget::changeEvent(event);
}

void TXfertForm::showEvent(QShowEvent* event) {
    FormShow();
    if (!event->spontaneous()) qv7::centreOnScreen(*this);
    QWidget::showEvent(event);
}
