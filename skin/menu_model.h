// The bookkeeping behind an owner-drawn popup menu: its items, their sizes,
// and the guard that stops the click which closed a menu from reopening it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestra {

constexpr int32_t kMenuSeparatorId = 0x800;

struct SkinMenuItem {
    std::string text;
    int32_t index;
    int32_t id;
    int32_t mark;  // 1 = highlighted entry, otherwise -1
};

struct MenuItemSize {
    int32_t width;
    int32_t height;
};

class SkinMenuModel {
public:
    // Records the item and widens the menu to fit 8 pixels a character.
    void Append(int32_t id, const std::string& text, int32_t mark);
    // Separators report id 0 (or the id they were appended with); id 1 is an
    // invisible item. Adds the height to totalHeight().
    MenuItemSize Measure(int32_t id);
    const SkinMenuItem* FindById(int32_t id) const;
    const SkinMenuItem* At(size_t index) const;

    void SetWidth(int32_t width) { width_ = width; }
    int32_t width() const { return width_; }
    int32_t itemHeight() const { return itemHeight_; }
    int32_t count() const { return count_; }
    int32_t totalHeight() const { return totalHeight_; }

private:
    std::vector<SkinMenuItem> items_;
    int32_t itemHeight_ = 15;
    int32_t width_ = 0;
    int32_t count_ = 0;
    int32_t totalHeight_ = 0;
};

// Tick counts wrap after 49.7 days; the difference is taken modulo 2^32.
class MenuReopenGuard {
public:
    static constexpr uint32_t kGuardMs = 200;
    void MenuClosed(uint32_t now) {
        closedAt_ = now;
        armed_ = true;
    }
    bool IgnoresClickAt(uint32_t now) const { return armed_ && now - closedAt_ < kGuardMs; }

private:
    uint32_t closedAt_ = 0;
    bool armed_ = false;
};

}  // namespace kestra
