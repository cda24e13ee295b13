#include "skin/skin_menu_win.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace kestra {
namespace {

constexpr COLORREF kMarkColour = 0xFFBF44;
constexpr int kSubmenuArrowIcon = 145;
// The arrow's artwork is this size; at the system's icon size it would be
// stretched past the item it marks.
constexpr int kSubmenuArrowSize = 16;
constexpr UINT kMenuSizingMessage = 0x1E2;
const char kOldProcProperty[] = "CoolMenu_oldProc";

std::vector<SkinMenu*>& LiveMenus() {
    static std::vector<SkinMenu*> menus;
    return menus;
}

}  // namespace

MenuReopenGuard& ChoiceMenuGuard() {
    static MenuReopenGuard guard;
    return guard;
}

bool SkinMenu::Attach() {
    Destroy();
    menu_.reset(CreatePopupMenu());
    if (!menu_) return false;
    LiveMenus().push_back(this);
    return true;
}

void SkinMenu::AppendItem(int32_t id, const std::string& text, HMENU submenu, int32_t mark) {
    if (!menu_) return;
    auto tag = std::make_unique<ItemTag>();
    tag->menu = this;
    tag->index = static_cast<size_t>(model_.count());
    tag->popup = submenu != nullptr && id != kMenuSeparatorId;
    const auto data = reinterpret_cast<LPCSTR>(tag.get());
    if (id == kMenuSeparatorId) {
        AppendMenuA(menu_.get(), MF_OWNERDRAW | MF_SEPARATOR, kMenuSeparatorId, data);
    } else if (submenu != nullptr) {
        AppendMenuA(menu_.get(), MF_OWNERDRAW | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu),
                    data);
    } else {
        AppendMenuA(menu_.get(), MF_OWNERDRAW, static_cast<UINT_PTR>(id), data);
    }
    tags_.push_back(std::move(tag));
    model_.Append(id, text, mark);
}

BOOL SkinMenu::Track(UINT flags, int x, int y, HWND owner) {
    if (!menu_) return FALSE;
    return TrackPopupMenu(menu_.get(), flags, x, y, 0, owner, nullptr);
}

bool SkinMenu::TrackGuarded(MenuReopenGuard& guard, UINT flags, int x, int y, HWND owner) {
    if (guard.IgnoresClickAt(GetTickCount())) return false;
    Track(flags, x, y, owner);
    guard.MenuClosed(GetTickCount());
    return true;
}

void SkinMenu::Destroy() {
    auto& live = LiveMenus();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    if (menu_) {
        // DestroyMenu would take the submenus with it, yet each has its own
        // owner that destroys it (by then perhaps another menu's handle): the
        // popup items let go of them first.
        for (int i = GetMenuItemCount(menu_.get()) - 1; i >= 0; --i) {
            if (GetSubMenu(menu_.get(), i) != nullptr) RemoveMenu(menu_.get(), i, MF_BYPOSITION);
        }
    }
    menu_.reset();
    tags_.clear();
    model_ = SkinMenuModel();
}

SkinMenu::ItemTag* SkinMenu::FindTag(ULONG_PTR data) {
    // Only tags of live menus are trusted; item data of other menus is not ours.
    for (SkinMenu* menu : LiveMenus()) {
        for (const auto& tag : menu->tags_) {
            if (reinterpret_cast<ULONG_PTR>(tag.get()) == data) return tag.get();
        }
    }
    return nullptr;
}

bool SkinMenu::HandleMeasureItem(MEASUREITEMSTRUCT& measure) {
    ItemTag* tag = FindTag(measure.itemData);
    if (tag == nullptr) return false;
    tag->menu->Measure(*tag, measure);
    return true;
}

bool SkinMenu::HandleDrawItem(const DRAWITEMSTRUCT& draw) {
    ItemTag* tag = FindTag(draw.itemData);
    if (tag == nullptr) return false;
    tag->menu->Draw(*tag, draw);
    return true;
}

void SkinMenu::Measure(const ItemTag& tag, MEASUREITEMSTRUCT& measure) {
    const SkinMenuItem* item = model_.At(tag.index);
    const MenuItemSize size = model_.Measure(item != nullptr ? item->id : 0);
    measure.itemWidth = static_cast<UINT>(std::max(size.width, 0));
    measure.itemHeight = static_cast<UINT>(std::max(size.height, 0));
}

void SkinMenu::Draw(const ItemTag& tag, const DRAWITEMSTRUCT& draw) {
    HDC dc = draw.hDC;
    RECT rect = draw.rcItem;
    const SkinMenuItem* item = model_.At(tag.index);
    const bool separator = item == nullptr ? draw.itemID == 0 : item->id == kMenuSeparatorId;
    if (separator) {
        Brush fill(CreateSolidBrush(background_));
        FillRect(dc, &rect, fill.get());
        Pen pen(CreatePen(PS_SOLID, 1, separatorColour_));
        ScopedSelectObject selectPen(dc, pen.get());
        const int middle = (rect.top + rect.bottom) / 2;
        MoveToEx(dc, rect.left, middle, nullptr);
        LineTo(dc, rect.right, middle);
    } else {
        const bool selected = (draw.itemState & ODS_SELECTED) != 0;
        Brush fill(CreateSolidBrush(selected ? selectedBackground_ : background_));
        FillRect(dc, &rect, fill.get());
        COLORREF colour = selected ? selectedTextColour_ : textColour_;
        if (item != nullptr && item->mark == 1) colour = kMarkColour;
        const COLORREF oldColour = SetTextColor(dc, colour);
        const int oldMode = SetBkMode(dc, TRANSPARENT);
        {
            ScopedSelectObject selectFont(dc, font_);
            RECT textRect = rect;
            textRect.left += 2;
            const std::string text = item != nullptr ? item->text : std::string();
            DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
                      DT_SINGLELINE | DT_VCENTER);
        }
        SetBkMode(dc, oldMode);
        SetTextColor(dc, oldColour);
        if (tag.popup) {
            if (!arrow_) {
                arrow_.reset(static_cast<HICON>(
                    LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kSubmenuArrowIcon),
                               IMAGE_ICON, kSubmenuArrowSize, kSubmenuArrowSize, 0)));
            }
            if (arrow_) {
                // Near the right edge, centred on the item's height.
                const int top = rect.top + (rect.bottom - rect.top - kSubmenuArrowSize) / 2;
                DrawIconEx(dc, rect.right - 19, top, arrow_.get(), kSubmenuArrowSize,
                           kSubmenuArrowSize, 0, nullptr, DI_NORMAL);
            }
        }
    }
    // Nothing of the system's own menu drawing may land on the item.
    ExcludeClipRect(dc, draw.rcItem.left, draw.rcItem.top, draw.rcItem.right, draw.rcItem.bottom);
}

