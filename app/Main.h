// TMainForm: the tool's main window. It owns the indicator component Torvik, follows the link
// coming and going, starts the full read on connection, carries the scan, read-all, write-all,
// file, editor, about and quit actions, and shows the program's one status line. Window thread;
// the component's events reach it already queued onto this thread.
#pragma once

#include "indicator/Torvik.h"
#include "lineditor/LinDevice.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

class QLabel;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTimer;
class TBitBtnLangue;
class TFileDialogs;
class TLabelLangue;
class TPageControl;
class TGroupBoxLangue;
class Tled;
namespace qv7 {
class HidAccess;
}
namespace qv7::pages {
class TAlarmPage;
class TCfgPage;
class TDisplayPage;
class TEntCourantPage;
class TEntRtdPage;
class TEntTCPage;
class TEntTensionPage;
class TIdentPage;
class TOutputPage;
class TProcessPage;
class TRadioGroup;
class TRs485Page;
class TServicePage;
} // namespace qv7::pages

class TMainForm : public QWidget, public TLinDevice {
    Q_OBJECT
public:
    // The pages of PageControl, in order.
    enum Page {
        TabConnect,
        TabIdent,
        TabCfg,
        TabEntCourant,
        TabEntTension,
        TabEntRtd,
        TabEntTC,
        TabProcess,
        TabDisplay,
        TabALR1,
        TabALR2,
        TabALR3,
        TabALR4,
        TabSA,
        TabRS485,
        TabZEQ,
        PageCount
    };

    // Builds every control and the component on `access`, which must outlive the window.
    explicit TMainForm(qv7::HidAccess& access, QWidget* parent = nullptr);
    ~TMainForm() override;

    TTorvik& Torvik() { return *torvik_; }

    // --- Handlers (window thread). Each may raise the run-time errors of the actions it calls. ---
    void FormShow();               // first showing: disconnected, service tab hidden, scan
    void BtnScanClick();           // drops to Disconnected, counts the devices and opens one
    void TorvikConnect();          // LED on, then the full read
    void TorvikDisconnect();       // LED off, pages and read/write disabled, page 0, "Déconnexion"
    void TorvikReadAllCompleted(); // the fill step: every page from Params, page 1, status emptied
    void TorvikWriteAllCompleted();
    void TorvikReadADCValues(float fval1, float fval2);
    // answering false: "L'appareil ne répond pas" with the request, red lamp; true: both cleared.
    void TorvikAnswerState(bool answering);
    void BtnReadAllClick();
    // The write step: every page into a copy of Params; only when every field fits does the copy
    // become Params and the write-all start. A field that does not fit raises ERangeError with
    // the focus on it, and Params is left untouched.
    void BtnWriteAllClick();
    // The pages' values in a copy of Params, as the write step stores them; a field that does not
    // fit raises ERangeError with the focus on it.
    TParamImage pagesImage();
    // The input-type pages for the item chosen in `sender` (RdGrCFG1 or RdGrCFG2; null: none).
    void RdGrCFGClick(qv7::pages::TRadioGroup* sender);
    void BtnSaveClick();
    // Refreshes the pages after every attempt, even a failed one; refused while a write runs.
    void BtnLoadClick();
    void BtnEditLinClick(); // hands the editor this window as its indicator, then shows it modally
    void Image1Click();
    void BtnQuitClick();

    // --- The linearisation table transfers (MainCurve.cpp) ---
    // The editor's "Lecture": starts the table read.
    void ReadLin() override;
    // The editor's "Ecriture": points 0-31 of the curve into LinTable (X / 100 the abscissa, Y / 100
    // the ordinate), LinLastPoint := NbSegment, then the table write. A curve of more than 32 points
    // is refused with a message and X values that do not rise ask first; false when nothing was sent.
    bool SendCurveToDevice(TDraw& Draw1) override;
    // Progress of both directions on the transfer window's bar; the window closes at 127.
    void TorvikReadLin(int position);
    // Points 0-LinLastPoint of the table read into the editor's curve, or "Erreur dans la table" and
    // the editor's new curve when a value lies outside -0.25 ... 1.25.
    void TorvikReadLinCompleted(const TLinTable& ReadLinTable);
    void TorvikWriteLinCompleted(); // "Courbe écrite"

    // Every frame sent and received, as "TX : …" / "RX : …" (qv7cfg --trace); empty for none.
    void setTrace(std::function<void(const std::string&)> trace) { trace_ = std::move(trace); }

    // The technicians' mode (qv7cfg --service): the service page's tab stays shown.
    void setServiceMode(bool on);
    bool serviceMode() const { return serviceMode_; }

