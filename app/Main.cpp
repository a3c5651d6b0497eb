#include "app/Main.h"

#include "app/About.h"
#include "app/Application.h"
#include "app/Dialogs.h"
#include "app/DiffForm.h"
#include "app/EditCommands.h"
#include "app/Forms.h"
#include "app/LineStatus.h"
#include "app/MainControls.h"
#include "app/Options.h"
#include "app/PageControl.h"
#include "app/Select.h"
#include "app/SendChecks.h"
#include "app/Session.h"
#include "app/SheetPrint.h"
#include "app/StatusText.h"
#include "app/pages/IdentPage.h"
#include "app/pages/PageKit.h"
#include "app/pages/ProcessPage.h"
#include "app/pages/ServicePage.h"
#include "lineditor/Dessin.h"
#include "widgets/Bitmaps.h"
#include "widgets/DecimalSeparator.h"
#include "widgets/Led.h"
#include "widgets/Messages.h"
#include "widgets/MyControls.h"
#include "widgets/WindowLook.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>

using namespace qv7::pages;

constexpr char Caption[] = QT_TRANSLATE_NOOP("TMainForm", "Configuration  des indicateurs Zeq");

TMainForm::TMainForm(qv7::TransportSource transport, QWidget* parent)
    : QWidget(parent), torvik_(std::make_unique<TTorvik>(std::move(transport), this)),
      dialogs_(std::make_unique<TFileDialogs>()) {
    setObjectName(QStringLiteral("MainForm"));
    // A fixed frame with a close box only. A parentless tool window would lose its taskbar entry
    // on Linux desktops, so the frame is an ordinary one without minimise and maximise boxes.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowIcon(
        QIcon(QPixmap::fromImage(qv7::loadTransparentBitmap(QString::fromLatin1(qv7::LogoBitmap)))));
    setFont(qv7::windowFont());
    setFixedSize(TMainControls::ClientWidth, TMainControls::ClientHeight);
    setCursor(Qt::ArrowCursor);

    ui_ = std::make_unique<TMainControls>(this);
    session_ = new TSession(this);
    pages_ = new TMainPages(
        ui_->PageControl, ui_->TabConnect, *torvik_, [this](const QString& text) { setStatusText(text); },
        this);
    ui_->filesGroup(pages_->ident);
    ui_->BtnEditLin = pages_->process->BtnEditLin;
    ui_->PageControl->setCurrentIndex(TabConnect);
    ui_->PageControl->setEnabled(false);
    commands_ = new TEditCommands(
        *session_, [this] { ShowDifferences(); }, [this] { return ui_->PageControl->isEnabled(); }, this);
    retranslate();

    // The window is built: each bilingual control, the pages' included, shows its texts; then
    // labels and buttons are sized to them.
    for (QWidget* widget : findChildren<QWidget*>()) {
        if (auto* control = dynamic_cast<TLangueControl*>(widget)) control->Loaded();
    }
    ui_->fitButtons();
    ui_->orderKeys();

    RetryOpen = named(new QTimer(this), "RetryOpen");
    RetryOpen->setSingleShot(true);
    RetryOpen->setInterval(2000);
    connect(RetryOpen, &QTimer::timeout, this,
            [this] { qv7::runGuarded([this] { openDevice(retryNumber_); }); });

    torvik_->setDialogs(dialogs_.get());
    wireControls();
    wireTorvik();
    wireSession();
    new TSheetPrint(*this); // Ctrl+P prints the pages' configuration sheet; a child of the window
    // The page keys are the window's wherever the focus is: seen before any control can take them.
    qApp->installEventFilter(this);
}

TMainForm::~TMainForm() {
    // The component's reader thread reports to this window: stop it while the window is whole.
    torvik_.reset();
    // Fields losing the focus while the window is taken apart must not reach a session already gone.
    delete pages_;
}

// The texts this window sets itself; the bilingual controls and the pages set their own.
void TMainForm::retranslate() {
    showCaption();
    pages_->retranslate();
    ui_->retranslate();
    if (status_) ui_->StatusLabel->setText(status_());
}

// The caption, naming the indicator driven when there are several.
void TMainForm::showCaption() {
    const QString caption = tr(Caption);
    setWindowTitle(serial_.isEmpty() ? caption : tr("%1 - N° %2").arg(caption, serial_));
}

void TMainForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
        // The numbers on the pages take the new language's decimal separator.
        pages_->showSeparator(qv7::decimalSeparator());
    }
    QWidget::changeEvent(event);
}

