#include "app/MainControls.h"

#include "app/Help.h"
#include "app/PageControl.h"
#include "app/StatusText.h"
#include "app/pages/PageKit.h"
#include "widgets/Bitmaps.h"
#include "widgets/Led.h"
#include "widgets/MyControls.h"
#include "widgets/RadioFocus.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>

using qv7::pages::named;

namespace {

constexpr int StatusHeight = 19;
// What the status bar keeps around and between its two labels.
constexpr int StatusGaps = 14;

// Keeps a button's text whole at its fixed width: where this platform's sans-serif face runs wider
// than the face the window was drawn for, the button takes the condensed cut of the same face. A
// button condensed for a longer text of another language takes its full width again first.
void fitText(QAbstractButton* button) {
    QFont font = button->font();
    if (font.stretch() == QFont::Condensed) {
        font.setStretch(QFont::AnyStretch);
        button->setFont(font);
    }
    if (button->sizeHint().width() <= button->width()) return;
    font.setStretch(QFont::Condensed);
    button->setFont(font);
}

} // namespace

TMainControls::TMainControls(QWidget* window) : window_(window) {
    LedConnect = named(new Tled(window), "LedConnect");
    LedConnect->setKind(TLedKind::Green);
    LedConnect->setGeometry(24, 8, 16, 16);

    LabelLangue4 = named(new TLabelLangue(window), "LabelLangue4");
    LabelLangue4->move(48, 10);

    Image1 = named(new QLabel(window), "Image1");
    Image1->setGeometry(232, 1, 33, 33);
    Image1->setPixmap(QPixmap::fromImage(qv7::loadTransparentBitmap(QString::fromLatin1(qv7::LogoBitmap))));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setToolTip(QStringLiteral("Norvex"));
    Image1->setFocusPolicy(Qt::TabFocus);
    Image1->setStyleSheet(QStringLiteral("QLabel#Image1:focus { border: 1px dotted palette(text); }"));

    BtnScan = named(new TBitBtnLangue(window), "BtnScan");
    BtnScan->CaptionSet()->setTexts(QStringLiteral("Recheche du materiel USB"),
                                    QStringLiteral("Scan USB Device"));
    BtnScan->setGlyph(QString::fromLatin1(qv7::ScanGlyph));
    BtnScan->setIconSize(QSize(32, 32));
    BtnScan->setGeometry(8, 32, 257, 41);

    PageControl = named(new TPageControl(window), "PageControl");
    PageControl->setGeometry(8, 88, 257, 321);
    PageControl->setUsesScrollButtons(true);
    TabConnect = named(new QWidget, "TabConnect");
    Label1 = named(new QLabel(TabConnect), "Label1");
    Label1->setWordWrap(true);
    // The page control is disabled exactly while the link is in trouble: the page's explanation
    // keeps the normal text colour then.
    QPalette readable = Label1->palette();
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text})
        readable.setColor(QPalette::Disabled, role, readable.color(QPalette::Active, role));
    Label1->setPalette(readable);

    BtnReadAll = named(new QPushButton(window), "BtnReadAll");
    BtnReadAll->setGeometry(8, 408, 257, 25);
    BtnReadAll->setEnabled(false);
    BtnWriteAll = named(new QPushButton(window), "BtnWriteAll");
    BtnWriteAll->setGeometry(8, 432, 257, 25);
    BtnWriteAll->setEnabled(false);
    BtnQuit = named(new QPushButton(window), "BtnQuit");
    BtnQuit->setGeometry(8, 456, 257, 25);

    StatusBar = named(new QStatusBar(window), "StatusBar");
    StatusBar->setSizeGripEnabled(false);
    StatusBar->setGeometry(0, ClientHeight - StatusHeight, ClientWidth, StatusHeight);
    // A label rather than showMessage(): a temporary message would be wiped by hover tips.
    StatusLabel = named(new TStatusText(StatusBar), "StatusText");
    StatusBar->addWidget(StatusLabel, 1);
    ChangesLabel = named(new QLabel(StatusBar), "ChangesText");
    ChangesLabel->setContentsMargins(0, 0, 4, 0);
    StatusBar->addPermanentWidget(ChangesLabel);
    ChangesLabel->hide();
}