// ------------------------------------------------------------------ CoolMenu

namespace {

struct MenuFrame {
    WNDPROC oldProc;
};

struct CoolMenuState {
    Hook hook;
    std::unordered_map<HWND, MenuFrame> frames;
    int pauses = 0;
};

CoolMenuState*& CoolState() {
    static CoolMenuState* state = nullptr;
    return state;
}

void DrawMenuFrame(HWND hwnd, HDC dc) {
    RECT rect;
    if (dc == nullptr || !GetWindowRect(hwnd, &rect)) return;
    OffsetRect(&rect, -rect.left, -rect.top);
    Brush accent(CreateSolidBrush(0x1414E6));
    Brush dark(CreateSolidBrush(0x1E1E1E));
    if (!accent || !dark) return;
    FrameRect(dc, &rect, accent.get());
    InflateRect(&rect, -1, -1);
    FrameRect(dc, &rect, dark.get());
    InflateRect(&rect, -1, -1);
    FrameRect(dc, &rect, dark.get());
}

void RestoreMenuWindow(HWND hwnd) {
    auto old = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kOldProcProperty));
    if (old != nullptr) SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    RemovePropA(hwnd, kOldProcProperty);
    if (CoolState() != nullptr) CoolState()->frames.erase(hwnd);
}

LRESULT CALLBACK MenuWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto old = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kOldProcProperty));
    if (old == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_NCPAINT: {
            WindowDC dc(hwnd, true);
            DrawMenuFrame(hwnd, dc.get());
            return 0;
        }
        case WM_PRINT: {
            const LRESULT result = CallWindowProcA(old, hwnd, message, wParam, lParam);
            DrawMenuFrame(hwnd, reinterpret_cast<HDC>(wParam));
            return result;
        }
        case WM_SHOWWINDOW:
            if (wParam == 0) RestoreMenuWindow(hwnd);
            break;
        case WM_NCDESTROY:
            RestoreMenuWindow(hwnd);
            break;
        default:
            break;
    }
    return CallWindowProcA(old, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CallWndHook(int code, WPARAM wParam, LPARAM lParam) {
    CoolMenuState* state = CoolState();
    if (code == HC_ACTION && state != nullptr) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (call != nullptr &&
            (call->message == WM_CREATE || call->message == kMenuSizingMessage)) {
            char name[16] = {};
            GetClassNameA(call->hwnd, name, sizeof(name));
            if (strcmp(name, "#32768") == 0 && GetPropA(call->hwnd, kOldProcProperty) == nullptr) {
                const LONG_PTR old = GetWindowLongPtrA(call->hwnd, GWLP_WNDPROC);
                SetPropA(call->hwnd, kOldProcProperty, reinterpret_cast<HANDLE>(old));
                if (old != 0 && SetWindowLongPtrA(call->hwnd, GWLP_WNDPROC,
                                                  reinterpret_cast<LONG_PTR>(&MenuWindowProc))) {
                    state->frames[call->hwnd] = {reinterpret_cast<WNDPROC>(old)};
                } else {
                    RemovePropA(call->hwnd, kOldProcProperty);
                }
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

bool CoolMenu::Install() {
    if (CoolState() != nullptr) return true;
    auto* state = new CoolMenuState;
    state->frames.reserve(1000);
    state->hook.reset(
        SetWindowsHookExA(WH_CALLWNDPROC, &CallWndHook, nullptr, GetCurrentThreadId()));
    if (!state->hook) {
        delete state;
        return false;
    }
    CoolState() = state;
    return true;
}

void CoolMenu::Uninstall() {
    CoolMenuState* state = CoolState();
    if (state == nullptr) return;
    std::vector<HWND> windows;
    for (const auto& entry : state->frames) windows.push_back(entry.first);
    for (HWND hwnd : windows) RestoreMenuWindow(hwnd);
    CoolState() = nullptr;
    delete state;  // removes the hook
}

CoolMenu::Pause::Pause() {
    CoolMenuState* state = CoolState();
    if (state != nullptr && state->pauses++ == 0) state->hook.reset();
}

CoolMenu::Pause::~Pause() {
    CoolMenuState* state = CoolState();
    if (state == nullptr || state->pauses == 0 || --state->pauses > 0) return;
    state->hook.reset(
        SetWindowsHookExA(WH_CALLWNDPROC, &CallWndHook, nullptr, GetCurrentThreadId()));
}

size_t CoolMenu::SubclassedCount() {
    return CoolState() != nullptr ? CoolState()->frames.size() : 0;
}

}  // namespace kestra
