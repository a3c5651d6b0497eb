// TDiffForm: the differences window. Lists every parameter the pages changed, by its name in the
// window's language, with the indicator's value and the edited one; and, for a .QV file chosen there,
// every field where the file differs from the indicator (the differences qv7ctl diff finds). Window
// thread; opened modally by the main window.
#pragma once

#include "proto/ParamImage.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QPushButton;
class QTreeWidget;

class TDiffForm : public QDialog {
    Q_OBJECT
public:
    explicit TDiffForm(QWidget* parent = nullptr);

    // The pages' changes: `reference` as read from the indicator, `edited` as the pages hold it;
    // those of the rows `hidden` (keys) are said to lie on a page the input type hides.
    void showEdits(const TParamImage& reference, const TParamImage& edited, const QStringList& hidden = {});
    // Asks for a .QV file and lists where it differs from the reference; false when none was
    // compared (cancelled, or the file refused with its message).
    bool compareWithFile();

    QTreeWidget* List = nullptr;
    QLabel* Heading = nullptr;
    QPushButton* BtnCompare = nullptr;
    QPushButton* BtnClose = nullptr;

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void setColumns(const QString& second, const QString& third);

    TParamImage reference_;
    TParamImage edited_;
    TParamImage fileImage_;
    QStringList hidden_;
    QString file_; // compared with; empty: the pages' changes are shown
};
