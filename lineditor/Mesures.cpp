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
#include <QCoreApplication>
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
    QString said;
    switch (error.kind) {
    case Kind::NotANumber:
        said = QCoreApplication::translate("TMesuresForm", "'%1' n'est pas un nombre").arg(text);
        break;
    case Kind::Columns:
        said = QCoreApplication::translate("TMesuresForm", "il faut deux colonnes (entrée, sortie)");
        break;
    case Kind::OutOfRange:
        said = QCoreApplication::translate("TMesuresForm", "%1 est hors de -25 ... 125 %").arg(text);
        break;
    case Kind::Contradiction:
        said =
            QCoreApplication::translate("TMesuresForm", "même entrée que la ligne %1 avec une autre sortie")
                .arg(error.otherLine);
        break;
    case Kind::TooFewPairs:
        return QCoreApplication::translate("TMesuresForm",
                                           "Il faut au moins deux mesures d'entrées différentes");
    case Kind::TooManyPairs:
        said = QCoreApplication::translate("TMesuresForm", "plus de %1 mesures").arg(qv7::MeasureMaxPairs);
        break;
    }
    return error.line > 0
               ? QCoreApplication::translate("TMesuresForm", "Ligne %1 : %2").arg(error.line).arg(said)
               : said;
}

constexpr qv7::LinShape Shapes[] = {qv7::LinShape::SquareRoot, qv7::LinShape::HorizontalCylinder,
                                    qv7::LinShape::Sphere};
constexpr int ShapeSamples = 1001;

} // namespace

TMesuresForm::TMesuresForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("MesuresForm"));
    setFont(qv7::windowFont());
    setFixedSize(520, 472);
    FitPlot = named(new TFitPlot(TFitPlot::Kind::Curve, this), "FitPlot", {8, 8, 504, 300});
    ErrorPlot = named(new TFitPlot(TFitPlot::Kind::Error, this), "ErrorPlot", {8, 312, 504, 72});
    BtnCharge = named(new QPushButton(this), "BtnCharge", {8, 392, 81, 25});
    CbForme = named(new QComboBox(this), "CbForme", {96, 393, 185, 23});
    CbForme->addItems(QStringList(1 + static_cast<int>(std::size(Shapes)))); // texts by retranslate()
    LblPoints = named(new QLabel(this), "LblPoints", {296, 396, 44, 16});
    SpinPoints = named(new QSpinBox(this), "SpinPoints", {344, 393, 49, 23});
    SpinPoints->setRange(qv7::LinFitMinPoints, qv7::LinFitMaxPoints);
    SpinPoints->setValue(qv7::LinFitMaxPoints);
    ChkHorsMesures = named(new QCheckBox(this), "ChkHorsMesures", {404, 395, 108, 20});
    LblEcart = named(new QLabel(this), "LblEcart", {8, 422, 336, 44});
    LblEcart->setWordWrap(true);
    BtnOK = named(new QPushButton(QStringLiteral("OK"), this), "BtnOK", {352, 440, 75, 25});
    BtnAnnuler = named(new QPushButton(this), "BtnAnnuler", {436, 440, 75, 25});
    BtnOK->setEnabled(false);
    for (QPushButton* button : {BtnCharge, BtnOK, BtnAnnuler})
        button->setAutoDefault(false);
    retranslate();

    connect(BtnCharge, &QPushButton::clicked, this,
            [this] { qv7::runGuarded([this] { BtnChargeClick(); }); });
    connect(CbForme, &QComboBox::activated, this, [this](int index) { takeShape(index); });
    connect(SpinPoints, &QSpinBox::valueChanged, this, [this] { refit(); });
    connect(ChkHorsMesures, &QCheckBox::toggled, this, [this] { refit(); });
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnAnnuler, &QPushButton::clicked, this, &QDialog::reject);
}

void TMesuresForm::retranslate() {
    setWindowTitle(tr("Courbe d'après des mesures"));
    BtnCharge->setText(tr("Charger..."));
    const QString shapes[] = {tr("Mesures d'un fichier"), tr("Racine carrée"),
                              tr("Cuve cylindrique horizontale"), tr("Cuve sphérique")};
    for (int i = 0; i < CbForme->count(); ++i)
        CbForme->setItemText(i, shapes[i]);
    LblPoints->setText(tr("Points :"));
    ChkHorsMesures->setText(tr("Hors mesures"));
    ChkHorsMesures->setToolTip(tr("Les sorties des points peuvent quitter les mesures pour partager "
                                  "l'écart ; le premier et le dernier point restent sur les mesures."));
    BtnAnnuler->setText(tr("Annuler"));
    showDeviation();
}

void TMesuresForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) retranslate();
}

void TMesuresForm::showDeviation() {
    if (fit_.points.empty()) {
        LblEcart->setText(tr("Chargez un tableau de mesures (entrée %, sortie %) ou choisissez une forme."));
        return;
    }
    LblEcart->setText(tr("%1 mesures, %2 points : écart maximal %3 % (à %4 %)\n"
                         "%5 points répartis régulièrement : %6 %")
                          .arg(data_.size())
                          .arg(fit_.points.size())
                          .arg(number(fit_.deviation.error, "##0.000"), number(fit_.deviation.at, "##0.00"))
                          .arg(SpinPoints->value())
                          .arg(number(fit_.evenDeviation.error, "##0.000")));
}

void TMesuresForm::BtnChargeClick() {
    qv7::FileDialogRequest request;
    request.title = tr("Chargement de mesures");
    request.filter = tr("Tableaux de mesures (*.csv;*.txt)|*.csv;*.txt|Tous les fichiers (*.*)|*.*");
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
    showDeviation();
    BtnOK->setEnabled(true);
}

std::vector<qv7::LinFilePoint> TMesuresForm::curve() const {
    std::vector<qv7::LinFilePoint> points;
    for (const qv7::FitPoint& p : fit_.points)
        points.push_back({static_cast<float>(p.x), static_cast<float>(p.y)});
    return points;
}
