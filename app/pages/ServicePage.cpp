#include "app/pages/ServicePage.h"

#include "app/Application.h"
#include "app/pages/AdcChart.h"
#include "app/pages/PageKit.h"
#include "indicator/Torvik.h"
#include "widgets/Bitmaps.h"
#include "widgets/DecimalSeparator.h"
#include "widgets/Messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace qv7::pages {

namespace {

// Live readings: one request every LiveIntervalMs while the last one was answered; an unanswered
// one is asked again after the component's own step interval would have repeated it.
constexpr int LiveIntervalMs = 250;
constexpr int LiveRepeatMs = 1000;

QToolButton* speedButton(QWidget* parent, const char* name, const QString& text, const QRect& place) {
    auto* button = named(new QToolButton(parent), name);
    button->setText(text);
    button->setGeometry(place);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QString adjustName(int code) {
    switch (code) {
    case 1:
        return TServicePage::tr("Ajustage du zéro, voie 1");
    case 2:
        return TServicePage::tr("Ajustage de la pleine échelle, voie 1");
    case 3:
        return TServicePage::tr("Ajustage du zéro, voie 2");
    default:
        return TServicePage::tr("Ajustage de la pleine échelle, voie 2");
    }
}

QString adcText(float value) {
    QString text = QString::number(static_cast<double>(value), 'g', 7);
    text.replace(u'.', decimalSeparator());
    return text;
}

} // namespace

TServicePage::TServicePage(TCustomTorvik& torvik, StatusSink status, QWidget* parent)
    : QWidget(parent), torvik_(torvik), status_(std::move(status)) {
    setObjectName(QStringLiteral("TabZEQ"));
    CkZeq = named(new QCheckBox(this), "CkZeq");
    CkZeq->setGeometry(32, 8, 161, 17);
    CkZeq->setEnabled(false);
    BtnErase = speedButton(this, "BtnErase", QStringLiteral("Erase"), {32, 32, 57, 22});
    BtnPRG = speedButton(this, "BtnPRG", QStringLiteral("Prg"), {96, 32, 57, 22});
    BtnRESET = speedButton(this, "BtnRESET", QStringLiteral("RESET"), {160, 32, 57, 22});
    Memo = named(new QPlainTextEdit(this), "Memo");
    Memo->setGeometry(32, 64, 185, 57);

    GrAjust = named(new QGroupBox(this), "GrAjust");
    GrAjust->setGeometry(24, 128, 201, 81);
    Label12 = named(new QLabel(GrAjust), "Label12");
    Label12->move(16, 24);
    SpBtnZ1 = speedButton(GrAjust, "SpBtnZ1", QStringLiteral("Z"), {104, 16, 23, 22});
    SpBtnPE1 = speedButton(GrAjust, "SpBtnPE1", QString(), {160, 16, 23, 22});
    Label13 = named(new QLabel(GrAjust), "Label13");
    Label13->move(16, 56);
    SpBtnZ2 = speedButton(GrAjust, "SpBtnZ2", QStringLiteral("Z"), {104, 48, 23, 22});
    SpBtnPE2 = speedButton(GrAjust, "SpBtnPE2", QString(), {160, 48, 23, 22});

    Button1 = named(new QPushButton(QStringLiteral("Button1"), this), "Button1");
    Button1->setGeometry(24, 212, 201, 17); // below the adjustments group, above BtnUnlock
    Button1->hide();

    BtnUnlock = named(new QPushButton(this), "BtnUnlock");
    BtnUnlock->setIcon(glyphIcon(QString::fromLatin1(UnlockGlyph)));
    BtnUnlock->setIconSize(QSize(32, 32));
    BtnUnlock->setGeometry(8, 232, 233, 41);
    BtnUnlock->setEnabled(false);

    adjustTimer_ = new QTimer(this);
    adjustTimer_->setSingleShot(true);
    adjustTimer_->setInterval(3000);
    connect(adjustTimer_, &QTimer::timeout, this, [this] {
        if (adjusting_ != 0) adjustEnded(tr("pas de réponse de l'appareil"));
    });

    const auto wire = [](QAbstractButton* button, auto handler) {
        connect(button, &QAbstractButton::clicked, button, [handler] { runGuarded(handler); });
    };
    wire(BtnErase, [this] { BtnEraseClick(); });
    wire(BtnPRG, [this] { BtnPRGClick(); });
    wire(BtnRESET, [this] { BtnRESETClick(); });
    wire(SpBtnZ1, [this] { SpBtnZ1Click(); });
    wire(SpBtnPE1, [this] { SpBtnPE1Click(); });
    wire(SpBtnZ2, [this] { SpBtnZ2Click(); });
    wire(SpBtnPE2, [this] { SpBtnPE2Click(); });
    wire(Button1, [this] { Button1Click(); });

    // Over Memo while the values are read live: Memo keeps the device text and the first reading.
    AdcChart = new TAdcChart(this);
    AdcChart->setGeometry(8, 58, 233, 66);
    AdcChart->hide();
    liveTimer_.setInterval(LiveIntervalMs);
    connect(&liveTimer_, &QTimer::timeout, this, [this] { runGuarded([this] { liveTick(); }); });
    retranslate();
}

void TServicePage::retranslate() {
    CkZeq->setText(tr("Mode Norvex"));
    GrAjust->setTitle(tr("Ajustage des entrées"));
    Label12->setText(tr("Voie n°1"));
    Label12->adjustSize();
    Label13->setText(tr("Voie n°2"));
    Label13->adjustSize();
    // The full-scale adjustments ("pleine échelle").
    SpBtnPE1->setText(tr("PE"));
    SpBtnPE2->setText(tr("PE"));
    BtnUnlock->setText(tr("Authentification de l'utilisateur"));
    // The plain window keeps the original's caption, which it never shows.
    Button1->setText(serviceMode_ ? tr("Lecture ADC") : QStringLiteral("Button1"));
    // Memo's first line, the device's description, in the new language; the readings stay.
    const QString now = torvik_.deviceTextNow();
    if (!deviceText_.isEmpty() && !now.isEmpty() && now != deviceText_ &&
        Memo->toPlainText().startsWith(deviceText_)) {
        const QString rest = Memo->toPlainText().mid(deviceText_.size());
        Memo->setPlainText(now + rest);
        deviceText_ = now;
    }
}

void TServicePage::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QWidget::changeEvent(event);
}

