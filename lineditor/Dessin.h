// TDessinForm: the linearisation editor window, shown modally from the main window's "Edition"
// button. For now it is the bare window; the editor's plot, grid and files come with it later.
// Window thread.
#pragma once

#include <QDialog>

class TDessinForm : public QDialog {
    Q_OBJECT
public:
    explicit TDessinForm(QWidget* parent = nullptr);
};
