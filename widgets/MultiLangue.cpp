#include "widgets/MultiLangue.h"

namespace {
// Shared by every text set and every bilingual control of the process.
TLangue current_language = TLangue::Anglais;
bool refreshing_flag = false;
} // namespace

void TMultiLangue::setLangue(TLangue langue) {
    if (langue == current_language) return;
    current_language = langue;
    if (OnChangeLangue) OnChangeLangue(this);
}

QString TMultiLangue::CurrentText() const {
    return Langue() == TLangue::Francais ? francais_ : anglais_;
}

void TMultiLangue::setTexts(const QString& francais, const QString& anglais) {
    francais_ = francais;
    anglais_ = anglais;
    setLangue(TLangue::Francais);
}

TLangue TMultiLangue::currentLanguage() {
    return current_language;
}

bool TMultiLangue::refreshing() {
    return refreshing_flag;
}

void TMultiLangue::setRefreshing(bool on) {
    refreshing_flag = on;
}

void TMultiLangue::resetProcessState() {
    current_language = TLangue::Anglais;
    refreshing_flag = false;
}
