// TabIdent, "Identification": the device's model name and the front-panel protection level.
// The parameter-files group on this page belongs to the main window.
#pragma once

#include "proto/ParamImage.h"

#include <QWidget>

class QFrame;
class QLabel;
class QLineEdit;

namespace qv7::pages {

class TRadioGroup;

class TIdentPage : public QWidget {
    Q_OBJECT
public:
    explicit TIdentPage(QWidget* parent = nullptr);
    // Sets every text in the window's language: once built, and again at each change of it.
    void retranslate();

    // Fill step 2: EdName := the model name.
    void fillName(const QString& modelName);

    QFrame* Bevel1;
    QLabel* Label2;
    QLineEdit* EdName;
    TRadioGroup* GrProt;

protected:
    void changeEvent(QEvent* event) override;
};

} // namespace qv7::pages
