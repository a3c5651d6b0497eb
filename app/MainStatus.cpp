// The main window's status line and lamp: what the last action came to, and what the link does.
#include "app/Main.h"

#include "app/LineStatus.h"
#include "app/MainControls.h"
#include "app/StatusText.h"
#include "widgets/Led.h"

// A few requests in a row went without a valid answer: the lamp turns red and the status line names
// the request and the last refusal (an exception as the indicator's refusal), until the next valid
// answer, which brings back what the line said before.
void TMainForm::TorvikAnswerState(bool answering) {
    ui_->LedConnect->setKind(answering ? TLedKind::Green : TLedKind::Red);
    ui_->LedConnect->setLedStatus(true);
    if (!answering) {
        const std::int32_t step = torvik_->Step.load();
        std::function<QString()> before = noAnswerShown_ ? statusBeforeNoAnswer_ : status_;
        setStatus([step, refusal = lastRefusal_] { return qv7::noAnswerText(step, refusal); });
        statusBeforeNoAnswer_ = std::move(before);
        noAnswerShown_ = true;
        ui_->setLinkState(qv7::noAnswerState(lastRefusal_));
    } else {
        if (noAnswerShown_)
            setStatus(statusBeforeNoAnswer_ ? statusBeforeNoAnswer_ : [] { return QString(); });
        ui_->setLinkState(qv7::LinkState::Connected);
    }
    lastRefusal_.reset();
}

QString TMainForm::StatusText() const {
    return ui_->StatusLabel->text();
}

void TMainForm::setStatusText(const QString& text) {
    setStatus([text] { return text; });
}

void TMainForm::setStatus(std::function<QString()> text) {
    status_ = std::move(text);
    noAnswerShown_ = false;
    statusBeforeNoAnswer_ = nullptr;
    ui_->StatusLabel->setText(status_());
    ui_->fitStatusLine();
}
