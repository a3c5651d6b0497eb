#include "app/Dialogs.h"

#include "widgets/FileDialog.h"
#include "widgets/Messages.h"

std::optional<QString> TFileDialogs::askFileName(const FileDialog& dialog, bool save) {
    return qv7::askFileName({dialog.title, dialog.filter, dialog.directory, dialog.proposedName,
                             dialog.defaultExtension, dialog.confirmOverwrite},
                            save);
}

void TFileDialogs::showMessage(const QString& text) {
    qv7::showMessage(text);
}
