#include "app/Main.h"

#include "app/About.h"
#include "app/Application.h"
#include "app/Dialogs.h"
#include "app/Forms.h"
#include "app/LineStatus.h"
#include "app/PageControl.h"
#include "app/Select.h"
#include "app/SheetPrint.h"
#include "app/pages/AlarmPage.h"
#include "app/pages/CfgPage.h"
#include "app/pages/DisplayPage.h"
#include "app/pages/IdentPage.h"
#include "app/pages/InputPages.h"
#include "app/pages/OutputPage.h"
#include "app/pages/PageKit.h"
#include "app/pages/ProcessPage.h"
#include "app/pages/Rs485Page.h"
#include "app/pages/ServicePage.h"
#include "indicator/PageCaptions.h"
#include "lineditor/Dessin.h"
#include "widgets/Bitmaps.h"
#include "widgets/DecimalSeparator.h"
#include "widgets/Led.h"
#include "widgets/Messages.h"
#include "widgets/MyControls.h"
#include "widgets/WindowLook.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <mutex>

using namespace qv7::pages;

namespace {

constexpr int ClientWidth = 273;
constexpr int ClientHeight = 504;
constexpr int StatusHeight = 19;
constexpr char Caption[] = QT_TRANSLATE_NOOP("TMainForm", "Configuration  des indicateurs Zeq");

const char* const PageNames[TMainForm::PageCount] = {
    "TabConnect", "TabIdent",   "TabCfg",     "TabEntCourant", "TabEntTension", "TabEntRtd",
    "TabEntTC",   "TabProcess", "TabDisplay", "TabALR1",       "TabALR2",       "TabALR3",
    "TabALR4",    "TabSA",      "TabRS485",   "TabZEQ"};

// The tabs' captions; "RS485" and "Norvex" are names and stay as they are.
namespace caption = qv7::pagecaption;
const char* const PageCaptions[TMainForm::PageCount] = {
    caption::Connect, caption::Ident,   caption::Cfg,     caption::Input,  caption::Input,  caption::Input,
    caption::Input,   caption::Process, caption::Display, caption::Alarm1, caption::Alarm2, caption::Alarm3,
    caption::Alarm4,  caption::Output,  caption::Rs485,   caption::Service};

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

TMainForm::TMainForm(qv7::HidAccess& access, QWidget* parent)
    : QWidget(parent), torvik_(std::make_unique<TTorvik>(access, this)),
      dialogs_(std::make_unique<TFileDialogs>()) {
    setObjectName(QStringLiteral("MainForm"));
    // A fixed frame with a close box only. A parentless tool window would lose its taskbar entry
    // on Linux desktops, so the frame is an ordinary one without minimise and maximise boxes.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowIcon(
        QIcon(QPixmap::fromImage(qv7::loadTransparentBitmap(QString::fromLatin1(qv7::LogoBitmap)))));
    setFont(qv7::windowFont());
    setFixedSize(ClientWidth, ClientHeight);
    setCursor(Qt::ArrowCursor);

    buildHeader();
    buildPages();
    buildButtons();
    retranslate();
    setTabOrder(BtnScan, PageControl);
    setTabOrder(PageControl, BtnReadAll);
    setTabOrder(BtnReadAll, BtnWriteAll);
    setTabOrder(BtnWriteAll, BtnQuit);

    // The window is built: each bilingual control, the pages' included, shows its texts; then
    // labels and buttons are sized to them.
    for (QWidget* widget : findChildren<QWidget*>()) {
        if (auto* control = dynamic_cast<TLangueControl*>(widget)) control->Loaded();
    }
    fitButtons();

    RetryOpen = named(new QTimer(this), "RetryOpen");
    RetryOpen->setSingleShot(true);
    RetryOpen->setInterval(2000);
    connect(RetryOpen, &QTimer::timeout, this,
            [this] { qv7::runGuarded([this] { openDevice(retryNumber_); }); });

    torvik_->setDialogs(dialogs_.get());
    wireTorvik();
    new TSheetPrint(*this); // Ctrl+P prints the pages' configuration sheet; a child of the window
    // The page keys are the window's wherever the focus is: seen before any control can take them.
    qApp->installEventFilter(this);
}

