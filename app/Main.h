// TMainForm: the tool's main window. It owns the indicator component Torvik, follows the link
// coming and going, starts the full read on connection, carries the scan, read-all, write-all,
// file, editor, about and quit actions, and shows the program's one status line. Window thread;
// the component's events reach it already queued onto this thread.
#pragma once

#include "indicator/Torvik.h"

#include <QWidget>

#include <memory>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTabWidget;
class TBitBtnLangue;
class TFileDialogs;
class TLabelLangue;
class TGroupBoxLangue;
class Tled;
namespace qv7 {
class HidAccess;
}

class TMainForm : public QWidget {
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
    void TorvikReadAllCompleted(); // pages enabled, page 1 with the model name, status emptied
    void TorvikWriteAllCompleted();
    void TorvikReadADCValues();
    void BtnReadAllClick();
    void BtnWriteAllClick();
    void BtnSaveClick();
    void BtnLoadClick(); // refreshes the pages after every attempt, even a failed one
    void BtnEditLinClick();
    void Image1Click();
    void BtnQuitClick();

    // The status line's one text, and whether the window shows the hourglass.
    QString StatusText() const;
    void setStatusText(const QString& text);
    bool isBusy() const;

signals:
    // The window has closed (its device closed): the program ends its event loop.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Opens device `number` (from 1); says so on the status line when another program holds it.
    void openDevice(int number);
    void buildHeader();
    void buildPages();
    void buildConnectPage(QWidget* page);
    void buildIdentPage(QWidget* page);
    void buildProcessPage(QWidget* page);
    void buildButtons();
    void wireTorvik();
    void setBusy(bool busy);
    void setPagesEnabled(bool enabled);

    std::unique_ptr<TTorvik> torvik_;
    std::unique_ptr<TFileDialogs> dialogs_;
    bool shown_ = false;

    Tled* LedConnect = nullptr;
    TLabelLangue* LabelLangue4 = nullptr;
    QLabel* Image1 = nullptr;
    TBitBtnLangue* BtnScan = nullptr;
    QTabWidget* PageControl = nullptr;
    QPushButton* BtnReadAll = nullptr;
    QPushButton* BtnWriteAll = nullptr;
    QPushButton* BtnQuit = nullptr;
    QStatusBar* StatusBar = nullptr;
    QLabel* StatusLabel = nullptr;
    QWidget* Pages[PageCount] = {};
    TGroupBoxLangue* GroupBoxLangue5 = nullptr;
    TBitBtnLangue* BtnLoad = nullptr;
    TBitBtnLangue* BtnSave = nullptr;
    QPushButton* BtnEditLin = nullptr;
    QLabel* EdNameLabel = nullptr;
    QFrame* BevelName = nullptr;
    QLineEdit* EdName = nullptr;
    QWidget* GRLin = nullptr;
};
