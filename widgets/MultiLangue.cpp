#include "widgets/MultiLangue.h"

#include <algorithm>
#include <vector>

namespace {
// Shared by every text set and every bilingual control of the process.
TLangue current_language = TLangue::Francais;
bool refreshing_flag = false;

// Every live set, so that a switch of the window's language reaches them all.
std::vector<TMultiLangue*>& liveSets() {
    static std::vector<TMultiLangue*> sets;
    return sets;
}
} // namespace

TMultiLangue::TMultiLangue() {
    liveSets().push_back(this);
}

TMultiLangue::~TMultiLangue() {
    auto& sets = liveSets();
    sets.erase(std::remove(sets.begin(), sets.end(), this), sets.end());
}

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
}

void TMultiLangue::setProcessLanguage(TLangue langue) {
    if (langue == current_language) return;
    current_language = langue;
    const bool wasRefreshing = refreshing_flag;
    refreshing_flag = true;
    // A copy: a control's change may create or destroy sets; a destroyed one is skipped.
    const std::vector<TMultiLangue*> sets = liveSets();
    for (TMultiLangue* set : sets) {
        const auto& live = liveSets();
        if (std::find(live.begin(), live.end(), set) == live.end()) continue;
        if (set->OnChangeLangue) set->OnChangeLangue(set);
    }
    refreshing_flag = wasRefreshing;
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
    current_language = TLangue::Francais;
    refreshing_flag = false;
}
