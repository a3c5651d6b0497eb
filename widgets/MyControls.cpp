#include "widgets/MyControls.h"

#include "widgets/Bitmaps.h"

#include <QPointer>

TLangueControl::TLangueControl(QWidget* self)
    : self_(self), captionSet_(std::make_unique<TMultiLangue>()), hintSet_(std::make_unique<TMultiLangue>()) {
    captionSet_->OnChangeLangue = [this](TMultiLangue*) { ChangeLangue(); };
    hintSet_->OnChangeLangue = [this](TMultiLangue*) { ChangeLangue(); };
}

TLangueControl::~TLangueControl() = default;

void TLangueControl::setCaption(const QString&) {
    showCaption(captionSet_->CurrentText());
}

void TLangueControl::setHint(const QString& hint) {
    self_->setToolTip(hint);
}

void TLangueControl::fitUnsized() {
    if (self_->testAttribute(Qt::WA_Resized)) return;
    self_->adjustSize();
    // Still unsized: showing it sizes it to its text again.
    self_->setAttribute(Qt::WA_Resized, false);
}

void TLangueControl::applyTexts() {
    showCaption(captionSet_->CurrentText());
    self_->setToolTip(hintSet_->CurrentText());
}

void TLangueControl::ChangeLangue() {
    ++languageChanges_;
    applyTexts();
    // The flag keeps a refreshed sibling's own ChangeLangue from refreshing anybody again.
    if (self_->parentWidget() == nullptr || TMultiLangue::refreshing()) return;
    TMultiLangue::setRefreshing(true);
    refreshSiblings();
    TMultiLangue::setRefreshing(false);
}

void TLangueControl::refreshSiblings() {
    // Guarded copies: a refresh may run code that adds or deletes controls.
    QList<QPointer<QWidget>> order;
    for (QObject* object : self_->parentWidget()->children()) {
        if (auto* widget = qobject_cast<QWidget*>(object); widget && widget != self_ && !widget->isWindow()) {
            order.append(widget);
        }
    }
    for (const QPointer<QWidget>& sibling : order) {
        if (sibling.isNull()) continue;
        if (auto* bilingual = dynamic_cast<TLangueControl*>(sibling.data())) {
            bilingual->Repaint();
        } else {
            sibling->repaint();
        }
    }
}

void TLangueControl::Repaint() {
    ++repaintRequests_;
    applyTexts();
    self_->repaint();
}

TLabelLangue::TLabelLangue(QWidget* parent) : QLabel(parent), TLangueControl(this) {}

TBitBtnLangue::TBitBtnLangue(QWidget* parent) : QPushButton(parent), TLangueControl(this) {}

bool TBitBtnLangue::setGlyph(const QString& name, int numGlyphs) {
    const QIcon icon = qv7::glyphIcon(name, numGlyphs);
    if (icon.isNull()) return false;
    setIcon(icon);
    setIconSize(icon.availableSizes().value(0));
    return true;
}

TRadioButtonLangue::TRadioButtonLangue(QWidget* parent) : QRadioButton(parent), TLangueControl(this) {}

TGroupBoxLangue::TGroupBoxLangue(QWidget* parent) : QGroupBox(parent), TLangueControl(this) {}