void TServicePage::setServiceMode(bool on) {
    serviceMode_ = on;
    // The technicians' mode offers the ADC read, which the plain window never shows.
    retranslate();
    Button1->setVisible(on);
    Button1->setCheckable(on);
    if (!on) stopLiveAdc();
}

void TServicePage::fillDeviceText(const QString& deviceText) {
    Memo->clear();
    Memo->appendPlainText(deviceText);
    deviceText_ = deviceText;
}

void TServicePage::fillServiceFlag(std::uint32_t typeWord) {
    CkZeq->setChecked(qv7::typeword::serviceFlag(typeWord));
    GrAjust->setVisible(CkZeq->isChecked());
}

void TServicePage::inputTypeChosen(int item) {
    if (item < 0) return;
    const bool secondChannel = item == 2 || item == 4;
    SpBtnZ2->setEnabled(secondChannel);
    SpBtnPE2->setEnabled(secondChannel);
}

bool TServicePage::confirm(const QString& text) const {
    return !serviceMode_ || askYesNo(QStringLiteral("Norvex"), text);
}

void TServicePage::BtnEraseClick() {
    stopLiveAdc();
    if (!confirm(tr("Effacer le firmware du pont USB ?\nL'appareil ne communique plus "
                    "jusqu'à ce qu'un nouveau firmware soit écrit.")))
        return;
    bridgeCommandDone(torvik_.EraseFirmware(), tr("Efface le firmware USB"));
}

void TServicePage::BtnPRGClick() {
    stopLiveAdc();
    if (!confirm(tr("Réécrire le firmware du pont USB ?"))) return;
    bridgeCommandDone(torvik_.ProgramFirmware(), tr("Ecriture du firmware"));
}

