// TItemList: the plain list of strings that holds the device paths found by the last enumeration.
// Used on the window thread only.
#pragma once

#include "base/Component.h"

#include <string>
#include <vector>

class TItemList : public TComponent {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    // The item at a 0-based index; the empty string outside 0..Count-1.
    std::string Item(int index) const;
    // Appends; returns the new count.
    int Add(const std::string& text);
    void Clear() { items_.clear(); }

private:
    std::vector<std::string> items_;
};
