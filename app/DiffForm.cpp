#include "app/DiffForm.h"

#include "app/pages/PageKit.h"
#include "indicator/ParamCompare.h"
#include "indicator/ParamFile.h"
#include "widgets/FileDialog.h"
#include "widgets/Messages.h"
#include "widgets/RunTimeErrors.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// The type word heads qv7ctl's comparison; it has no row of the table.
QString labelOf(const qv7::FieldDifference& difference) {
    const qv7::ParamRow* row = qv7::findParam(difference.key.toStdString());
    if (row == nullptr) return QCoreApplication::translate("TDiffForm", "Mot de type");
    return qv7::pages::rowLabel(*row);
}

QString valueOf(const qv7::FieldDifference& difference, bool expected) {
    const qv7::ParamRow* row = qv7::findParam(difference.key.toStdString());
    if (row == nullptr) return expected ? difference.expected : difference.actual;
    return qv7::pages::valueText(*row, expected ? difference.expectedRaw : difference.actualRaw);
}

} // namespace

TDiffForm::TDiffForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DiffForm"));
    resize(520, 360);
    Heading = new QLabel(this);
    Heading->setObjectName(QStringLiteral("Heading"));
    Heading->setWordWrap(true);
    List = new QTreeWidget(this);
    List->setObjectName(QStringLiteral("List"));
    List->setRootIsDecorated(false);
    List->setColumnCount(3);
    List->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    BtnCompare = new QPushButton(this);
    BtnCompare->setObjectName(QStringLiteral("BtnCompare"));
    BtnClose = new QPushButton(this);
    BtnClose->setObjectName(QStringLiteral("BtnClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnCompare);
    buttons->addStretch();
    buttons->addWidget(BtnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Heading);
    layout->addWidget(List);
    layout->addLayout(buttons);
    connect(BtnCompare, &QPushButton::clicked, this,
            [this] { qv7::runGuarded([this] { compareWithFile(); }); });
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::accept);
    retranslate();
}

void TDiffForm::setColumns(const QString& second, const QString& third) {
    List->setHeaderLabels({tr("Paramètre"), second, third});
}

void TDiffForm::showEdits(const TParamImage& reference, const TParamImage& edited,
                          const QStringList& hidden) {
    reference_ = reference;
    edited_ = edited;
    hidden_ = hidden;
    file_.clear();
    retranslate();
}

void TDiffForm::retranslate() {
    setWindowTitle(tr("Différences"));
    BtnCompare->setText(tr("Comparer à un fichier…"));
    BtnClose->setText(tr("Fermer"));
    List->clear();
    QList<qv7::FieldDifference> differences;
    if (file_.isEmpty()) {
        // Only what a page sets: the rows the pages changed.
        for (const qv7::FieldDifference& d : qv7::compareParams(reference_, edited_)) {
            const qv7::ParamRow* row = qv7::findParam(d.key.toStdString());
            if (row != nullptr && row->onPage) differences << d;
        }
        setColumns(tr("Indicateur"), tr("Modifié"));
        Heading->setText(differences.isEmpty() ? tr("Aucune modification non écrite.")
                                               : tr("Modifications non écrites :"));
    } else {
        differences = qv7::compareParams(qv7::asSent(fileImage_), reference_);
        setColumns(tr("Fichier"), tr("Indicateur"));
        const QString name = QFileInfo(file_).fileName();
        Heading->setText(differences.isEmpty() ? tr("%1 : identique à l'indicateur.").arg(name)
                                               : tr("%1 diffère de l'indicateur :").arg(name));
    }
    for (const qv7::FieldDifference& d : differences) {
        // Pages: the indicator's value, then the edited one; a file: the file's, then the indicator's.
        const QString label =
            file_.isEmpty() && hidden_.contains(d.key) ? tr("%1 (page masquée)").arg(labelOf(d)) : labelOf(d);
        auto* item = new QTreeWidgetItem(List, {label, valueOf(d, true), valueOf(d, false)});
        item->setData(0, Qt::UserRole, d.key);
    }
}

bool TDiffForm::compareWithFile() {
    const auto name =
        qv7::askFileName({tr("Comparer à un fichier indicateur"),
                          QCoreApplication::translate(
                              "TCustomTorvik", "Fichiers indicateur (*.QV)|*.QV|Tous les fichiers (*.*)|*.*"),
                          QStringLiteral("."), QString(), QString(), false},
                         false);
    if (!name) return false;
    TParamImage file;
    const qv7::ParamLoadResult result = qv7::loadParamFile(*name, reference_.DeviceType, file);
    if (result != qv7::ParamLoadResult::Loaded) {
        qv7::showMessage(qv7::paramLoadMessage(result));
        return false;
    }
    fileImage_ = file;
    file_ = *name;
    retranslate();
    return true;
}

void TDiffForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QDialog::changeEvent(event);
}
