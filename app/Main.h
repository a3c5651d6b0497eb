// TMainForm: the tool's main window. It owns the indicator component Torvik, follows the link
// coming and going, starts the full read on connection, carries the scan, read-all, write-all,
// file, editor, about and quit actions, and shows the program's one status line. Window thread;
// the component's events reach it already queued onto this thread.
#pragma once

#include "app/MainPages.h"
#include "indicator/Torvik.h"
#include "lineditor/LinDevice.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

class QTimer;
class TDiffForm;
class TEditCommands;
class TFileDialogs;
class TPageControl;
class TSession;
struct TMainControls;

class TMainForm : public QWidget, public TLinDevice, public TMainPageIds {
    Q_OBJECT
public:
    // Builds every control and the component on `transport` (a HID access must outlive the window).
    explicit TMainForm(qv7::TransportSource transport, QWidget* parent = nullptr);
    ~TMainForm() override;

    TTorvik& Torvik() { return *torvik_; }
    // The parameters the window works on: the indicator's, the pages' edits, the transfer.
    TSession& Session() { return *session_; }

    // --- Handlers (window thread). Each may raise the run-time errors of the actions it calls. ---
    void FormShow();         // first showing: disconnected, service tab hidden, scan
    void BtnScanClick();     // drops to Disconnected, counts the devices and opens one
    void TorvikConnect();    // LED on, then the full read
    void TorvikDisconnect(); // LED off, pages and read/write disabled, page 0, "Déconnexion"
    // The fill step: every page from Params, which become the indicator's values the edits are
    // measured against; page 1, status emptied.
    void TorvikReadAllCompleted();
    void TorvikWriteAllCompleted();
    void TorvikReadADCValues(float fval1, float fval2);
    // answering false: "L'appareil ne répond pas" with the request, red lamp; true: both cleared.
    void TorvikAnswerState(bool answering);
    // Asks before changes not written are dropped (also BtnScanClick, BtnLoadClick and closing).
    void BtnReadAllClick();
    // The write step: every page into a copy of Params; only when every field holds a value its
    // parameter takes does the copy become Params and the write-all start. A field that does not
    // raises ERangeError with the focus on it, and Params is left untouched.
    void BtnWriteAllClick();
    // The input-type pages for the item chosen in `sender` (RdGrCFG1 or RdGrCFG2; null: none).
    void RdGrCFGClick(qv7::pages::TRadioGroup* sender);
    void BtnSaveClick();
    // Refreshes the pages after every attempt, even a failed one; refused while a write runs.
    void BtnLoadClick();
    void BtnEditLinClick(); // hands the editor this window as its indicator, then shows it modally
    // The differences window: the pages' changes, or a file compared with the indicator.
    void ShowDifferences();
    void Image1Click();
    void BtnQuitClick();
    // A file named on the command line or by a second copy. A .LIN opens the editor with its curve, as
    // the editor's "Charge" loads it. A .QV is loaded as BtnLoadClick loads the chosen file (asking
    // first about changes not written); until the indicator's parameters were first read it waits,
    // so that the read neither overwrites it nor is refused for it, and the marks show where the file
    // differs from the indicator.
    void OpenFile(const QString& name);
    // The .QV waiting for the first read; empty when none.
    QString waitingFile() const { return waitingFile_; }

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
    // Reads the table for the sheet with the transfer window, then runs `then`; the editor's curve is
    // left alone. Nothing runs when the link goes before the table came.
    void ReadLinForSheet(std::function<void()> then);
    // The table was read from the indicator or written to it since the last open.
    bool linTableKnown() const { return linTableKnown_; }
    // An indicator is open (from its connection to its disconnection).
    bool connected() const { return connected_; }

    // Every frame sent and received, as "TX : …" / "RX : …" (qv7cfg --trace); empty for none.
    void setTrace(std::function<void(const std::string&)> trace) { trace_ = std::move(trace); }

    // The technicians' mode (qv7cfg --service): the service page's tab stays shown.
    void setServiceMode(bool on);
    bool serviceMode() const { return serviceMode_; }

    // The pages (tests and pictures).
    qv7::pages::TIdentPage* identPage() const { return pages_->ident; }
    qv7::pages::TCfgPage* cfgPage() const { return pages_->cfg; }
    qv7::pages::TEntCourantPage* courantPage() const { return pages_->courant; }
    qv7::pages::TEntTensionPage* tensionPage() const { return pages_->tension; }
    qv7::pages::TEntRtdPage* rtdPage() const { return pages_->rtd; }
    qv7::pages::TEntTCPage* tcPage() const { return pages_->tc; }
    qv7::pages::TProcessPage* processPage() const { return pages_->process; }
    qv7::pages::TDisplayPage* displayPage() const { return pages_->display; }
    qv7::pages::TAlarmPage* alarmPage(int number) const { return pages_->alarms[number - 1]; }
    qv7::pages::TOutputPage* outputPage() const { return pages_->output; }
    qv7::pages::TRs485Page* rs485Page() const { return pages_->rs485; }
    qv7::pages::TServicePage* servicePage() const { return pages_->service; }
    TMainPages& pages() const { return *pages_; }
    // The serial number of the indicator last opened; empty when it gives none.
    const QString& SerialNumber() const { return openedSerial_; }
    TDiffForm* diffForm() const { return diffForm_; }
    TPageControl* pageControl() const;
    // Whether a page's tab is in the strip.
    bool tabShown(Page page) const { return pages_->tabShown(page); }

    // The status line's one text (MainStatus.cpp), and whether the window shows the hourglass. A text set as
    // such stays as given when the language changes; one set as a function of the state is computed again.
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
    void retranslate();
    void wireControls();
    void wireTorvik();
    void wireSession();
    void showCaption();
    void setBusy(bool busy);
    void setPagesEnabled(bool enabled);
    void startReadAll();
    void showImage(bool read);
    // A parameter or table write is being sent.
    bool isWriting() const;
    // The status line after a file action: `done` or `failed` with the chosen file's name.
    void sayFileResult(const char* failed, const char* done);
    void openParamFile(const QString& name);
    void openCurveFile(const QString& name);

    std::unique_ptr<TTorvik> torvik_;
    std::unique_ptr<TFileDialogs> dialogs_;
    std::unique_ptr<TMainControls> ui_;
    TSession* session_ = nullptr;
    TMainPages* pages_ = nullptr;
    TEditCommands* commands_ = nullptr;
    TDiffForm* diffForm_ = nullptr;
    // The pages show a loaded file, not what the indicator holds: checked before it is sent.
    bool loadedFromFile_ = false;
    bool readOnce_ = false; // the indicator's parameters were read at least once
    QString waitingFile_;
    TParamImage written_; // the write-all's image, the indicator's once acknowledged
    bool shown_ = false;
    bool serviceMode_ = false;
    std::function<void(const std::string&)> trace_;
    // Why the last frame was refused; none since the last answer.
    std::optional<std::pair<TRejectReason, int>> lastRefusal_;
    bool noAnswerShown_ = false;                    // the status line says the indicator does not answer
    std::function<QString()> statusBeforeNoAnswer_; // said again once the indicator answers
    std::function<QString()> status_;
    QString serial_;             // of the indicator the caption names; empty: none named
    QString openedSerial_;       // of the indicator last opened, as it reports it
    QTimer* RetryOpen = nullptr; // tries an indicator held by another program again
    int retryNumber_ = 0;
    int deviceCount_ = 0; // at the last scan
    bool linTableKnown_ = false;
    bool connected_ = false;
    std::function<void()> afterSheetTable_; // what waits for the table read for the sheet
};
