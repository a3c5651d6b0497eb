#include "widgets/FileDialog.h"

#include "widgets/Messages.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include <utility>

namespace qv7 {

namespace {
FileDialogHook& fileDialogHook() {
    static FileDialogHook hook;
    return hook;
}

std::optional<QString> runDialog(QFileDialog& dialog) {
    if (fileDialogHook()) return fileDialogHook()(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
} // namespace

FileDialogHook setFileDialogHook(FileDialogHook hook) {
    return std::exchange(fileDialogHook(), std::move(hook));
}

QStringList nameFilters(const QString& barFilter) {
    const QStringList parts = barFilter.split(u'|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts.at(i);
        // Qt reads the patterns from the last parentheses; semicolons separate patterns in this form.
        const QString patterns = parts.at(i + 1).split(u';', Qt::SkipEmptyParts).join(u' ');
        if (description.contains(QStringLiteral("(%1)").arg(patterns)))
            filters << description;
        else
            filters << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    return filters;
}

QString withDefaultExtension(const QString& name, const QString& extension) {
    if (extension.isEmpty() || name.isEmpty()) return name;
    // Only the file part counts: a dot in a directory name is no extension.
    if (QFileInfo(name).fileName().contains(u'.')) return name;
    return name + u'.' + extension;
}

std::optional<QString> askFileName(const FileDialogRequest& request, bool save) {
    QFileDialog dialog(
        QApplication::activeWindow(), request.title,
        QDir(request.directory.isEmpty() ? QStringLiteral(".") : request.directory).absolutePath());
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(nameFilters(request.filter));
    // The extension and the overwrite question are handled below, so they concern the final name
    // whether the dialog or a test supplied it.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!request.proposedName.isEmpty()) dialog.selectFile(request.proposedName);
    for (;;) {
        const std::optional<QString> chosen = runDialog(dialog);
        if (!chosen) return std::nullopt;
        const QString name = save ? withDefaultExtension(*chosen, request.defaultExtension) : *chosen;
        if (!save || !request.confirmOverwrite || !QFileInfo::exists(name)) return name;
        const QString question =
            QCoreApplication::translate("FileDialog", "%1 existe déjà.\nVoulez-vous le remplacer ?")
                .arg(QDir::toNativeSeparators(name));
        if (askYesNo(request.title, question)) return name;
        // No: back to the dialog, as the system's save dialog does.
        dialog.selectFile(QFileInfo(name).fileName());
    }
}

} // namespace qv7
