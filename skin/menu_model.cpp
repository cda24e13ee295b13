#include "skin/menu_model.h"

#include <algorithm>

namespace kestra {

void SkinMenuModel::Append(int32_t id, const std::string& text, int32_t mark) {
    items_.push_back({text, count_, id, mark});
    ++count_;
    const size_t textWidth = std::min<size_t>(text.size(), 0x0FFFFFFF) * 8;
    width_ = std::max(width_, static_cast<int32_t>(textWidth));
}

MenuItemSize SkinMenuModel::Measure(int32_t id) {
    int32_t height;
    if (id == 0 || id == kMenuSeparatorId) {
        height = 5;
    } else if (id == 1) {
        height = 0;
    } else {
        height = itemHeight_ + 3;
    }
    totalHeight_ += height;
    return {width_, height};
}

const SkinMenuItem* SkinMenuModel::FindById(int32_t id) const {
    for (const SkinMenuItem& item : items_) {
        if (item.id == id) return &item;
    }
    return nullptr;
}

const SkinMenuItem* SkinMenuModel::At(size_t index) const {
    return index < items_.size() ? &items_[index] : nullptr;
}

}  // namespace kestra
