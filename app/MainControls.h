// TMainControls: the main window's own controls outside the pages: the header (LED, logo, scan
// button), the page control with its first page, the parameter-files group, the three buttons and the
// status line with its count of changes not written. Built once into the window, which wires them to
// its handlers. Window thread only.
#pragma once

#include "app/LineStatus.h"

#include <QString>

class QAbstractButton;
class QLabel;
class QPushButton;
class QStatusBar;
class QWidget;
class TBitBtnLangue;
class TGroupBoxLangue;
class TLabelLangue;
class TPageControl;
class TStatusText;
class Tled;

struct TMainControls {
    static constexpr int ClientWidth = 273;
    static constexpr int ClientHeight = 504;

    // Builds the controls into `window` (the files group comes with filesGroup()).
    explicit TMainControls(QWidget* window);
    // The parameter-files group, on the identification page.
    void filesGroup(QWidget* page);
    // The texts the window sets itself, in the current language; then labels and buttons fitted.
    void retranslate();
    void fitButtons();
    // The keyboard's way through the window, once every page is built: Tab from the scan button to
    // the logo (which opens the about box with Enter or Space), radio sets entered on their checked
    // item, F1 for the help.
    void orderKeys();
    // What the Connection page says of the link.
    void setLinkState(qv7::LinkState state);
    // The count of changes not written, on the right of the status line; hidden for none.
    void showChangeCount(int count);
    // The count in full beside the status text when both fit, else shortened ("3 *"): the status
    // text is cut only when it cannot be whole beside the shortest count. After every status text.
    void fitStatusLine();

    Tled* LedConnect = nullptr;
    TLabelLangue* LabelLangue4 = nullptr;
    QLabel* Image1 = nullptr;
    TBitBtnLangue* BtnScan = nullptr;
    TPageControl* PageControl = nullptr;
    QWidget* TabConnect = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* BtnReadAll = nullptr;
    QPushButton* BtnWriteAll = nullptr;
    QPushButton* BtnQuit = nullptr;
    QStatusBar* StatusBar = nullptr;
    TStatusText* StatusLabel = nullptr;
    QLabel* ChangesLabel = nullptr;
    TGroupBoxLangue* GroupBoxLangue5 = nullptr;
    TBitBtnLangue* BtnLoad = nullptr;
    TBitBtnLangue* BtnSave = nullptr;
    QAbstractButton* BtnEditLin = nullptr; // the processing page's, fitted with the others

private:
    QWidget* window_;
    int changeCount_ = 0;
    qv7::LinkState linkState_ = qv7::LinkState::Disconnected;
};
