#include "lineditor/Courbe.h"

TCourbe::TCourbe(QObject* owner) : owner_(owner) {
    TCourbe::Initialise();
}

void TCourbe::Initialise() {
    xStart_ = 0.0;
    xEnd_ = 0.0;
    defined_ = false;
}

double TCourbe::Evaluate(double) const {
    return 0.0;
}
