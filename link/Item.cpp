#include "link/Item.h"

std::string TItemList::Item(int index) const {
    if (index < 0 || index >= Count()) return {};
    return items_[static_cast<std::size_t>(index)];
}

int TItemList::Add(const std::string& text) {
    items_.push_back(text);
    return Count();
}
