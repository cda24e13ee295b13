// Owner-drawn popup menus in the skin's colours, and the per-thread hook
// that gives every menu window of the thread a dark frame.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "skin/gdi_win.h"
#include "skin/menu_model.h"

namespace kestra {

// The click that closed a menu must not reopen it: menu-opening buttons ask
// this guard (fed with GetTickCount) before they open their menu.
MenuReopenGuard& ChoiceMenuGuard();

class SkinMenu {
public:
    explicit SkinMenu(HFONT font) : font_(font) {}
    ~SkinMenu() { Destroy(); }
    SkinMenu(const SkinMenu&) = delete;
    SkinMenu& operator=(const SkinMenu&) = delete;

    bool Attach();
    HMENU handle() const { return menu_.get(); }
    // id kMenuSeparatorId appends a separator; a submenu makes a popup item.
    // The submenu stays its own owner's: destroying this menu leaves it
    // alone, and it must live as long as this menu is shown.
    void AppendItem(int32_t id, const std::string& text, HMENU submenu = nullptr,
                    int32_t mark = -1);
    void SetWidth(int32_t width) { model_.SetWidth(width); }
    void SetColours(COLORREF background, COLORREF selectedBackground) {
        background_ = background;
        selectedBackground_ = selectedBackground;
    }
    void SetSeparatorColour(COLORREF colour) { separatorColour_ = colour; }
    void SetTextColours(COLORREF normal, COLORREF selected) {
        textColour_ = normal;
        selectedTextColour_ = selected;
    }
    // The chosen command reaches `owner` as WM_COMMAND; the owner passes its
    // menu WM_MEASUREITEM / WM_DRAWITEM to the handlers below.
    BOOL Track(UINT flags, int x, int y, HWND owner);
    // Track for menu-opening buttons: refused (false, nothing shown) while
    // the click that closed the last menu is still within the guard's time;
    // otherwise shows the menu and notes when it closed.
    bool TrackGuarded(MenuReopenGuard& guard, UINT flags, int x, int y, HWND owner);
    void Destroy();

    const SkinMenuModel& model() const { return model_; }

    static bool HandleMeasureItem(MEASUREITEMSTRUCT& measure);
    static bool HandleDrawItem(const DRAWITEMSTRUCT& draw);

private:
    struct ItemTag {
        SkinMenu* menu;
        size_t index;
        bool popup;
    };
    static ItemTag* FindTag(ULONG_PTR data);
    void Measure(const ItemTag& tag, MEASUREITEMSTRUCT& measure);
    void Draw(const ItemTag& tag, const DRAWITEMSTRUCT& draw);

    HFONT font_;
    Menu menu_;
    Icon arrow_;
    SkinMenuModel model_;
    std::vector<std::unique_ptr<ItemTag>> tags_;
    COLORREF background_ = 0x1E1E1E;
    COLORREF selectedBackground_ = 0x1E1EE6;
    COLORREF separatorColour_ = 0x1414E6;
    COLORREF textColour_ = 0xF0F0F0;
    COLORREF selectedTextColour_ = 0xFFFFFF;
};

// Installed once on the user-interface thread before its first window.
class CoolMenu {
public:
    static bool Install();
    static void Uninstall();
    static size_t SubclassedCount();

    // Takes the hook out while it lives, on the thread that installed it:
    // the hook is called for every message sent in the thread, which under
    // Wine adds up while a window makes and first paints its many controls.
    // No menu may open meanwhile. Pauses nest.
    class Pause {
    public:
        Pause();
        ~Pause();
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;
    };
};

}  // namespace kestra