void TServicePage::BtnRESETClick() {
    stopLiveAdc();
    bridgeCommandDone(torvik_.ResetUsb(), tr("Reset USB"));
}

void TServicePage::bridgeCommandDone(int result, const QString& text) {
    // A negative result: the command never reached the bridge (no device, or the hand-off failed).
    if (result < 0) {
        status_(tr("%1 : échec, le pont USB n'a pas pris la commande").arg(text));
        return;
    }
    status_(text);
}

void TServicePage::SpBtnZ1Click() {
    adjust(1);
}

void TServicePage::SpBtnPE1Click() {
    adjust(2);
}

void TServicePage::SpBtnZ2Click() {
    adjust(3);
}

void TServicePage::SpBtnPE2Click() {
    adjust(4);
}

void TServicePage::setAdjustTimeout(int ms) {
    adjustTimer_->setInterval(ms);
}

void TServicePage::adjust(int code) {
    adjusting_ = code;
    status_(adjustName(code));
    adjustTimer_->start();
    if (code == 1) torvik_.AdjustZero1();
    if (code == 2) torvik_.AdjustFullScale1();
    if (code == 3) torvik_.AdjustZero2();
    if (code == 4) torvik_.AdjustFullScale2();
}

void TServicePage::TorvikCommandAnswered(int value) {
    if (adjusting_ == 0) return;
    adjustEnded(value == adjusting_ ? tr("fait") : tr("refusé par l'indicateur"));
}

void TServicePage::TorvikFrameRejected(TRejectReason reason) {
    // Only an exception is the indicator's refusal; a damaged or stale frame may still be followed
    // by the echo, and the time-out says when none came.
    if (adjusting_ != 0 && reason == TRejectReason::Exception) adjustEnded(tr("refusé par l'indicateur"));
}

void TServicePage::adjustEnded(const QString& outcome) {
    const int code = adjusting_;
    adjusting_ = 0;
    adjustTimer_->stop();
    status_(tr("%1 : %2").arg(adjustName(code), outcome));
}

void TServicePage::Button1Click() {
    if (!Button1->isCheckable()) return torvik_.ReadADCValues();
    Button1->isChecked() ? startLiveAdc() : stopLiveAdc();
}

void TServicePage::TorvikReadADCValues(float fval1, float fval2) {
    // Live readings come four times a second: only the first one beeps, as the single read did.
    const bool live = liveTimer_.isActive();
    if (live && requestedAt_ >= 0) {
        requestedAt_ = -1;
        AdcChart->addReading(liveClock_.elapsed(), fval1, fval2);
    }
    if (live && !firstReading_) return;
    firstReading_ = false;
    QApplication::beep();
    if (!serviceMode_) return;
    Memo->appendPlainText(tr("ADC %1 : %2").arg(1).arg(adcText(fval1)));
    Memo->appendPlainText(tr("ADC %1 : %2").arg(2).arg(adcText(fval2)));
}

void TServicePage::startLiveAdc() {
    Button1->setChecked(true);
    AdcChart->clear();
    AdcChart->show();
    liveClock_.start();
    firstReading_ = true;
    requestedAt_ = -1;
    liveTimer_.start();
    liveTick();
}

void TServicePage::stopLiveAdc() {
    liveTimer_.stop();
    requestedAt_ = -1;
    firstReading_ = false;
    Button1->setChecked(false);
    AdcChart->hide();
}

void TServicePage::liveTick() {
    // A transfer runs (the window stops the reading before it starts one; this catches any other).
    const int step = torvik_.Step.load();
    if (!qv7::idleStep(step)) return stopLiveAdc();
    const qint64 now = liveClock_.elapsed();
    if (requestedAt_ >= 0 && now - requestedAt_ < LiveRepeatMs) return;
    requestedAt_ = now;
    torvik_.ReadADCValues();
}

void TServicePage::hideEvent(QHideEvent* event) {
    stopLiveAdc();
    QWidget::hideEvent(event);
}

} // namespace qv7::pages