bool TMainForm::event(QEvent* event) {
    // The window's children take the new language after the window itself: sizes follow once
    // every text is in place.
    const bool done = QWidget::event(event);
    if (event->type() == QEvent::LanguageChange) ui_->fitButtons();
    return done;
}

void TMainForm::wireControls() {
    const auto on = [this](QAbstractButton* button, void (TMainForm::*handler)()) {
        connect(button, &QAbstractButton::clicked, this,
                [this, handler] { qv7::runGuarded([this, handler] { (this->*handler)(); }); });
    };
    on(ui_->BtnScan, &TMainForm::BtnScanClick);
    on(ui_->BtnReadAll, &TMainForm::BtnReadAllClick);
    on(ui_->BtnWriteAll, &TMainForm::BtnWriteAllClick);
    on(ui_->BtnQuit, &TMainForm::BtnQuitClick);
    on(ui_->BtnLoad, &TMainForm::BtnLoadClick);
    on(ui_->BtnSave, &TMainForm::BtnSaveClick);
    on(ui_->BtnEditLin, &TMainForm::BtnEditLinClick);
    ui_->Image1->installEventFilter(this);
    // The edit commands' menu, wherever on the pages or the count of changes no control has its own.
    commands_->offerMenuOn(ui_->PageControl);
    commands_->offerMenuOn(ui_->ChangesLabel);
}

void TMainForm::wireSession() {
    pages_->attach(*session_, [this] { return torvik_->FourDigits(); });
    connect(session_, &TSession::changesChanged, this,
            [this] { ui_->showChangeCount(session_->changeCount()); });
    connect(session_, &TSession::transferChanged, this,
            [this](TSession::Transfer transfer) { setBusy(transfer != TSession::Transfer::Idle); });
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
        qv7::runGuarded([this, value] { pages_->service->TorvikCommandAnswered(value); });
    };
    torvik_->OnReadLinCompleted = [this](TComponent*, const TLinTable& table) {
        qv7::runGuarded([&] { TorvikReadLinCompleted(table); });
    };
    torvik_->OnWriteLinCompleted = [this](TComponent*) {
        qv7::runGuarded([this] { TorvikWriteLinCompleted(); });
    };
    torvik_->OnFrameRejected = [this](TComponent*, TRejectReason reason, int code) {
        lastRefusal_ = std::make_pair(reason, code);
        qv7::runGuarded([this, reason] { pages_->service->TorvikFrameRejected(reason); });
    };
    torvik_->OnAnswerState = [this](TComponent*, bool answering) {
        qv7::runGuarded([this, answering] { TorvikAnswerState(answering); });
    };
}

// ---------------------------------------------------------------------------------------------
// State of the frame

bool TMainForm::isBusy() const {
    return cursor().shape() == Qt::WaitCursor;
}

void TMainForm::setBusy(bool busy) {
    // The window's own cursor: it covers every control that does not set one, and a message box
    // or dialog shown meanwhile keeps its arrow.
    setCursor(busy ? Qt::WaitCursor : Qt::ArrowCursor);
}

void TMainForm::setPagesEnabled(bool enabled) {
    ui_->PageControl->setEnabled(enabled);
    ui_->BtnReadAll->setEnabled(enabled);
    ui_->BtnWriteAll->setEnabled(enabled);
}

TPageControl* TMainForm::pageControl() const {
    return ui_->PageControl;
}

void TMainForm::setServiceMode(bool on) {
    serviceMode_ = on;
    pages_->service->setServiceMode(on);
    if (shown_) pages_->setTabShown(TabZEQ, on);
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
    pages_->setTabShown(TabZEQ, serviceMode_);
    BtnScanClick();
}

void TMainForm::BtnScanClick() {
    if (!commands_->confirmDiscard()) return;
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
    // Each indicator by its place and its serial number: several alike are told apart by the latter.
    for (int k = 1; k <= count; ++k) {
        const QString serial = QString::fromStdString(torvik_->transport().identity(k).serial);
        // The serial number without words: the window may change its language while this one is open.
        SelectForm->addItem(serial.isEmpty() ? tr("USB N°%1").arg(k)
                                             : tr("USB N°%1").arg(k) + QStringLiteral(" — ") + serial);
    }
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
        openedSerial_ = QString::fromStdString(torvik_->transport().identity(number).serial);
        serial_ = deviceCount_ > 1 ? openedSerial_ : QString();
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
    // The USB device is there; the lamp waits for the indicator's first answer.
    connected_ = true;
    ui_->LedConnect->setLedStatus(false);
    ui_->setLinkState(qv7::LinkState::Connected);
    setStatus([] { return tr("Connexion"); });
    startReadAll();
}

