// TFileDialogs: the indicator component's file dialogs and message boxes, on the windows' own file
// dialog (widgets/FileDialog.h) and message box. Window thread.
#pragma once

#include "indicator/Torvik.h"

class TFileDialogs : public TorvikDialogs {
public:
    // Shows the dialog (save or open); the save dialog adds the default extension to a name typed
    // without one and asks before an existing file is replaced. nullopt when the user cancelled.
    std::optional<QString> askFileName(const FileDialog& dialog, bool save) override;
    // The window layer's plain message box.
    void showMessage(const QString& text) override;

    // What the last file action came to, for the window's status line: forget() before the action,
    // then the name chosen (none when cancelled) and whether a message box said something went wrong.
    void forget();
    // The next open or save question is answered with `name` instead of a dialog (a file named on the
    // command line or by a second copy).
    void answerNext(std::optional<QString> name) { preset_ = std::move(name); }
    const std::optional<QString>& chosen() const { return chosen_; }
    bool complained() const { return complained_; }

private:
    std::optional<QString> chosen_;
    std::optional<QString> preset_;
    bool complained_ = false;
};
