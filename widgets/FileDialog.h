// The file-open and file-save dialogs of the windows, created for one question and freed before it
// returns. Tests answer them in advance through a hook that receives the dialog as it would be shown.
// Window thread.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QFileDialog;

namespace qv7 {

// What a dialog shows: its title, its filter "Description|pattern|Description|pattern", the
// directory it opens in, the name it proposes, the extension a typed name without one receives, and
// whether the save dialog asks before an existing file is replaced.
struct FileDialogRequest {
    QString title, filter, directory, proposedName, defaultExtension;
    bool confirmOverwrite = false;
};

// Shows the dialog (save or open); the save dialog adds the default extension to a name typed
// without one and, when asked to, asks before an existing file is replaced. nullopt when the user
// cancelled.
std::optional<QString> askFileName(const FileDialogRequest& request, bool save);

// The bar filter as Qt's name filters ("Description (pattern)" when the description does not
// already show the pattern).
QStringList nameFilters(const QString& barFilter);
// `name` with ".extension" added when its file part has no extension and extension is not empty.
QString withDefaultExtension(const QString& name, const QString& extension);

// Tests: runs instead of the dialog's exec with the dialog fully set up; returns the chosen path or
// nullopt for a cancel. Returns the previous hook; an empty one brings the dialog back.
using FileDialogHook = std::function<std::optional<QString>(QFileDialog& dialog)>;
FileDialogHook setFileDialogHook(FileDialogHook hook);

} // namespace qv7