void TMainControls::filesGroup(QWidget* page) {
    GroupBoxLangue5 = named(new TGroupBoxLangue(page), "GroupBoxLangue5");
    GroupBoxLangue5->CaptionSet()->setTexts(QStringLiteral("Fichiers sauvegardés"),
                                            QStringLiteral("Parameters files"));
    GroupBoxLangue5->setGeometry(8, 64, 233, 97);

    BtnLoad = named(new TBitBtnLangue(GroupBoxLangue5), "BtnLoad");
    BtnLoad->CaptionSet()->setTexts(QStringLiteral("Charge de nouveaux paramètres"),
                                    QStringLiteral("Load new parameters"));
    BtnLoad->setGlyph(QString::fromLatin1(qv7::LoadGlyph), 2);
    BtnLoad->setGeometry(16, 24, 201, 25);

    BtnSave = named(new TBitBtnLangue(GroupBoxLangue5), "BtnSave");
    BtnSave->CaptionSet()->setTexts(QStringLiteral("Enregistre les paramètres en cours"),
                                    QStringLiteral("Save parameters"));
    BtnSave->setGlyph(QString::fromLatin1(qv7::SaveGlyph), 2);
    BtnSave->setGeometry(16, 56, 201, 25);
}

void TMainControls::retranslate() {
    setLinkState(linkState_);
    BtnReadAll->setText(QCoreApplication::translate("TMainForm", "Lecture complète de l'indicateur"));
    BtnWriteAll->setText(QCoreApplication::translate("TMainForm", "Ecriture complète de l'indicateur"));
    BtnQuit->setText(QCoreApplication::translate("TMainForm", "Quitter le programme"));
    showChangeCount(changeCount_);
}

void TMainControls::orderKeys() {
    QWidget::setTabOrder(BtnScan, PageControl);
    QWidget::setTabOrder(PageControl, BtnReadAll);
    QWidget::setTabOrder(BtnReadAll, BtnWriteAll);
    QWidget::setTabOrder(BtnWriteAll, BtnQuit);
    QWidget::setTabOrder(BtnQuit, Image1);
    qv7::keepTabOnChecked(window_);
    new QShortcut(QKeySequence::HelpContents, window_, [window = window_] { qv7::showHelp(window); });
}

void TMainControls::setLinkState(qv7::LinkState state) {
    linkState_ = state;
    Label1->setText(qv7::connectPageText(state));
    // The words beside the lamp say what its red means.
    switch (state) {
    case qv7::LinkState::NoAnswer:
        LabelLangue4->CaptionSet()->setTexts(QStringLiteral("l'indicateur ne répond pas"),
                                             QStringLiteral("indicator not answering"));
        break;
    case qv7::LinkState::Refused:
        LabelLangue4->CaptionSet()->setTexts(QStringLiteral("l'indicateur refuse les requêtes"),
                                             QStringLiteral("indicator refusing requests"));
        break;
    case qv7::LinkState::Disconnected:
    case qv7::LinkState::Connected:
        LabelLangue4->CaptionSet()->setTexts(QStringLiteral("Présence de l'appareil USB"),
                                             QStringLiteral("USB Device connected"));
        break;
    }
    LabelLangue4->Repaint();
    // Wider faces than the window was drawn for would push the end of the hint off the page.
    Label1->setGeometry(16, 32, 217, Label1->heightForWidth(217));
}

// Labels size themselves to their text, as the window's labels always have, and the buttons take
// the face their text needs.
void TMainControls::fitButtons() {
    for (auto* label : window_->findChildren<TLabelLangue*>())
        label->adjustSize();
    for (QAbstractButton* button :
         {static_cast<QAbstractButton*>(BtnScan), static_cast<QAbstractButton*>(BtnLoad),
          static_cast<QAbstractButton*>(BtnSave), static_cast<QAbstractButton*>(BtnReadAll),
          static_cast<QAbstractButton*>(BtnWriteAll), static_cast<QAbstractButton*>(BtnQuit), BtnEditLin})
        if (button != nullptr) fitText(button);
}

void TMainControls::showChangeCount(int count) {
    changeCount_ = count;
    ChangesLabel->setVisible(count > 0);
    fitStatusLine();
}

void TMainControls::fitStatusLine() {
    const QString full =
        changeCount_ == 1
            ? QCoreApplication::translate("TMainForm", "1 modification non écrite")
            : QCoreApplication::translate("TMainForm", "%1 modifications non écrites").arg(changeCount_);
    // The count gives way first: where the message and the whole count do not fit side by side,
    // the count shrinks to its number and the page mark, whole in its tooltip.
    const QFontMetrics metrics = StatusLabel->fontMetrics();
    const QMargins margins = ChangesLabel->contentsMargins();
    const int room = ClientWidth - StatusGaps - margins.left() - margins.right();
    const bool fits =
        metrics.horizontalAdvance(StatusLabel->text()) + metrics.horizontalAdvance(full) <= room;
    ChangesLabel->setText(fits ? full : QStringLiteral("%1 *").arg(changeCount_));
    ChangesLabel->setToolTip(fits ? QString() : full);
}
