#include "app/Main.h"

#include "app/About.h"
#include "app/Application.h"
#include "app/Dialogs.h"
#include "app/Forms.h"
#include "app/Select.h"
#include "lineditor/Dessin.h"
#include "widgets/Bitmaps.h"
#include "widgets/Led.h"
#include "widgets/MyControls.h"
#include "widgets/WindowLook.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>

namespace {

constexpr int ClientWidth = 273;
constexpr int ClientHeight = 504;
constexpr int StatusHeight = 19;

const char* const PageNames[TMainForm::PageCount] = {
    "TabConnect", "TabIdent",   "TabCfg",     "TabEntCourant", "TabEntTension", "TabEntRtd",
    "TabEntTC",   "TabProcess", "TabDisplay", "TabALR1",       "TabALR2",       "TabALR3",
    "TabALR4",    "TabSA",      "TabRS485",   "TabZEQ"};

const char* const PageCaptions[TMainForm::PageCount] = {
    "Connexion", "Identification", "Configuration", "Entrée",   "Entrée",   "Entrée", "Entrée", "Traitement",
    "Affichage", "Alarme 1",       "Alarme 2",      "Alarme 3", "Alarme 4", "Sortie", "RS485",  "Norvex"};

// Keeps a button's text whole at its fixed width: where this platform's sans-serif face runs wider
// than the face the window was drawn for, the button takes the condensed cut of the same face.
void fitText(QAbstractButton* button) {
    if (button->sizeHint().width() <= button->width()) return;
    QFont font = button->font();
    font.setStretch(QFont::Condensed);
    button->setFont(font);
}

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

TMainForm::TMainForm(qv7::HidAccess& access, QWidget* parent)
    : QWidget(parent), torvik_(std::make_unique<TTorvik>(access, this)),
      dialogs_(std::make_unique<TFileDialogs>()) {
    setObjectName(QStringLiteral("MainForm"));
    // A fixed frame with a close box only. A parentless tool window would lose its taskbar entry
    // on Linux desktops, so the frame is an ordinary one without minimise and maximise boxes.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Configuration  des indicateurs Zeq"));
    setWindowIcon(
        QIcon(QPixmap::fromImage(qv7::loadTransparentBitmap(QString::fromLatin1(qv7::LogoBitmap)))));
    setFont(qv7::windowFont());
    setFixedSize(ClientWidth, ClientHeight);
    setCursor(Qt::ArrowCursor);

    buildHeader();
    buildPages();
    buildButtons();
    setTabOrder(BtnScan, PageControl);
    setTabOrder(PageControl, BtnReadAll);
    setTabOrder(BtnReadAll, BtnWriteAll);
    setTabOrder(BtnWriteAll, BtnQuit);

    // The window is built: each bilingual control shows its French texts.
    for (TLangueControl* control :
         {static_cast<TLangueControl*>(LabelLangue4), static_cast<TLangueControl*>(BtnScan),
          static_cast<TLangueControl*>(GroupBoxLangue5), static_cast<TLangueControl*>(BtnLoad),
          static_cast<TLangueControl*>(BtnSave)})
        control->Loaded();
    // Labels size themselves to their text, as the window's labels always have.
    LabelLangue4->adjustSize();
    for (QAbstractButton* button :
         {static_cast<QAbstractButton*>(BtnScan), static_cast<QAbstractButton*>(BtnLoad),
          static_cast<QAbstractButton*>(BtnSave), static_cast<QAbstractButton*>(BtnReadAll),
          static_cast<QAbstractButton*>(BtnWriteAll), static_cast<QAbstractButton*>(BtnQuit),
          static_cast<QAbstractButton*>(BtnEditLin)})
        fitText(button);

    torvik_->setDialogs(dialogs_.get());
    wireTorvik();
}

TMainForm::~TMainForm() {
    // The component's reader thread reports to this window: stop it while the window is whole.
    torvik_.reset();
}

// ---------------------------------------------------------------------------------------------
// Construction

void TMainForm::buildHeader() {
    LedConnect = named(new Tled(this), "LedConnect");
    LedConnect->setKind(TLedKind::Green);
    LedConnect->setGeometry(24, 8, 16, 16);

    LabelLangue4 = named(new TLabelLangue(this), "LabelLangue4");
    LabelLangue4->CaptionSet()->setTexts(QStringLiteral("Présence de l'appareil USB"),
                                         QStringLiteral("USB Device connected"));
    LabelLangue4->move(48, 10);

    Image1 = named(new QLabel(this), "Image1");
    Image1->setGeometry(232, 1, 33, 33);
    Image1->setPixmap(QPixmap::fromImage(qv7::loadTransparentBitmap(QString::fromLatin1(qv7::LogoBitmap))));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setToolTip(QStringLiteral("Norvex"));
    Image1->installEventFilter(this);

    BtnScan = named(new TBitBtnLangue(this), "BtnScan");
    BtnScan->CaptionSet()->setTexts(QStringLiteral("Recheche du materiel USB"),
                                    QStringLiteral("Scan USB Device"));
    BtnScan->setGlyph(QString::fromLatin1(qv7::ScanGlyph));
    BtnScan->setIconSize(QSize(32, 32));
    BtnScan->setGeometry(8, 32, 257, 41);
    connect(BtnScan, &QPushButton::clicked, this, [this] { qv7::runGuarded([this] { BtnScanClick(); }); });
}

void TMainForm::buildPages() {
    PageControl = named(new QTabWidget(this), "PageControl");
    PageControl->setGeometry(8, 88, 257, 321);
    PageControl->setUsesScrollButtons(true);
    for (int i = 0; i < PageCount; ++i) {
        Pages[i] = named(new QWidget, PageNames[i]);
        PageControl->addTab(Pages[i], QString::fromUtf8(PageCaptions[i]));
    }
    buildConnectPage(Pages[TabConnect]);
    buildIdentPage(Pages[TabIdent]);
    buildProcessPage(Pages[TabProcess]);
    PageControl->setCurrentIndex(TabConnect);
    PageControl->setEnabled(false);
}

void TMainForm::buildConnectPage(QWidget* page) {
    auto* hint =
        named(new QLabel(QStringLiteral("Connecter la prise USB à l'arrière de l'appareil"), page), "Label1");
    // Wider faces than the window was drawn for would push the end of the hint off the page.
    hint->setWordWrap(true);
    hint->setGeometry(16, 32, 217, hint->heightForWidth(217));
}

void TMainForm::buildIdentPage(QWidget* page) {
    BevelName = named(new QFrame(page), "Bevel1");
    BevelName->setFrameShape(QFrame::Box);
    BevelName->setFrameShadow(QFrame::Sunken);
    BevelName->setGeometry(8, 8, 233, 50);
    EdNameLabel = named(new QLabel(QStringLiteral("Nom de l'appareil"), page), "Label2");
    EdNameLabel->move(24, 32);
    EdNameLabel->adjustSize();
    EdName = named(new QLineEdit(QStringLiteral("VUVEDOD"), page), "EdName");
    EdName->setReadOnly(true);
    EdName->setGeometry(128, 24, 89, 21);

    GroupBoxLangue5 = named(new TGroupBoxLangue(page), "GroupBoxLangue5");
    GroupBoxLangue5->CaptionSet()->setTexts(QStringLiteral("Fichiers sauvegardés"),
                                            QStringLiteral("Parameters files"));
    GroupBoxLangue5->setGeometry(8, 64, 233, 97);

    BtnLoad = named(new TBitBtnLangue(GroupBoxLangue5), "BtnLoad");
    BtnLoad->CaptionSet()->setTexts(QStringLiteral("Charge de nouveaux paramètres"),
                                    QStringLiteral("Load new parameters"));
    BtnLoad->setGlyph(QString::fromLatin1(qv7::LoadGlyph), 2);
    BtnLoad->setGeometry(16, 24, 201, 25);
    connect(BtnLoad, &QPushButton::clicked, this, [this] { qv7::runGuarded([this] { BtnLoadClick(); }); });

    BtnSave = named(new TBitBtnLangue(GroupBoxLangue5), "BtnSave");
    BtnSave->CaptionSet()->setTexts(QStringLiteral("Enregistre les paramètres en cours"),
                                    QStringLiteral("Save parameters"));
    BtnSave->setGlyph(QString::fromLatin1(qv7::SaveGlyph), 2);
    BtnSave->setGeometry(16, 56, 201, 25);
    connect(BtnSave, &QPushButton::clicked, this, [this] { qv7::runGuarded([this] { BtnSaveClick(); }); });
}

void TMainForm::buildProcessPage(QWidget* page) {
    auto* group = named(new QGroupBox(QStringLiteral("Linéarisation"), page), "GRLin");
    group->setGeometry(8, 152, 233, 73);
    GRLin = group;
    BtnEditLin = named(new QPushButton(QStringLiteral("Edition"), group), "BtnEditLin");
    BtnEditLin->setGeometry(128, 28, 89, 25);
    connect(BtnEditLin, &QPushButton::clicked, this,
            [this] { qv7::runGuarded([this] { BtnEditLinClick(); }); });
}

void TMainForm::buildButtons() {
    BtnReadAll =
        named(new QPushButton(QStringLiteral("Lecture complète de l'indicateur"), this), "BtnReadAll");
    BtnReadAll->setGeometry(8, 408, 257, 25);
    BtnReadAll->setEnabled(false);
    connect(BtnReadAll, &QPushButton::clicked, this,
            [this] { qv7::runGuarded([this] { BtnReadAllClick(); }); });

    BtnWriteAll =
        named(new QPushButton(QStringLiteral("Ecriture complète de l'indicateur"), this), "BtnWriteAll");
    BtnWriteAll->setGeometry(8, 432, 257, 25);
    BtnWriteAll->setEnabled(false);
    connect(BtnWriteAll, &QPushButton::clicked, this,
            [this] { qv7::runGuarded([this] { BtnWriteAllClick(); }); });

    BtnQuit = named(new QPushButton(QStringLiteral("Quitter le programme"), this), "BtnQuit");
    BtnQuit->setGeometry(8, 456, 257, 25);
    connect(BtnQuit, &QPushButton::clicked, this, [this] { qv7::runGuarded([this] { BtnQuitClick(); }); });

    StatusBar = named(new QStatusBar(this), "StatusBar");
    StatusBar->setSizeGripEnabled(false);
    StatusBar->setGeometry(0, ClientHeight - StatusHeight, ClientWidth, StatusHeight);
    // A label rather than showMessage(): a temporary message would be wiped by hover tips.
    StatusLabel = named(new QLabel(StatusBar), "StatusText");
    StatusBar->addWidget(StatusLabel, 1);
}

void TMainForm::wireTorvik() {
    // The component already delivers its events on this thread, in the order raised.
    torvik_->OnConnect = [this](TComponent*) { qv7::runGuarded([this] { TorvikConnect(); }); };
    torvik_->OnDisconnect = [this](TComponent*) { qv7::runGuarded([this] { TorvikDisconnect(); }); };
    torvik_->OnReadAllCompleted = [this](TComponent*) {
        qv7::runGuarded([this] { TorvikReadAllCompleted(); });
    };
    torvik_->OnWriteAllCompleted = [this](TComponent*) {
        qv7::runGuarded([this] { TorvikWriteAllCompleted(); });
    };
    torvik_->OnReadADCValues = [this](TComponent*, float, float) {
        qv7::runGuarded([this] { TorvikReadADCValues(); });
    };
}

// ---------------------------------------------------------------------------------------------
// State of the frame

QString TMainForm::StatusText() const {
    return StatusLabel->text();
}

void TMainForm::setStatusText(const QString& text) {
    StatusLabel->setText(text);
}

bool TMainForm::isBusy() const {
    return cursor().shape() == Qt::WaitCursor;
}

void TMainForm::setBusy(bool busy) {
    // The window's own cursor: it covers every control that does not set one, and a message box
    // or dialog shown meanwhile keeps its arrow.
    setCursor(busy ? Qt::WaitCursor : Qt::ArrowCursor);
}

void TMainForm::setPagesEnabled(bool enabled) {
    PageControl->setEnabled(enabled);
    BtnReadAll->setEnabled(enabled);
    BtnWriteAll->setEnabled(enabled);
}

// ---------------------------------------------------------------------------------------------
// Handlers

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_) return;
    shown_ = true;
    qv7::centreOnScreen(*this);
    // Queued so the window is on the screen before a selection window may open over it.
    QMetaObject::invokeMethod(
        this, [this] { qv7::runGuarded([this] { FormShow(); }); }, Qt::QueuedConnection);
}