void TMainForm::TorvikDisconnect() {
    pages_->service->stopLiveAdc();
    afterSheetTable_ = nullptr;
    linTableKnown_ = false;
    connected_ = false;
    ui_->LedConnect->setLedStatus(false);
    ui_->setLinkState(qv7::LinkState::Disconnected);
    setPagesEnabled(false);
    ui_->PageControl->setCurrentIndex(TabConnect);
    session_->setTransfer(TSession::Transfer::Idle);
    setStatus([] { return tr("Déconnexion"); });
}

// ---------------------------------------------------------------------------------------------
// The fill and write steps: the pages' binder does every control, in the table's terms.

void TMainForm::TorvikReadAllCompleted() {
    loadedFromFile_ = false;
    showImage(true);
    readOnce_ = true;
    if (!waitingFile_.isEmpty()) openParamFile(std::exchange(waitingFile_, QString()));
}

// The fill step for the record as it stands: read from the indicator (`read`), or loaded.
void TMainForm::showImage(bool read) {
    // The pages fill from a copy taken under the component's lock: a read started meanwhile may be
    // booking into the record on the reader thread.
    const TParamImage params = torvik_->paramsSnapshot();
    pages_->service->fillDeviceText(torvik_->DeviceText);
    setPagesEnabled(true);
    pages_->ident->fillName(torvik_->ModelName());
    pages_->show(params, read, read ? QString() : dialogs_->chosen().value_or(QString()));
    // The record keeps 2 for the third protection level (it is sent as 3).
    torvik_->editImage(
        [](TParamImage& image, TLinTable&) { image.Protection = std::min(image.Protection, 2); });
    session_->setTransfer(TSession::Transfer::Idle);
    ui_->PageControl->setCurrentIndex(TabIdent);
    setStatusText(QString());
}

void TMainForm::BtnWriteAllClick() {
    // Said first: a refusal below leaves it, where the last "Paramètres écrits" would claim this write.
    setStatus([] { return tr("Paramètres non écrits"); });
    TParamImage params = torvik_->paramsSnapshot();
    pages_->store(params);
    // Every field holds a value its parameter takes, and a loaded file sends nothing this indicator
    // does not offer.
    if (const auto fault = loadedFromFile_ ? qv7::paramSendFault(params) : std::nullopt)
        return qv7::showUnsendable(*fault);
    // Changes on pages the input type hides are sent only when the technician says so; otherwise the
    // indicator keeps its values there and they stay changes of the pages.
    const std::vector<const qv7::ParamRow*> hidden = pages_->hiddenChanges();
    const int count = static_cast<int>(hidden.size());
    if (count > 0 &&
        !qv7::askYesNo(tr("Ecriture"),
                       count == 1
                           ? tr("1 modification sur une page masquée : l'écrire ?")
                           : tr("%1 modifications sur des pages masquées : les écrire ?").arg(count))) {
        for (const qv7::ParamRow* row : hidden)
            qv7::storeRaw(*row, params, qv7::rawValue(*row, session_->reference()));
    }
    torvik_->editImage([&](TParamImage& image, TLinTable&) { image = params; });
    written_ = params;
    pages_->service->stopLiveAdc();
    torvik_->WriteAll();
    session_->setTransfer(TSession::Transfer::Writing);
    setStatus([] { return tr("Ecriture des paramètres"); });
}

void TMainForm::RdGrCFGClick(TRadioGroup* sender) {
    pages_->inputTypeChosen(sender);
}

void TMainForm::TorvikWriteAllCompleted() {
    // Raised only once the indicator acknowledged the last block: it holds what was written.
    session_->setTransfer(TSession::Transfer::Idle);
    TParamImage edited = session_->edited();
    session_->setReference(written_);
    session_->setEdited(edited);
    pages_->showChanges();
    setStatus([] { return tr("Paramètres écrits"); });
}

void TMainForm::TorvikReadADCValues(float fval1, float fval2) {
    pages_->service->TorvikReadADCValues(fval1, fval2);
}

void TMainForm::BtnReadAllClick() {
    if (commands_->confirmDiscard()) startReadAll();
}

void TMainForm::startReadAll() {
    pages_->service->stopLiveAdc();
    torvik_->ReadAll();
    setStatus([] { return tr("Lecture des paramètres"); });
    session_->setTransfer(TSession::Transfer::Reading);
}