// The texts this window sets itself; the bilingual controls and the pages set their own.
void TMainForm::retranslate() {
    showCaption();
    for (int i = 0; i < PageCount; ++i)
        PageControl->setTabText(i, tr(PageCaptions[i]));
    Label1->setText(tr("Connecter la prise USB à l'arrière de l'appareil"));
    // Wider faces than the window was drawn for would push the end of the hint off the page.
    Label1->setGeometry(16, 32, 217, Label1->heightForWidth(217));
    BtnReadAll->setText(tr("Lecture complète de l'indicateur"));
    BtnWriteAll->setText(tr("Ecriture complète de l'indicateur"));
    BtnQuit->setText(tr("Quitter le programme"));
    if (status_) StatusLabel->setText(status_());
}

// Labels size themselves to their text, as the window's labels always have, and the buttons take
// the face their text needs.
void TMainForm::fitButtons() {
    for (auto* label : findChildren<TLabelLangue*>())
        label->adjustSize();
    for (QAbstractButton* button :
         {static_cast<QAbstractButton*>(BtnScan), static_cast<QAbstractButton*>(BtnLoad),
          static_cast<QAbstractButton*>(BtnSave), static_cast<QAbstractButton*>(BtnReadAll),
          static_cast<QAbstractButton*>(BtnWriteAll), static_cast<QAbstractButton*>(BtnQuit),
          static_cast<QAbstractButton*>(BtnEditLin)})
        fitText(button);
}

// The caption, naming the indicator driven when there are several.
void TMainForm::showCaption() {
    const QString caption = tr(Caption);
    setWindowTitle(serial_.isEmpty() ? caption : tr("%1 - N° %2").arg(caption, serial_));
}

void TMainForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QWidget::changeEvent(event);
}

bool TMainForm::event(QEvent* event) {
    // The window's children take the new language after the window itself: sizes follow once
    // every text is in place.
    const bool done = QWidget::event(event);
    if (event->type() == QEvent::LanguageChange) fitButtons();
    return done;
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
    PageControl = named(new TPageControl(this), "PageControl");
    PageControl->setGeometry(8, 88, 257, 321);
    PageControl->setUsesScrollButtons(true);
    const FourDigitsQuery fourDigits = [this] { return torvik_->FourDigits(); };

    Pages[TabConnect] = named(new QWidget, PageNames[TabConnect]);
    buildConnectPage(Pages[TabConnect]);
    Pages[TabIdent] = identPage_ = new TIdentPage;
    buildFilesGroup(identPage_);
    Pages[TabCfg] = cfgPage_ = new TCfgPage;
    Pages[TabEntCourant] = courantPage_ = new TEntCourantPage;
    Pages[TabEntTension] = tensionPage_ = new TEntTensionPage;
    Pages[TabEntRtd] = rtdPage_ = new TEntRtdPage;
    Pages[TabEntTC] = tcPage_ = new TEntTCPage;
    Pages[TabProcess] = processPage_ = new TProcessPage;
    Pages[TabDisplay] = displayPage_ = new TDisplayPage(fourDigits);
    for (int n = 1; n <= 4; ++n)
        Pages[TabALR1 + n - 1] = alarmPages_[n - 1] = new TAlarmPage(n, fourDigits);
    Pages[TabSA] = outputPage_ = new TOutputPage(fourDigits);
    Pages[TabRS485] = rs485Page_ = new TRs485Page;
    Pages[TabZEQ] = servicePage_ =
        new TServicePage(*torvik_, [this](const QString& text) { setStatusText(text); });
    for (int i = 0; i < PageCount; ++i)
        PageControl->addTab(Pages[i], QString());

    connect(cfgPage_, &TCfgPage::RdGrCFGClicked, this,
            [this](TRadioGroup* sender) { qv7::runGuarded([this, sender] { RdGrCFGClick(sender); }); });
    BtnEditLin = processPage_->BtnEditLin;
    connect(BtnEditLin, &QPushButton::clicked, this,
            [this] { qv7::runGuarded([this] { BtnEditLinClick(); }); });
    PageControl->setCurrentIndex(TabConnect);
    PageControl->setEnabled(false);
}