void TMainForm::FormShow() {
    TorvikDisconnect();
    PageControl->setTabVisible(TabZEQ, false);
    BtnScanClick();
}

void TMainForm::BtnScanClick() {
    TorvikDisconnect();
    const int count = torvik_->ScanDevices();
    if (count == 1) {
        openDevice(1);
        return;
    }
    if (count <= 1 || !SelectForm) return;
    SelectForm->clearItems();
    for (int k = 1; k <= count; ++k)
        SelectForm->addItem(QStringLiteral("USB N°") + QString::number(k));
    SelectForm->setItemIndex(0);
    SelectForm->exec();
    // Closed by OK or by its close box alike; the first item stays selected unless the user chose.
    const int selected = SelectForm->itemIndex();
    if (selected >= 0) openDevice(selected + 1);
}

// Another program driving the indicator is said on the status line; the lamp stays red and the
// next scan tries again.
void TMainForm::openDevice(int number) {
    if (torvik_->OpenDevice(number) || torvik_->LockHolder() == 0) return;
    setStatusText(QStringLiteral("Utilisé par un autre programme (pid %1)").arg(torvik_->LockHolder()));
}

void TMainForm::TorvikConnect() {
    LedConnect->setLedStatus(true);
    setStatusText(QStringLiteral("Connexion"));
    BtnReadAllClick();
}