// The file holds what the pages show: the indicator's image with every edit not yet written, each
// field refused as write-all refuses it (nothing saved, the focus on it).
void TMainForm::BtnSaveClick() {
    TParamImage params = torvik_->paramsSnapshot();
    pages_->store(params);
    const int unwritten = session_->changeCount();
    dialogs_->forget();
    try {
        torvik_->SaveToFile(params);
    } catch (...) {
        sayFileResult(QT_TR_NOOP("Fichier non enregistré : %1"), nullptr);
        throw;
    }
    sayFileResult(QT_TR_NOOP("Fichier non enregistré : %1"), QT_TR_NOOP("Fichier enregistré : %1"));
    if (unwritten == 0 || !dialogs_->chosen() || dialogs_->complained()) return;
    setStatus([unwritten, name = QFileInfo(*dialogs_->chosen()).fileName()] {
        return unwritten == 1 ? tr("Fichier enregistré : %1 (1 modification non écrite comprise)").arg(name)
                              : tr("Fichier enregistré : %1 (%2 modifications non écrites comprises)")
                                    .arg(name)
                                    .arg(unwritten);
    });
}

bool TMainForm::isWriting() const {
    const std::int32_t step = torvik_->Step.load();
    return qv7::stepOf(qv7::Transfer::WriteAll, step) || qv7::stepOf(qv7::Transfer::WriteTable, step);
}

void TMainForm::BtnLoadClick() {
    // The pages would show the file while the indicator is still being sent what they showed before.
    if (isWriting()) {
        qv7::showMessage(tr("Une écriture vers l'indicateur est en cours : attendez sa fin pour "
                            "charger un fichier."));
        return;
    }
    if (!commands_->confirmDiscard()) return;
    dialogs_->forget();
    // The pages show the image as it now stands after every attempt, a failed one included; the
    // marks then show where the file differs from the indicator.
    try {
        torvik_->LoadFromFile();
    } catch (...) {
        showImage(false);
        sayFileResult(QT_TR_NOOP("Fichier non chargé : %1"), nullptr);
        throw;
    }
    loadedFromFile_ = loadedFromFile_ || (dialogs_->chosen() && !dialogs_->complained());
    showImage(false);
    sayFileResult(QT_TR_NOOP("Fichier non chargé : %1"), QT_TR_NOOP("Fichier chargé : %1"));
}

void TMainForm::OpenFile(const QString& name) {
    if (qv7::openKindOf(name) == qv7::OpenKind::Curve) return openCurveFile(name);
    if (readOnce_) return openParamFile(name);
    waitingFile_ = name; // a later one replaces it
}

void TMainForm::openParamFile(const QString& name) {
    dialogs_->answerNext(name);
    // Not taken when the load stopped before its question (a write runs, changes were kept).
    const auto unused = qScopeGuard([this] { dialogs_->answerNext(std::nullopt); });
    BtnLoadClick();
}

void TMainForm::openCurveFile(const QString& name) {
    if (!DessinForm) return;
    if (DessinForm->isVisible()) {
        DessinForm->raise();
        DessinForm->activateWindow();
        return DessinForm->openFile(name);
    }
    // Loaded once the editor shows, so that what the load says is said over it.
    QMetaObject::invokeMethod(
        DessinForm, [name] { qv7::runGuarded([&name] { DessinForm->openFile(name); }); },
        Qt::QueuedConnection);
    BtnEditLinClick();
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

void TMainForm::ShowDifferences() {
    if (diffForm_ == nullptr) diffForm_ = new TDiffForm(this);
    QStringList hidden;
    for (const qv7::ParamRow* row : pages_->hiddenChanges())
        hidden << QString::fromStdString(row->key);
    diffForm_->showEdits(session_->reference(), session_->edited(), hidden);
    diffForm_->exec();
}

void TMainForm::Image1Click() {
    if (AboutBox) AboutBox->exec();
}

void TMainForm::BtnQuitClick() {
    close();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!commands_->confirmDiscard()) {
        event->ignore();
        return;
    }
    torvik_->CloseDevice();
    QWidget::closeEvent(event);
    emit closed();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        const auto& key = *static_cast<QKeyEvent*>(event);
        // A combo box, spin box or radio button would take Ctrl+PageDown as its own "next value",
        // and a combo box keeps Ctrl+Tab: no control of the window sees a page key.
        if (const int step = TPageControl::pageStep(key); step != 0) {
            if (ui_->PageControl->isEnabled()) ui_->PageControl->stepPage(step);
            event->accept();
            return true;
        }
        if (commands_->keyPressed(key)) {
            event->accept();
            return true;
        }
    }
    const auto isOpenKey = [](QEvent* e) {
        if (e->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(e)->key();
        return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    };
    if (watched == ui_->Image1 &&
        (isOpenKey(event) || (event->type() == QEvent::MouseButtonRelease &&
                              static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton))) {
        qv7::runGuarded([this] { Image1Click(); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
