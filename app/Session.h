// TSession: the parameters the main window works on. It keeps the image as last read from the
// indicator (or as loaded from a file when nothing was read, with where it came from), the image as
// the pages now hold it (edited), the history of page edits for undo and redo, and the transfer under
// way; it tells the window by signals. Window thread only.
#pragma once

#include "proto/ParamImage.h"
#include "proto/ParamTable.h"

#include <QObject>
#include <QString>

#include <vector>

class TSession : public QObject {
    Q_OBJECT
public:
    enum class Transfer { Idle, Reading, Writing };

    explicit TSession(QObject* parent = nullptr);

    // The reference the edits are measured against. `origin` empty: read from the indicator;
    // otherwise the file it was loaded from. Both images become `image`, the history is dropped.
    void setReference(const TParamImage& image, const QString& origin = QString());
    const TParamImage& reference() const { return reference_; }
    const QString& origin() const { return origin_; }
    bool hasReference() const { return hasReference_; }

    // The pages' image. `edit` is what the pages hold after a user's change of `source` (any pointer
    // that names the control); successive changes of one control make one undo step.
    void edit(const TParamImage& image, const void* source);
    // Replaces the edited image without an undo step (a file loaded, a fill).
    void setEdited(const TParamImage& image);
    const TParamImage& edited() const { return edited_; }

    // The rows a page control sets whose value differs between the reference and the edited image.
    std::vector<const qv7::ParamRow*> changedRows() const;
    int changeCount() const { return static_cast<int>(changedRows().size()); }

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    // Steps back / forward through the edits; false when there is none.
    bool undo();
    bool redo();
    // The edited image becomes the reference again, as one undo step.
    bool revert();

    Transfer transfer() const { return transfer_; }
    void setTransfer(Transfer transfer);

signals:
    // The reference was set (a read completed, a write was acknowledged).
    void referenceChanged();
    // The edited image changed by an undo, a redo or a revert: the pages show it again.
    void editedRestored();
    // The number of changes or the history may have changed.
    void changesChanged();
    void transferChanged(TSession::Transfer transfer);

private:
    void replaceEdited(const TParamImage& image);

    TParamImage reference_;
    TParamImage edited_;
    QString origin_;
    bool hasReference_ = false;
    std::vector<TParamImage> undo_;
    std::vector<TParamImage> redo_;
    const void* lastSource_ = nullptr; // the control of the last edit step, null after any other step
    Transfer transfer_ = Transfer::Idle;
};
