#include "app/Dialogs.h"

#include "widgets/FileDialog.h"
#include "widgets/Messages.h"

#include <utility>

std::optional<QString> TFileDialogs::askFileName(const FileDialog& dialog, bool save) {
    if (preset_) {
        chosen_ = std::exchange(preset_, std::nullopt);
        return chosen_;
    }
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
