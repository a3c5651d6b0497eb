#include "lineditor/Mesures.h"

#include "base/Numbers.h"
#include "indicator/MeasureFile.h"
#include "lineditor/FitPlot.h"
#include "widgets/DecimalSeparator.h"
#include "widgets/FileDialog.h"
#include "widgets/Messages.h"
#include "widgets/RunTimeErrors.h"
#include "widgets/WindowLook.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace {

template <typename W> W* named(W* widget, const char* name, const QRect& place) {
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(place);
    return widget;
}

QString number(double value, const char* pattern) {
    return QString::fromStdString(qv7::formatPattern(value, pattern, qv7::decimalSeparator().toLatin1()));
}

// A refused table, in the editor's words.
QString refusal(const qv7::MeasureError& error) {
    using Kind = qv7::MeasureError::Kind;
    const QString text = QString::fromStdString(error.text);
    const QString where = error.line > 0 ? QStringLiteral("Ligne %1 : ").arg(error.line) : QString();
    switch (error.kind) {
    case Kind::NotANumber:
        return where + QStringLiteral("'%1' n'est pas un nombre").arg(text);
    case Kind::Columns:
        return where + QStringLiteral("il faut deux colonnes (entrée, sortie)");
    case Kind::OutOfRange:
        return where + QStringLiteral("%1 est hors de -25 ... 125 %").arg(text);
    case Kind::Contradiction:
        return where +
               QStringLiteral("même entrée que la ligne %1 avec une autre sortie").arg(error.otherLine);
    case Kind::TooFewPairs:
        return QStringLiteral("Il faut au moins deux mesures d'entrées différentes");
    case Kind::TooManyPairs:
        return where + QStringLiteral("plus de %1 mesures").arg(qv7::MeasureMaxPairs);
    }
    return where;
}

constexpr qv7::LinShape Shapes[] = {qv7::LinShape::SquareRoot, qv7::LinShape::HorizontalCylinder,
                                    qv7::LinShape::Sphere};
constexpr int ShapeSamples = 1001;

} // namespace

TMesuresForm::TMesuresForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("MesuresForm"));
    setWindowTitle(QStringLiteral("Courbe d'après des mesures"));
    setFont(qv7::windowFont());
    setFixedSize(520, 472);
    FitPlot = named(new TFitPlot(TFitPlot::Kind::Curve, this), "FitPlot", {8, 8, 504, 300});
    ErrorPlot = named(new TFitPlot(TFitPlot::Kind::Error, this), "ErrorPlot", {8, 312, 504, 72});
    BtnCharge = named(new QPushButton(QStringLiteral("Charger..."), this), "BtnCharge", {8, 392, 81, 25});
    CbForme = named(new QComboBox(this), "CbForme", {96, 393, 185, 23});
    CbForme->addItems({QStringLiteral("Mesures d'un fichier"), QStringLiteral("Racine carrée"),
                       QStringLiteral("Cuve cylindrique horizontale"), QStringLiteral("Cuve sphérique")});
    named(new QLabel(QStringLiteral("Points :"), this), "LblPoints", {296, 396, 44, 16});
    SpinPoints = named(new QSpinBox(this), "SpinPoints", {344, 393, 49, 23});
    SpinPoints->setRange(qv7::LinFitMinPoints, qv7::LinFitMaxPoints);
    SpinPoints->setValue(qv7::LinFitMaxPoints);
    ChkHorsMesures =
        named(new QCheckBox(QStringLiteral("Hors mesures"), this), "ChkHorsMesures", {404, 395, 108, 20});
    ChkHorsMesures->setToolTip(
        QStringLiteral("Les sorties des points peuvent quitter les mesures pour partager "
                       "l'écart ; le premier et le dernier point restent sur les mesures."));
    LblEcart = named(new QLabel(this), "LblEcart", {8, 422, 336, 44});
    LblEcart->setWordWrap(true);
    BtnOK = named(new QPushButton(QStringLiteral("OK"), this), "BtnOK", {352, 440, 75, 25});
    BtnAnnuler = named(new QPushButton(QStringLiteral("Annuler"), this), "BtnAnnuler", {436, 440, 75, 25});
    BtnOK->setEnabled(false);
    for (QPushButton* button : {BtnCharge, BtnOK, BtnAnnuler})
        button->setAutoDefault(false);
    LblEcart->setText(
        QStringLiteral("Chargez un tableau de mesures (entrée %, sortie %) ou choisissez une forme."));

    connect(BtnCharge, &QPushButton::clicked, this,
            [this] { qv7::runGuarded([this] { BtnChargeClick(); }); });
    connect(CbForme, &QComboBox::activated, this, [this](int index) { takeShape(index); });
    connect(SpinPoints, &QSpinBox::valueChanged, this, [this] { refit(); });
    connect(ChkHorsMesures, &QCheckBox::toggled, this, [this] { refit(); });
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnAnnuler, &QPushButton::clicked, this, &QDialog::reject);
}

void TMesuresForm::BtnChargeClick() {
    qv7::FileDialogRequest request;
    request.title = QStringLiteral("Chargement de mesures");
    request.filter =
        QStringLiteral("Tableaux de mesures (*.csv;*.txt)|*.csv;*.txt|Tous les fichiers (*.*)|*.*");
    if (const std::optional<QString> chosen = qv7::askFileName(request, false)) loadTable(*chosen);
}

bool TMesuresForm::loadTable(const QString& path) {
    qv7::MeasureReadResult read = qv7::loadMeasureFile(path);
    if (!read.ok()) {
        qv7::showMessage(refusal(*read.error));
        return false;
    }
    data_ = std::move(read.pairs);
    CbForme->setCurrentIndex(0);
    refit();
    return true;
}

void TMesuresForm::takeShape(int index) {
    if (index < 1 || index > static_cast<int>(std::size(Shapes))) return;
    data_ = qv7::shapeSamples(Shapes[index - 1], ShapeSamples);
    CbForme->setCurrentIndex(index);
    refit();
}

void TMesuresForm::refit() {
    if (data_.size() < 2) return;
    fit_ = qv7::fitLinCurve(data_, SpinPoints->value(), {.offData = ChkHorsMesures->isChecked()});
    // The editor keeps what a .LIN file holds: the figures shown are those of the rounded points.
    fit_.points = qv7::fitPointsOf(qv7::asSavedInFile(fit_.points));
    fit_.deviation = qv7::curveDeviation(fit_.points, data_);
    FitPlot->setContent(data_, fit_.points);
    ErrorPlot->setContent(data_, fit_.points);
    LblEcart->setText(QStringLiteral("%1 mesures, %2 points : écart maximal %3 % (à %4 %)\n"
                                     "%5 points répartis régulièrement : %6 %")
                          .arg(data_.size())
                          .arg(fit_.points.size())
                          .arg(number(fit_.deviation.error, "##0.000"), number(fit_.deviation.at, "##0.00"))
                          .arg(SpinPoints->value())
                          .arg(number(fit_.evenDeviation.error, "##0.000")));
    BtnOK->setEnabled(true);
}

std::vector<qv7::LinFilePoint> TMesuresForm::curve() const {
    std::vector<qv7::LinFilePoint> points;
    for (const qv7::FitPoint& p : fit_.points)
        points.push_back({static_cast<float>(p.x), static_cast<float>(p.y)});
    return points;
}
