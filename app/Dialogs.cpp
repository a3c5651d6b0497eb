#include "app/Dialogs.h"

#include "widgets/FileDialog.h"
#include "widgets/Messages.h"

std::optional<QString> TFileDialogs::askFileName(const FileDialog& dialog, bool save) {
    chosen_ = qv7::askFileName({dialog.title, dialog.filter, dialog.directory, dialog.proposedName,
                                dialog.defaultExtension, dialog.confirmOverwrite},
                               save);
    return chosen_;
}

void TFileDialogs::showMessage(const QString& text) {
    complained_ = true;
    qv7::showMessage(text);
}

void TFileDialogs::forget() {
    chosen_.reset();
    complained_ = false;
}
