// TabCfg, "Configuration": the input type of a configurable indicator, five choices (type-word
// bit 14) or two (bit 15), in two radio groups at the same place.
#pragma once

#include "proto/ParamImage.h"

#include <QWidget>

#include <cstdint>

namespace qv7::pages {

class TRadioGroup;

class TCfgPage : public QWidget {
    Q_OBJECT
public:
    explicit TCfgPage(QWidget* parent = nullptr);
    // Sets every text in the window's language: once built, and again at each change of it.
    void retranslate();

    // Fill step 4: RdGrCFG1 shown iff type-word bit 14, RdGrCFG2 iff bit 15.
    void showGroups(std::uint32_t typeWord);
    // The group that carries the input type while the page's tab is shown: RdGrCFG1 when it is
    // shown, else RdGrCFG2 when it is shown, else none (a fixed input).
    TRadioGroup* activeGroup(bool tabShown) const;

    TRadioGroup* RdGrCFG1;
    TRadioGroup* RdGrCFG2;

signals:
    // A click on either group: RdGrCFGClick with the group as sender.
    void RdGrCFGClicked(TRadioGroup* sender);

protected:
    void changeEvent(QEvent* event) override;
};

} // namespace qv7::pages
