// TabZEQ, "Norvex": the USB bridge's firmware commands, the zero and full-scale
// adjustments of the two input channels and the ADC read request. Its tab is hidden, except in
// the technicians' service mode (qv7cfg --service), where "Erase" and "Prg" ask before they
// send and "Lecture ADC" is a toggle: its first reading goes to Memo as the single read did, then it
// keeps reading and charts the last minute of both values. Window thread.
#pragma once

#include "modbus/MiniModbus.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QToolButton;
class TCustomTorvik;

namespace qv7::pages {

class TAdcChart;

class TServicePage : public QWidget {
    Q_OBJECT
public:
    using StatusSink = std::function<void(const QString&)>;
    // `torvik` outlives the page; `status` writes the window's status line.
    TServicePage(TCustomTorvik& torvik, StatusSink status, QWidget* parent = nullptr);
    // Sets every text in the window's language: once built, and again at each change of it.
    void retranslate();

    void setServiceMode(bool on);
    bool serviceMode() const { return serviceMode_; }

    // The fill step's first action: Memo holds one line, the opened device's description.
    void fillDeviceText(const QString& deviceText);
    // The fill step's second action: CkZeq from type-word bit 7, GrAjust shown while it is checked.
    void fillServiceFlag(std::uint32_t typeWord);
    // RdGrCFGClick's share: channel 2's buttons enabled for "Sonde Platine" and "Potentiomètre".
    void inputTypeChosen(int item);

    // Handlers.
    void BtnEraseClick();
    void BtnPRGClick();
    void BtnRESETClick();
    void SpBtnZ1Click();
    void SpBtnPE1Click();
    void SpBtnZ2Click();
    void SpBtnPE2Click();
    void Button1Click();
    void TorvikReadADCValues(float fval1, float fval2);

    // The component's answer to a command write: an adjustment took when the indicator echoes its
    // value, as a register write is answered; another value or an exception reply is a refusal.
    void TorvikCommandAnswered(int value);
    void TorvikFrameRejected(TRejectReason reason);
    // How long an adjustment waits for its answer before the status line says none came.
    void setAdjustTimeout(int ms);
    // Ends the live ADC reading (the window calls it before every transfer it starts and on
    // disconnection; leaving the page ends it too).
    void stopLiveAdc();
    bool liveAdc() const { return liveTimer_.isActive(); }
    // The time from one live reading's request to the next (tests make it short).
    void setLiveInterval(int ms) { liveTimer_.setInterval(ms); }

    QCheckBox* CkZeq;
    QToolButton* BtnErase;
    QToolButton* BtnPRG;
    QToolButton* BtnRESET;
    QPlainTextEdit* Memo;
    QGroupBox* GrAjust;
    QLabel* Label12;
    QToolButton* SpBtnZ1;
    QToolButton* SpBtnPE1;
    QLabel* Label13;
    QToolButton* SpBtnZ2;
    QToolButton* SpBtnPE2;
    QPushButton* Button1;
    QPushButton* BtnUnlock;
    TAdcChart* AdcChart;

protected:
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool confirm(const QString& text) const;
    // The bridge's answer to a firmware command: its failure, not the command sent, is said.
    void bridgeCommandDone(int result, const QString& text);
    // Starts adjustment `code` (1-4, the command register's value) and waits for its answer.
    void adjust(int code);
    void adjustEnded(const QString& outcome);

    int adjusting_ = 0; // the adjustment whose answer is awaited; 0 none
    QTimer* adjustTimer_ = nullptr;
    void startLiveAdc();
    void liveTick();

    TCustomTorvik& torvik_;
    StatusSink status_;
    bool serviceMode_ = false;
    QTimer liveTimer_;
    QElapsedTimer liveClock_;
    qint64 requestedAt_ = -1; // the live read awaiting its reply (ms on liveClock_), or -1
    bool firstReading_ = false;
    QString deviceText_; // Memo's first line
};

} // namespace qv7::pages