    // The pages (tests and pictures).
    qv7::pages::TIdentPage* identPage() const { return identPage_; }
    qv7::pages::TCfgPage* cfgPage() const { return cfgPage_; }
    qv7::pages::TEntCourantPage* courantPage() const { return courantPage_; }
    qv7::pages::TEntTensionPage* tensionPage() const { return tensionPage_; }
    qv7::pages::TEntRtdPage* rtdPage() const { return rtdPage_; }
    qv7::pages::TEntTCPage* tcPage() const { return tcPage_; }
    qv7::pages::TProcessPage* processPage() const { return processPage_; }
    qv7::pages::TDisplayPage* displayPage() const { return displayPage_; }
    qv7::pages::TAlarmPage* alarmPage(int number) const { return alarmPages_[number - 1]; }
    qv7::pages::TOutputPage* outputPage() const { return outputPage_; }
    qv7::pages::TRs485Page* rs485Page() const { return rs485Page_; }
    qv7::pages::TServicePage* servicePage() const { return servicePage_; }
    TPageControl* pageControl() const;
    // Whether a page's tab is in the strip.
    bool tabShown(Page page) const;

    // The status line's one text, and whether the window shows the hourglass. A text set as such
    // stays as given when the language changes; one set as a function of the state is computed again.
    QString StatusText() const;
    void setStatusText(const QString& text);
    void setStatus(std::function<QString()> text);
    bool isBusy() const;

signals:
    // The window has closed (its device closed): the program ends its event loop.
    void closed();

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Opens device `number` (from 1); says so on the status line when another program holds it.
    void openDevice(int number);
    void buildHeader();
    void buildPages();
    void buildConnectPage(QWidget* page);
    void buildFilesGroup(QWidget* page);
    void buildButtons();
    // The window's own texts in the current language, and the buttons' faces fitted to them.
    void retranslate();
    void fitButtons();
    void showCaption();
    void wireTorvik();
    void setBusy(bool busy);
    void setPagesEnabled(bool enabled);
    void setTabShown(Page page, bool shown);
    // The voltage-range group that carries InputOptions bits 1-2 for the current input groups.
    qv7::pages::TRadioGroup* voltageRangeGroup() const;
    void focusField(QWidget* field);
    // A parameter or table write is being sent.
    bool isWriting() const;
    // The status line after a file action: `done` or `failed` with the chosen file's name.
    void sayFileResult(const char* failed, const char* done);

    std::unique_ptr<TTorvik> torvik_;
    std::unique_ptr<TFileDialogs> dialogs_;
    bool shown_ = false;
    bool serviceMode_ = false;
    std::function<void(const std::string&)> trace_;
    // Why the last frame was refused; none since the last answer.
    std::optional<std::pair<TRejectReason, int>> lastRefusal_;
    bool noAnswerShown_ = false; // the status line says the indicator does not answer
    std::function<QString()> status_;
    QString serial_; // of the indicator the caption names; empty: none named

    Tled* LedConnect = nullptr;
    TLabelLangue* LabelLangue4 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    TBitBtnLangue* BtnScan = nullptr;
    TPageControl* PageControl = nullptr;
    QPushButton* BtnReadAll = nullptr;
    QPushButton* BtnWriteAll = nullptr;
    QPushButton* BtnQuit = nullptr;
    QStatusBar* StatusBar = nullptr;
    QLabel* StatusLabel = nullptr;
    QTimer* RetryOpen = nullptr; // tries an indicator held by another program again
    int retryNumber_ = 0;
    int deviceCount_ = 0; // at the last scan
    QWidget* Pages[PageCount] = {};
    TGroupBoxLangue* GroupBoxLangue5 = nullptr;
    TBitBtnLangue* BtnLoad = nullptr;
    TBitBtnLangue* BtnSave = nullptr;
    QPushButton* BtnEditLin = nullptr;
    qv7::pages::TIdentPage* identPage_ = nullptr;
    qv7::pages::TCfgPage* cfgPage_ = nullptr;
    qv7::pages::TEntCourantPage* courantPage_ = nullptr;
    qv7::pages::TEntTensionPage* tensionPage_ = nullptr;
    qv7::pages::TEntRtdPage* rtdPage_ = nullptr;
    qv7::pages::TEntTCPage* tcPage_ = nullptr;
    qv7::pages::TProcessPage* processPage_ = nullptr;
    qv7::pages::TDisplayPage* displayPage_ = nullptr;
    qv7::pages::TAlarmPage* alarmPages_[4] = {};
    qv7::pages::TOutputPage* outputPage_ = nullptr;
    qv7::pages::TRs485Page* rs485Page_ = nullptr;
    qv7::pages::TServicePage* servicePage_ = nullptr;
};
