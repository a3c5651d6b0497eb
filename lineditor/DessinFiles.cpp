// TDessinForm: "Charge" and "Sauve", the editor's .LIN files. The file format is indicator/LinFile.h.
#include "indicator/LinCurve.h"
#include "indicator/LinFile.h"
#include "lineditor/Dessin.h"
#include "lineditor/Draw.h"
#include "widgets/FileDialog.h"
#include "widgets/Messages.h"

#include <QFileInfo>

namespace {
QString linFilter() {
    return TDessinForm::tr("Fichiers de linéarisation (*.LIN)|*.LIN|Tous les fichiers (*.*)|*.*");
}
} // namespace

void TDessinForm::Btn_Load0Click() {
    if (!mayDropEdits()) return SetupGrid();
    qv7::FileDialogRequest request;
    request.title = tr("Chargement d'un fichier");
    request.filter = linFilter();
    request.directory = openFileName_.isEmpty() ? QString() : QFileInfo(openFileName_).absolutePath();
    request.proposedName = QFileInfo(openFileName_).fileName();
    const std::optional<QString> chosen = qv7::askFileName(request, false);
    if (!chosen) return SetupGrid();
    loadFile(*chosen);
}

void TDessinForm::openFile(const QString& name) {
    if (!mayDropEdits()) return SetupGrid();
    loadFile(name);
}

void TDessinForm::loadFile(const QString& name) {
    openFileName_ = QFileInfo(name).absoluteFilePath();

    // The file's own separator matters only inside the file: the windows keep their language's.
    const qv7::LinLoadResult loaded = qv7::loadLinFile(openFileName_);
    if (!loaded.ok()) return qv7::showMessage(loaded.error); // the curve stays as it was
    for (const QString& message : loaded.messages)
        qv7::showMessage(message);
    setCurve(loaded.points, Origin::File);
    // Said now rather than at "Ecriture", which refuses the first and asks about the second.
    if (loaded.points.size() > static_cast<std::size_t>(qv7::LinTablePoints))
        qv7::showMessage(tr("La courbe a %1 points : l'appareil n'en prend que %2, elle ne "
                            "pourra pas lui être écrite telle quelle.")
                             .arg(loaded.points.size())
                             .arg(qv7::LinTablePoints));
    if (const int point = qv7::firstNonIncreasingPoint(loaded.points); point >= 0)
        qv7::showMessage(tr("Les valeurs X de la courbe ne croissent pas au point %1.").arg(point));
    SetupGrid();
}

void TDessinForm::Btn_Save0Click() {
    qv7::FileDialogRequest request;
    request.title = tr("Sauvegarde d'un fichier");
    request.filter = linFilter();
    request.directory = openFileName_.isEmpty() ? QString() : QFileInfo(openFileName_).absolutePath();
    request.proposedName = QFileInfo(openFileName_).fileName();
    request.defaultExtension = QStringLiteral("Lin");
    request.confirmOverwrite = true;
    const std::optional<QString> chosen = qv7::askFileName(request, true);
    if (!chosen) return;
    qv7::saveLinFile(*chosen, curve());
    openFileName_ = QFileInfo(*chosen).absoluteFilePath();
    keepAsOrigin(Origin::File); // the curve on screen is now the file's
}