void TMainForm::buildConnectPage(QWidget* page) {
    Label1 = named(new QLabel(page), "Label1");
    Label1->setWordWrap(true);
}

void TMainForm::buildFilesGroup(QWidget* page) {
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

void TMainForm::buildButtons() {
    BtnReadAll = named(new QPushButton(this), "BtnReadAll");
    BtnReadAll->setGeometry(8, 408, 257, 25);
    BtnReadAll->setEnabled(false);
    connect(BtnReadAll, &QPushButton::clicked, this,
            [this] { qv7::runGuarded([this] { BtnReadAllClick(); }); });

    BtnWriteAll = named(new QPushButton(this), "BtnWriteAll");
    BtnWriteAll->setGeometry(8, 432, 257, 25);
    BtnWriteAll->setEnabled(false);
    connect(BtnWriteAll, &QPushButton::clicked, this,
            [this] { qv7::runGuarded([this] { BtnWriteAllClick(); }); });

    BtnQuit = named(new QPushButton(this), "BtnQuit");
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
    torvik_->OnReadADCValues = [this](TComponent*, float fval1, float fval2) {
        qv7::runGuarded([this, fval1, fval2] { TorvikReadADCValues(fval1, fval2); });
    };
    // One progress handler for both directions of the table transfers.
    torvik_->OnReadLin = [this](TComponent*, int position) {
        qv7::runGuarded([&] { TorvikReadLin(position); });
    };
    torvik_->OnWriteLin = torvik_->OnReadLin;
    // The frames go to the trace, when one is asked for.
    const auto trace = [this](TComponent*, const std::string& text) {
        if (trace_) trace_(text);
    };
    torvik_->TxDebugStream = trace;
    torvik_->RxDebugStream = trace;
    torvik_->OnCommandAnswered = [this](TComponent*, int value) {
        qv7::runGuarded([this, value] { servicePage_->TorvikCommandAnswered(value); });
    };
    torvik_->OnReadLinCompleted = [this](TComponent*, const TLinTable& table) {
        qv7::runGuarded([&] { TorvikReadLinCompleted(table); });
    };
    torvik_->OnWriteLinCompleted = [this](TComponent*) {
        qv7::runGuarded([this] { TorvikWriteLinCompleted(); });
    };
    torvik_->OnFrameRejected = [this](TComponent*, TRejectReason reason, int code) {
        lastRefusal_ = std::make_pair(reason, code);
        qv7::runGuarded([this, reason] { servicePage_->TorvikFrameRejected(reason); });
    };
    torvik_->OnAnswerState = [this](TComponent*, bool answering) {
        qv7::runGuarded([this, answering] { TorvikAnswerState(answering); });
    };
}

// A few requests in a row went without a valid answer: the lamp turns red and the status line names
// the request and the last refusal, until the next valid answer.
void TMainForm::TorvikAnswerState(bool answering) {
    LedConnect->setKind(answering ? TLedKind::Green : TLedKind::Red);
    if (!answering) {
        const std::int32_t step = torvik_->Step.load();
        setStatus([step, refusal = lastRefusal_] {
            return qv7::noAnswerText(step,
                                     refusal ? qv7::refusalText(refusal->first, refusal->second) : QString());
        });
        noAnswerShown_ = true;
    } else if (noAnswerShown_) {
        setStatusText(QString());
    }
    lastRefusal_.reset();
}

// ---------------------------------------------------------------------------------------------
// State of the frame

QString TMainForm::StatusText() const {
    return StatusLabel->text();
}

void TMainForm::setStatusText(const QString& text) {
    setStatus([text] { return text; });
}

void TMainForm::setStatus(std::function<QString()> text) {
    status_ = std::move(text);
    noAnswerShown_ = false;
    StatusLabel->setText(status_());
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

void TMainForm::setTabShown(Page page, bool shown) {
    PageControl->setPageShown(page, shown);
}

TPageControl* TMainForm::pageControl() const {
    return PageControl;
}

bool TMainForm::tabShown(Page page) const {
    return PageControl->isPageShown(page);
}

void TMainForm::setServiceMode(bool on) {
    serviceMode_ = on;
    servicePage_->setServiceMode(on);
    if (shown_) setTabShown(TabZEQ, on);
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
    // Hidden for good, except for the technicians of --service.
    setTabShown(TabZEQ, serviceMode_);
    BtnScanClick();
}

void TMainForm::BtnScanClick() {
    RetryOpen->stop();
    TorvikDisconnect();
    const int count = torvik_->ScanDevices();
    deviceCount_ = count;
    if (count == 1) {
        openDevice(1);
        return;
    }
    if (count <= 1 || !SelectForm) return;
    SelectForm->clearItems();
    for (int k = 1; k <= count; ++k)
        SelectForm->addItem(tr("USB N°%1").arg(k));
    SelectForm->setItemIndex(0);
    SelectForm->exec();
    // Closed by OK or by its close box alike; the first item stays selected unless the user chose.
    const int selected = SelectForm->itemIndex();
    if (selected >= 0) openDevice(selected + 1);
}

// Another program driving the indicator is said on the status line; the lamp stays red and the
// same indicator is tried again every few seconds until it is free (or the user scans).
void TMainForm::openDevice(int number) {
    RetryOpen->stop();
    if (torvik_->OpenDevice(number)) {
        // Among several indicators the window says which one it drives.
        serial_ = deviceCount_ > 1 ? QString::fromStdString(torvik_->Bridge().SerialNumberString(number))
                                   : QString();
        showCaption();
        return;
    }
    const qint64 holder = torvik_->LockHolder();
    if (holder == 0) return;
    setStatus([holder] {
        return holder > 0 ? tr("Utilisé par un autre programme (pid %1)").arg(holder)
                          : tr("Utilisé par un autre programme");
    });
    retryNumber_ = number;
    RetryOpen->start();
}

void TMainForm::TorvikConnect() {
    LedConnect->setKind(TLedKind::Green);
    LedConnect->setLedStatus(true);
    setStatus([] { return tr("Connexion"); });
    BtnReadAllClick();
}

void TMainForm::TorvikDisconnect() {
    servicePage_->stopLiveAdc();
    LedConnect->setLedStatus(false);
    setPagesEnabled(false);
    PageControl->setCurrentIndex(TabConnect);
    setBusy(false);
    setStatus([] { return tr("Déconnexion"); });
}

// ---------------------------------------------------------------------------------------------
// The fill and write steps: the order is the window's, each page does its share.

void TMainForm::TorvikReadAllCompleted() {
    // The pages fill from a copy taken under the component's lock: a read started meanwhile may be
    // booking into the record on the reader thread.
    TParamImage params = torvik_->paramsSnapshot();
    const std::uint32_t T = params.DeviceType;
    const QChar separator = qv7::decimalSeparator();
    // 1-3: the service page's first action, the pages enabled, the model name, the service flag.
    servicePage_->fillDeviceText(torvik_->DeviceText);
    setPagesEnabled(true);
    identPage_->fillName(torvik_->ModelName());
    servicePage_->fillServiceFlag(T);
    // 4: which pages and groups the type word allows.
    using qv7::pages::hasParam;
    setTabShown(TabCfg, hasParam("input.type", T));
    cfgPage_->showGroups(T);
    tensionPage_->showGroups(T);
    // Always decided again by the input type below; this is the first guess the window makes.
    setTabShown(TabDisplay, (T & 0x0B00) != 0);
    for (int n = 1; n <= 4; ++n)
        setTabShown(static_cast<Page>(TabALR1 + n - 1), hasParam(alarmPages_[n - 1]->key("threshold"), T));
    setTabShown(TabSA, hasParam("output.full_scale", T));
    setTabShown(TabRS485, hasParam("rs485.baud", T));
    // 5: the input type, and the pages it shows.
    if (TRadioGroup* group = cfgPage_->activeGroup(tabShown(TabCfg))) {
        TCfgPage::fillInputConfig(group, params);
        RdGrCFGClick(group);
    } else {
        // A fixed input: the pages of the inputs it has.
        setTabShown(TabEntCourant, hasParam("input.current_range", T));
        setTabShown(TabEntTension, hasParam("input.voltage_range", T));
        setTabShown(TabEntRtd, hasParam("input.probe_wiring", T));
        setTabShown(TabEntTC, hasParam("input.thermocouple", T));
        processPage_->showLinearisation(true);
        setTabShown(TabDisplay, true);
    }
    TEntTensionPage::fillRange(voltageRangeGroup(), params);
    // 6-12: the display preview, the input pages, linearisation, temperature, filter, the display
    // range, the decimal point and the modulo.
    displayPage_->fillDigits(torvik_->FourDigits());
    courantPage_->fill(params);
    rtdPage_->fill(params);
    tcPage_->fill(params);
    processPage_->fillLin(params);
    processPage_->fillTemperature(params);
    processPage_->fillFilter(params, separator);
    displayPage_->fillRange(params);
    displayPage_->fillPoint(params);
    processPage_->fillModulo(params);
    // 13-16: protection (clamped to 2 in the record itself), output, serial port, the alarms.
    identPage_->fillProtection(params);
    torvik_->editImage([&](TParamImage& image, TLinTable&) { image.Protection = params.Protection; });
    outputPage_->fill(params);
    rs485Page_->fill(params);
    for (int n = 1; n <= 4; ++n)
        alarmPages_[n - 1]->fill(params.Alarms[static_cast<std::size_t>(n - 1)], separator);
    // 17.
    setBusy(false);
    PageControl->setCurrentIndex(TabIdent);
    setStatusText(QString());
}

TRadioGroup* TMainForm::voltageRangeGroup() const {
    // The two-choice input's own group; the five-choice and the fixed inputs take the three-range
    // group, the one their voltage page shows.
    if (cfgPage_->activeGroup(tabShown(TabCfg)) == cfgPage_->RdGrCFG2) return tensionPage_->RdGrTension2;
    return tensionPage_->RdGrTension1;
}

TParamImage TMainForm::pagesImage() {
    TParamImage params = torvik_->paramsSnapshot();
    try {
        // 1-3: InputOptions. Each page replaces only the bits its controls carry.
        if (TRadioGroup* group = cfgPage_->activeGroup(tabShown(TabCfg)))
            TCfgPage::storeInputConfig(group, params);
        TEntTensionPage::storeRange(voltageRangeGroup(), params);
        courantPage_->store(params);
        tcPage_->store(params);
        rtdPage_->store(params);
        // 4-7: linearisation, filter, display range, display flags.
        processPage_->storeLin(params);
        processPage_->storeFilter(params);
        displayPage_->storeRange(params);
        displayPage_->storePoint(params);
        processPage_->storeDisplayFlags(params);
        // 8-11: protection, output, serial port, the alarms.
        identPage_->storeProtection(params);
        outputPage_->store(params);
        rs485Page_->store(params);
        for (int n = 1; n <= 4; ++n)
            alarmPages_[n - 1]->store(params.Alarms[static_cast<std::size_t>(n - 1)], params.DeviceType);
    } catch (const FieldRangeError& error) {
        focusField(error.field());
        throw;
    }
    return params;
}

void TMainForm::BtnWriteAllClick() {
    const TParamImage params = pagesImage();
    // 12: every field fits.
    torvik_->editImage([&](TParamImage& image, TLinTable&) { image = params; });
    servicePage_->stopLiveAdc();
    torvik_->WriteAll();
    setBusy(true);
    setStatus([] { return tr("Ecriture des paramètres"); });
}

void TMainForm::focusField(QWidget* field) {
    if (field == nullptr) return;
    for (int i = 0; i < PageCount; ++i) {
        if (Pages[i]->isAncestorOf(field) && tabShown(static_cast<Page>(i))) PageControl->setCurrentIndex(i);
    }
    field->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
}

void TMainForm::RdGrCFGClick(TRadioGroup* sender) {
    for (Page page : {TabEntCourant, TabEntTension, TabEntRtd, TabEntTC, TabDisplay})
        setTabShown(page, false);
    processPage_->GRLin->hide();
    processPage_->GRTemperature->hide();
    if (sender == nullptr) return;
    const int item = sender->ItemIndex();
    switch (item) {
    case 0:
        setTabShown(TabEntCourant, true);
        setTabShown(TabDisplay, true);
        processPage_->GRLin->show();
        break;
    case 1:
        setTabShown(TabEntTension, true);
        setTabShown(TabDisplay, true);
        processPage_->GRLin->show();
        break;
    case 2:
        setTabShown(TabEntRtd, true);
        processPage_->GRTemperature->show();
        break;
    case 3:
        setTabShown(TabEntTC, true);
        processPage_->GRTemperature->show();
        break;
    case 4:
        setTabShown(TabDisplay, true);
        processPage_->GRLin->show();
        break;
    default:
        break;
    }
    servicePage_->inputTypeChosen(item);
}

void TMainForm::TorvikWriteAllCompleted() {
    setBusy(false);
    // Raised only once the indicator acknowledged the last block.
    setStatus([] { return tr("Paramètres écrits"); });
}

void TMainForm::TorvikReadADCValues(float fval1, float fval2) {
    servicePage_->TorvikReadADCValues(fval1, fval2);
}

void TMainForm::BtnReadAllClick() {
    servicePage_->stopLiveAdc();
    torvik_->ReadAll();
    setStatus([] { return tr("Lecture des paramètres"); });
    setBusy(true);
}

void TMainForm::BtnSaveClick() {
    dialogs_->forget();
    try {
        torvik_->SaveToFile();
    } catch (...) {
        sayFileResult(QT_TR_NOOP("Fichier non enregistré : %1"), nullptr);
        throw;
    }
    sayFileResult(QT_TR_NOOP("Fichier non enregistré : %1"), QT_TR_NOOP("Fichier enregistré : %1"));
}

bool TMainForm::isWriting() const {
    const std::int32_t step = torvik_->Step.load();
    return step == 101 || step == 102 || (step >= 110 && step <= 118);
}

void TMainForm::BtnLoadClick() {
    // The pages would show the file while the indicator is still being sent what they showed before.
    if (isWriting()) {
        qv7::showMessage(tr("Une écriture vers l'indicateur est en cours : attendez sa fin pour "
                            "charger un fichier."));
        return;
    }
    dialogs_->forget();
    try {
        torvik_->LoadFromFile();
    } catch (...) {
        // The pages show the image as it now stands after every attempt, a failed one included.
        TorvikReadAllCompleted();
        sayFileResult(QT_TR_NOOP("Fichier non chargé : %1"), nullptr);
        throw;
    }
    TorvikReadAllCompleted();
    sayFileResult(QT_TR_NOOP("Fichier non chargé : %1"), QT_TR_NOOP("Fichier chargé : %1"));
}

void TMainForm::sayFileResult(const char* failed, const char* done) {
    const std::optional<QString>& chosen = dialogs_->chosen();
    if (!chosen) return; // cancelled: nothing happened
    const char* said = done == nullptr || dialogs_->complained() ? failed : done;
    setStatus([said, name = QFileInfo(*chosen).fileName()] { return tr(said).arg(name); });
}

void TMainForm::BtnEditLinClick() {
    if (!DessinForm) return;
    DessinForm->setDevice(this);
    DessinForm->setXfertForm(XfertForm);
    DessinForm->exec();
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
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        // A combo box, spin box or radio button would take Ctrl+PageDown as its own "next value",
        // and a combo box keeps Ctrl+Tab: no control of the window sees a page key.
        if (const int step = TPageControl::pageStep(*static_cast<QKeyEvent*>(event)); step != 0) {
            if (PageControl->isEnabled()) PageControl->stepPage(step);
            event->accept();
            return true;
        }
    }
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        qv7::runGuarded([this] { Image1Click(); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
