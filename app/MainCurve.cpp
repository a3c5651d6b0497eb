// TMainForm: the linearisation table transfers between the editor's curve and the indicator. The
// editor starts them through TLinDevice; the component's progress and completion events come back
// here on the window thread.
#include "app/Forms.h"
#include "app/Main.h"
#include "app/Session.h"
#include "app/pages/ServicePage.h"
#include "base/Errors.h"
#include "indicator/LinCurve.h"
#include "lineditor/Dessin.h"
#include "lineditor/Draw.h"
#include "widgets/Messages.h"
#include "widgets/Xfert.h"

#include <QCoreApplication>
#include <QProgressBar>

#include <algorithm>
#include <mutex>

namespace {
// The component reports 0-127 (a read's registers, a write's blocks); the bar's range is shorter,
// so the last reports show it full.
constexpr int LastPosition = 127;
} // namespace

void TMainForm::ReadLin() {
    pages_->service->stopLiveAdc();
    torvik_->ReadLin();
    setStatus([] { return tr("Lecture de la courbe"); });
}

bool TMainForm::SendCurveToDevice(TDraw& Draw1) {
    const int last = Draw1.NbSegment;
    // The table holds 32 points: a longer curve would be cut while LinLastPoint named a point
    // beyond them, so nothing is sent.
    if (last >= qv7::LinTablePoints) {
        qv7::showMessage(QCoreApplication::translate("LinCurve", qv7::LinCurveTooLong));
        return false;
    }
    const auto lastPoint = qv7::checked<std::uint8_t>(last);
    std::vector<qv7::LinFilePoint> curve;
    for (int i = 0; i <= last; ++i)
        curve.push_back({Draw1.Points[i].X, Draw1.Points[i].Y});
    // What a table read would refuse, or X that does not rise, is not sent.
    if (const auto fault = qv7::linSendFault(curve)) {
        qv7::showMessage(qv7::linSendFaultText(*fault));
        return false;
    }
    // All 32 entries go, those past the curve's last point as they stand.
    TLinTable table{};
    for (int i = 0; i < qv7::LinTablePoints; ++i)
        table[static_cast<std::size_t>(i)] = qv7::linTablePoint(Draw1.Points[i].X, Draw1.Points[i].Y);
    torvik_->editImage([&](TParamImage& params, TLinTable& lin) {
        lin = table;
        params.LinLastPoint = lastPoint;
    });
    pages_->service->stopLiveAdc();
    torvik_->WriteLin();
    setStatus([] { return tr("Ecriture de la courbe"); });
    return true;
}

void TMainForm::TorvikWriteLinCompleted() {
    // Raised only once the indicator acknowledged the last point count: it holds the register of the
    // activation and the point count as the component's image has them. The differences and the
    // sheet measure against that, and the pages show the curve's point count.
    linTableKnown_ = true;
    const TParamImage held = torvik_->paramsSnapshot();
    if (session_->hasReference() && session_->origin().isEmpty()) {
        TParamImage reference = session_->reference();
        TParamImage edited = session_->edited();
        reference.LinEnable = held.LinEnable;
        reference.LinLastPoint = edited.LinLastPoint = held.LinLastPoint;
        session_->setReference(reference);
        session_->setEdited(edited);
        pages_->fill(edited, torvik_->FourDigits());
        pages_->showChanges();
    }
    setStatus([] { return tr("Courbe écrite"); });
}

void TMainForm::TorvikReadLin(int position) {
    if (!XfertForm) return;
    QProgressBar* bar = XfertForm->Progress();
    bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
    if (position >= LastPosition) XfertForm->close();
}

void TMainForm::ReadLinForSheet(std::function<void()> then) {
    afterSheetTable_ = std::move(then);
    ReadLin();
    if (!XfertForm) return;
    XfertForm->Progress()->setValue(0);
    XfertForm->show();
}

void TMainForm::TorvikReadLinCompleted(const TLinTable& ReadLinTable) {
    linTableKnown_ = true;
    if (afterSheetTable_) {
        const std::function<void()> then = std::move(afterSheetTable_);
        afterSheetTable_ = nullptr;
        if (XfertForm) XfertForm->close();
        setStatusText(QString());
        then();
        return;
    }
    if (!DessinForm) return;
    const int lastPoint = torvik_->paramsSnapshot().LinLastPoint;
    const auto curve = qv7::linCurveFromTable(ReadLinTable, lastPoint);
    if (!curve) {
        setStatus([] { return QCoreApplication::translate("LinCurve", qv7::LinTableError); });
        qv7::showMessage(StatusText());
        DessinForm->newCurve();
        return;
    }
    // The editor's title names where its curve came from: no longer the last file.
    DessinForm->setCurve(*curve, TDessinForm::Origin::Device);
    setStatus([] { return tr("Courbe lue"); });
}
