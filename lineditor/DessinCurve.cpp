// TDessinForm: where the curve came from (the title), the questions before an edited curve is
// dropped, and what the grid refuses of a typed point, in words: the point, the column, and the
// range the value must stay in or the rising rule of X.
#include "base/Numbers.h"
#include "lineditor/Dessin.h"
#include "lineditor/Draw.h"
#include "lineditor/StringGrid.h"
#include "widgets/DecimalSeparator.h"
#include "widgets/Messages.h"
#include "widgets/RunTimeErrors.h"

#include <QCloseEvent>
#include <QDir>

namespace {

QString shown(float value) {
    return QString::fromStdString(qv7::formatPattern(value, "##0.00", qv7::decimalSeparator().toLatin1()));
}

} // namespace

void TDessinForm::showCaption(Caption caption) {
    caption_ = caption;
    if (caption == Caption::Window) return setWindowTitle(tr("Linéarisation"));
    // Shown, the title names where the curve came from, and says when it was changed since.
    QString title;
    switch (origin_) {
    case Origin::Default:
        title = tr("Editeur de linéarisation - courbe par défaut");
        break;
    case Origin::Device:
        title = tr("Editeur de linéarisation - courbe lue dans l'indicateur");
        break;
    case Origin::File:
        title = QDir::toNativeSeparators(openFileName_);
        break;
    case Origin::Fit:
        title = tr("Editeur de linéarisation - courbe d'après des mesures");
        break;
    case Origin::Edit:
        title = tr("Editeur de linéarisation");
        break;
    }
    shownEdited_ = isEdited();
    setWindowTitle(shownEdited_ ? tr("%1 (modifiée)").arg(title) : title);
}

bool TDessinForm::isEdited() const {
    return curve() != originCurve_;
}

void TDessinForm::followEdits() {
    if (caption_ != Caption::Window && isEdited() != shownEdited_) showCaption(caption_);
}

void TDessinForm::keepAsOrigin(Origin origin) {
    origin_ = origin;
    originCurve_ = curve();
    if (caption_ != Caption::Window) showCaption(caption_);
}

bool TDessinForm::mayDropEdits() {
    return !isEdited() ||
           qv7::askYesNo(tr("Linéarisation"), tr("Abandonner les modifications de la courbe ?"));
}

void TDessinForm::closeEvent(QCloseEvent* event) {
    // "Fermer" or the close box: changes not kept in a file or the indicator go only when agreed, and
    // then the curve is again the one that came from its origin.
    if (!mayDropEdits()) return event->ignore();
    if (isEdited()) qv7::runGuarded([this] { setCurve(std::vector(originCurve_), origin_); });
    QDialog::closeEvent(event);
}

QString TDessinForm::boundsText(int point, int column, float value) const {
    if (column == 2)
        return tr("Point %1, colonne Y : %2 est hors de l'étendue %3 … %4.")
            .arg(point)
            .arg(shown(value), shown(Draw1->Ymin()), shown(Draw1->Ymax()));
    const bool first = point == 0, last = point == Draw1->NbSegment;
    const float low = first ? Draw1->Xmin() : Draw1->Points[point - 1].X;
    const float high = last ? Draw1->Xmax() : Draw1->Points[point + 1].X;
    if (first && last)
        return tr("Point %1, colonne X : %2 est hors de l'étendue %3 … %4.")
            .arg(point)
            .arg(shown(value), shown(low), shown(high));
    return tr("Point %1, colonne X : %2 doit rester entre %3 et %4, les X croissant d'un point au "
              "suivant.")
        .arg(point)
        .arg(shown(value), shown(low), shown(high));
}

QString TDessinForm::pointRefusal(int row) const {
    const int point = row - 1;
    const char* const names[] = {"", "X", "Y"};
    for (int column = 1; column <= 2; ++column) {
        if (!typedValue(column, row))
            return tr("Point %1, colonne %2 : « %3 » n'est pas un nombre.")
                .arg(point)
                .arg(QLatin1String(names[column]), StringGrid1->Cells(column, row).trimmed());
    }
    const float x = *typedValue(1, row), y = *typedValue(2, row);
    const float low = point == 0 ? Draw1->Xmin() : Draw1->Points[point - 1].X;
    const float high = point == Draw1->NbSegment ? Draw1->Xmax() : Draw1->Points[point + 1].X;
    if (x < low || x > high) return boundsText(point, 1, x);
    if (y < Draw1->Ymin() || y > Draw1->Ymax()) return boundsText(point, 2, y);
    return {};
}

void TDessinForm::recordStep() {
    std::vector<qv7::LinFilePoint> now = curve();
    if (now == stepCurve_) return;
    // The first curve shown is where the history starts; a new step drops the steps undone.
    if (!restoring_ && !stepCurve_.empty()) {
        undo_.push_back(std::move(stepCurve_));
        redo_.clear();
    }
    stepCurve_ = std::move(now);
}

void TDessinForm::restoreCurve(const std::vector<qv7::LinFilePoint>& points) {
    restoring_ = true;
    for (std::size_t i = 0; i < points.size(); ++i)
        Draw1->Points[static_cast<int>(i)] = {points[i].X, points[i].Y};
    Draw1->NbSegment = static_cast<std::int32_t>(points.size()) - 1;
    clearStaleSelection();
    try {
        Draw1->UpdateCurve();
    } catch (...) {
        restoring_ = false;
        throw;
    }
    restoring_ = false;
    stepCurve_ = points;
}

bool TDessinForm::undoCurve() {
    if (undo_.empty()) return false;
    redo_.push_back(curve());
    const std::vector<qv7::LinFilePoint> back = std::move(undo_.back());
    undo_.pop_back();
    restoreCurve(back);
    return true;
}

bool TDessinForm::redoCurve() {
    if (redo_.empty()) return false;
    undo_.push_back(curve());
    const std::vector<qv7::LinFilePoint> forward = std::move(redo_.back());
    redo_.pop_back();
    restoreCurve(forward);
    return true;
}
