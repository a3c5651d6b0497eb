// Tab enters a set of radio buttons (the radio children of one parent) on its checked item, the
// first when none is checked: only that item takes the focus by Tab, the arrow keys move among the
// items and a click reaches any of them. So Tab never lands on an unchecked item where Space would
// change the value. Window thread.
#pragma once

class QWidget;

namespace qv7 {

// Every set of radio buttons below `root`, those already there; call it again after adding some.
void keepTabOnChecked(QWidget* root);

} // namespace qv7
