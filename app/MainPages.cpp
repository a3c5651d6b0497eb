#include "app/MainPages.h"

#include "app/PageControl.h"
#include "app/Session.h"
#include "app/pages/AlarmPage.h"
#include "app/pages/CfgPage.h"
#include "app/pages/DisplayPage.h"
#include "app/pages/IdentPage.h"
#include "app/pages/InputPages.h"
#include "app/pages/OutputPage.h"
#include "app/pages/PageKit.h"
#include "app/pages/PageSeparator.h"
#include "app/pages/ProcessPage.h"
#include "app/pages/Rs485Page.h"
#include "app/pages/ServicePage.h"
#include "indicator/PageCaptions.h"
#include "indicator/Torvik.h"
#include "widgets/RunTimeErrors.h"
#include "widgets/SEGMENTS.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>

using namespace qv7::pages;

namespace {

// The tabs' captions; "RS485" and "Norvex" are names and stay as they are.
namespace caption = qv7::pagecaption;
const char* const PageCaptions[TMainPageIds::PageCount] = {
    caption::Connect, caption::Ident,   caption::Cfg,     caption::Input,  caption::Input,  caption::Input,
    caption::Input,   caption::Process, caption::Display, caption::Alarm1, caption::Alarm2, caption::Alarm3,
    caption::Alarm4,  caption::Output,  caption::Rs485,   caption::Service};

} // namespace

TMainPages::TMainPages(TPageControl* control, QWidget* connectPage, TTorvik& torvik,
                       std::function<void(const QString&)> say, QObject* parent)
    : QObject(parent), control_(control) {
    const FourDigitsQuery fourDigits = [&torvik] { return torvik.FourDigits(); };
    pages_[TabConnect] = connectPage;
    pages_[TabIdent] = ident = new TIdentPage;
    pages_[TabCfg] = cfg = new TCfgPage;
    pages_[TabEntCourant] = courant = new TEntCourantPage;
    pages_[TabEntTension] = tension = new TEntTensionPage;
    pages_[TabEntRtd] = rtd = new TEntRtdPage;
    pages_[TabEntTC] = tc = new TEntTCPage;
    pages_[TabProcess] = process = new TProcessPage;
    pages_[TabDisplay] = display = new TDisplayPage(fourDigits);
    for (int n = 1; n <= 4; ++n)
        pages_[TabALR1 + n - 1] = alarms[n - 1] = new TAlarmPage(n, fourDigits);
    pages_[TabSA] = output = new TOutputPage(fourDigits);
    pages_[TabRS485] = rs485 = new TRs485Page;
    pages_[TabZEQ] = service = new TServicePage(torvik, std::move(say));
    for (int i = 0; i < PageCount; ++i)
        control_->addTab(pages_[i], QString());

    binder_.bindAll(control_);
    connect(&binder_, &TParamBinder::edited, this, &TMainPages::edited);
    // The previews change by their buttons only.
    connect(display->SpeedButton4, &QToolButton::clicked, this,
            [this] { binder_.controlEdited(display->SEGAFF); });
    connect(process->SpeedButton5, &QToolButton::clicked, this,
            [this] { binder_.controlEdited(process->SEGMod); });
    connect(cfg, &TCfgPage::RdGrCFGClicked, this,
            [this](TRadioGroup* sender) { qv7::runGuarded([this, sender] { inputTypeChosen(sender); }); });
}

void TMainPages::retranslate() {
    // The tooltips speak the window's language too.
    if (session_ != nullptr) binder_.showChanges(session_->reference(), session_->edited());
    retranslateTabs();
}

void TMainPages::showSeparator(QChar separator) {
    binder_.showSeparator(separator);
    for (QWidget* page : pages_)
        if (page != nullptr) qv7::pages::showSeparator(page, separator);
}

void TMainPages::retranslateTabs() {
    for (int i = 0; i < PageCount; ++i) {
        const QString caption = QCoreApplication::translate("TMainForm", PageCaptions[i]);
        control_->setTabText(i, binder_.marksUnder(pages_[i]) ? caption + QStringLiteral(" *") : caption);
    }
}

bool TMainPages::tabShown(Page page) const {
    return control_->isPageShown(page);
}

void TMainPages::setTabShown(Page page, bool shown) {
    control_->setPageShown(page, shown);
}

// Which pages and groups the type word allows; the input type decides again below.
void TMainPages::showPagesOf(std::uint32_t T) {
    setTabShown(TabCfg, hasParam("input.type", T));
    cfg->showGroups(T);
    tension->showGroups(T);
    setTabShown(TabDisplay, (T & qv7::typeword::DisplayedInputs) != 0);
    for (int n = 1; n <= 4; ++n)
        setTabShown(static_cast<Page>(TabALR1 + n - 1), hasParam(alarms[n - 1]->key("threshold"), T));
    setTabShown(TabSA, hasParam("output.full_scale", T));
    setTabShown(TabRS485, hasParam("rs485.baud", T));
}

