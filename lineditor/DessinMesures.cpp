// TDessinForm: "Mesures…", the curve fitted to measured pairs in a dialog of its own.
#include "lineditor/Dessin.h"
#include "lineditor/Mesures.h"

void TDessinForm::Btn_MesClick() {
    TMesuresForm form(this);
    if (form.exec() != QDialog::Accepted) return;
    const std::vector<qv7::LinFilePoint> points = form.curve();
    if (points.size() >= 2) setCurve(points, Origin::Fit);
    SetupGrid();
}
