#include "lineditor/Dessin.h"

TDessinForm::TDessinForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DessinForm"));
    setWindowTitle(QStringLiteral("Linéarisation"));
}