void TMainPages::fill(const TParamImage& image, bool fourDigits) {
    // Pages are hidden and shown again on the way, which moves the strip off the page shown: that
    // page, and the field holding the focus on it, stay where they were when the record still has
    // them (an undo leaves the technician where he was typing).
    const int current = control_->currentIndex();
    QWidget* const focused = QApplication::focusWidget();
    const QPointer<QWidget> focus = focused != nullptr && control_->isAncestorOf(focused) ? focused : nullptr;
    fillPages(image, fourDigits);
    if (current >= 0 && current < PageCount && tabShown(static_cast<Page>(current)))
        control_->setCurrentIndex(current);
    if (focus && focus->isVisible()) focus->setFocus(Qt::OtherFocusReason);
}

void TMainPages::fillPages(const TParamImage& image, bool fourDigits) {
    const std::uint32_t T = image.DeviceType;
    service->fillServiceFlag(T);
    showPagesOf(T);
    display->fillDigits(fourDigits);
    binder_.fill(image);
    if (TRadioGroup* group = cfg->activeGroup(tabShown(TabCfg))) {
        inputTypeChosen(group);
    } else {
        // A fixed input: the pages of the inputs it has.
        setTabShown(TabEntCourant, hasParam("input.current_range", T));
        setTabShown(TabEntTension, hasParam("input.voltage_range", T));
        setTabShown(TabEntRtd, hasParam("input.probe_wiring", T));
        setTabShown(TabEntTC, hasParam("input.thermocouple", T));
        process->showLinearisation(true);
        setTabShown(TabDisplay, true);
    }
}

void TMainPages::store(TParamImage& image) const {
    try {
        binder_.store(image);
    } catch (const FieldRangeError& error) {
        focusField(error.field());
        throw;
    }
}

void TMainPages::focusField(QWidget* field) const {
    if (field == nullptr) return;
    for (int i = 0; i < PageCount; ++i) {
        if (pages_[i]->isAncestorOf(field) && tabShown(static_cast<Page>(i))) control_->setCurrentIndex(i);
    }
    field->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
}

void TMainPages::inputTypeChosen(TRadioGroup* sender) {
    for (Page page : {TabEntCourant, TabEntTension, TabEntRtd, TabEntTC, TabDisplay})
        setTabShown(page, false);
    process->GRLin->hide();
    process->GRTemperature->hide();
    if (sender == nullptr) return;
    const int item = sender->ItemIndex();
    // Current, voltage, probe, thermocouple, potentiometer: the input's page, then the display page
    // and linearisation for the linear inputs, the temperature group for the others.
    static constexpr Page InputPage[] = {TabEntCourant, TabEntTension, TabEntRtd, TabEntTC, TabConnect};
    if (item >= 0 && item <= 4) {
        if (InputPage[item] != TabConnect) setTabShown(InputPage[item], true);
        const bool linear = item == 0 || item == 1 || item == 4;
        setTabShown(TabDisplay, linear);
        (linear ? process->GRLin : process->GRTemperature)->show();
    }
    service->inputTypeChosen(item);
    // The changes the choice now hides or shows again are marked where they can be seen.
    if (session_ != nullptr) showChanges();
}

void TMainPages::attach(TSession& session, std::function<bool()> fourDigits) {
    session_ = &session;
    fourDigits_ = std::move(fourDigits);
    connect(this, &TMainPages::edited, this, &TMainPages::pagesEdited);
    connect(session_, &TSession::editedRestored, this, [this] {
        fill(session_->edited(), fourDigits_());
        showChanges();
    });
}

void TMainPages::pagesEdited(QWidget* control) {
    TParamImage image = session_->edited();
    binder_.storeWhatFits(image);
    session_->edit(image, control);
    showChanges();
}

void TMainPages::show(const TParamImage& image, bool reference, const QString& origin) {
    fill(image, fourDigits_());
    if (reference || !session_->hasReference()) session_->setReference(image, origin);
    // What the controls hold of it: a value no control shows the way it is read counts as a change.
    TParamImage shown = image;
    binder_.storeWhatFits(shown);
    filled_ = shown;
    session_->setEdited(shown);
    showChanges();
}

void TMainPages::showChanges() {
    binder_.showChanges(session_->reference(), session_->edited());
    QStringList hidden;
    for (const qv7::ParamRow* row : hiddenChanges())
        hidden << qv7::pages::rowLabel(*row);
    if (TRadioGroup* choice = cfg->activeGroup(tabShown(TabCfg))) binder_.markHiddenChanges(choice, hidden);
    retranslateTabs();
}

std::vector<const qv7::ParamRow*> TMainPages::hiddenChanges() const {
    std::vector<const qv7::ParamRow*> hidden;
    if (session_ == nullptr) return hidden;
    const auto shown = [this](const QWidget* control) {
        for (int i = 0; i < PageCount; ++i)
            if (pages_[i]->isAncestorOf(control))
                return tabShown(static_cast<Page>(i)) && control->isVisibleTo(pages_[i]);
        return false;
    };
    for (const qv7::ParamRow* row : session_->changedRows()) {
        // The technician's own changes: not a value the pages show otherwise than it was read.
        if (!qv7::paramPresent(*row, session_->edited().DeviceType) ||
            qv7::rawValue(*row, filled_) == qv7::rawValue(*row, session_->edited()))
            continue;
        const std::vector<QWidget*> controls = binder_.controlsOf(*row);
        if (!controls.empty() && std::none_of(controls.begin(), controls.end(), shown)) hidden.push_back(row);
    }
    return hidden;
}
