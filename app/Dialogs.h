// TFileDialogs: the indicator component's file dialogs and message boxes, with Qt's QFileDialog
// and the window layer's message box. Tests answer the file dialog in advance through a hook that
// receives the dialog as it would be shown. Window thread.
#pragma once

#include "indicator/Torvik.h"

#include <QStringList>

#include <functional>
#include <optional>

class QFileDialog;

class TFileDialogs : public TorvikDialogs {
public:
    // Shows the dialog (save or open); the save dialog adds the default extension to a name typed
    // without one and asks before an existing file is replaced. nullopt when the user cancelled.
    std::optional<QString> askFileName(const FileDialog& dialog, bool save) override;
    // The window layer's plain message box.
    void showMessage(const QString& text) override;

    // The dialog's filter "Description|pattern|Description|pattern" as Qt's name filters
    // ("Description (pattern)" when the description does not already show the pattern).
    static QStringList nameFilters(const QString& barFilter);
    // `name` with ".extension" added when its file part has no extension and extension is not empty.
    static QString withDefaultExtension(const QString& name, const QString& extension);

    // Tests: runs instead of the dialog's exec with the dialog fully set up; returns the chosen
    // path or nullopt for a cancel. Returns the previous hook; an empty one brings the dialog back.
    using FileDialogHook = std::function<std::optional<QString>(QFileDialog& dialog)>;
    static FileDialogHook setFileDialogHook(FileDialogHook hook);

private:
    static std::optional<QString> runDialog(QFileDialog& dialog);
};