void TMainForm::TorvikDisconnect() {
    LedConnect->setLedStatus(false);
    setPagesEnabled(false);
    PageControl->setCurrentIndex(TabConnect);
    setBusy(false);
    setStatusText(QStringLiteral("Déconnexion"));
}

void TMainForm::TorvikReadAllCompleted() {
    setPagesEnabled(true);
    EdName->setText(torvik_->ModelName());
    setBusy(false);
    PageControl->setCurrentIndex(TabIdent);
    setStatusText(QString());
}

void TMainForm::TorvikWriteAllCompleted() {
    setBusy(false);
    setStatusText(QString());
}

void TMainForm::TorvikReadADCValues() {
    // The values are for the maker's bench; the page only acknowledges their arrival.
    QApplication::beep();
}

void TMainForm::BtnReadAllClick() {
    torvik_->ReadAll();
    setStatusText(QStringLiteral("Lecture des paramètres"));
    setBusy(true);
}

void TMainForm::BtnWriteAllClick() {
    torvik_->WriteAll();
    setBusy(true);
    setStatusText(QStringLiteral("Ecriture des paramètres"));
}

void TMainForm::BtnSaveClick() {
    torvik_->SaveToFile();
}

void TMainForm::BtnLoadClick() {
    try {
        torvik_->LoadFromFile();
    } catch (...) {
        // The pages show the image as it now stands after every attempt, a failed one included.
        TorvikReadAllCompleted();
        throw;
    }
    TorvikReadAllCompleted();
}

void TMainForm::BtnEditLinClick() {
    if (DessinForm) DessinForm->exec();
}

void TMainForm::Image1Click() {
    if (AboutBox) AboutBox->exec();
}

void TMainForm::BtnQuitClick() {
    close();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    torvik_->CloseDevice();
    QWidget::closeEvent(event);
    emit closed();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        qv7::runGuarded([this] { Image1Click(); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
