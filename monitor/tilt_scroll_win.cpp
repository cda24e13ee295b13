#include "monitor/tilt_scroll_win.h"

namespace kestra {
namespace {

HWND AsWindow(WindowRef window) {
    return reinterpret_cast<HWND>(window);
}
WindowRef AsRef(HWND window) {
    return reinterpret_cast<WindowRef>(window);
}

BOOL CALLBACK CollectChild(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<WindowRef>*>(list)->push_back(AsRef(window));
    return TRUE;
}

// A click with the absolute flag lands where it is meant to even if the
// cursor moved meanwhile: the point in the virtual desktop's 0..65535 units.
void ClickAt(ScreenPoint point, bool rightButton) {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width < 2) width = 2;
    if (height < 2) height = 2;
    const DWORD x = static_cast<DWORD>(MulDiv(point.x - left, 65535, width - 1));
    const DWORD y = static_cast<DWORD>(MulDiv(point.y - top, 65535, height - 1));
    const DWORD where = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK | MOUSEEVENTF_MOVE;
    mouse_event(where | (rightButton ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN), x, y, 0, 0);
    mouse_event(where | (rightButton ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP), x, y, 0, 0);
}

}  // namespace

WindowRef DesktopWindowTree::Desktop() const {
    return AsRef(GetDesktopWindow());
}

std::string DesktopWindowTree::ClassName(WindowRef window) const {
    char name[256];
    const int length = GetClassNameA(AsWindow(window), name, sizeof name);
    return length > 0 ? std::string(name, length) : std::string();
}

uint32_t DesktopWindowTree::Style(WindowRef window) const {
    return static_cast<uint32_t>(GetWindowLongA(AsWindow(window), GWL_STYLE));
}

ScreenRect DesktopWindowTree::Rect(WindowRef window) const {
    RECT r = {0, 0, 0, 0};
    GetWindowRect(AsWindow(window), &r);
    ScreenRect result;
    result.left = r.left;
    result.top = r.top;
    result.right = r.right;
    result.bottom = r.bottom;
    return result;
}

WindowRef DesktopWindowTree::Parent(WindowRef window) const {
    HWND parent = GetAncestor(AsWindow(window), GA_PARENT);
    return parent == GetDesktopWindow() ? 0 : AsRef(parent);
}

WindowRef DesktopWindowTree::FirstChild(WindowRef window) const {
    return AsRef(GetWindow(AsWindow(window), GW_CHILD));
}

WindowRef DesktopWindowTree::NextSibling(WindowRef window) const {
    return AsRef(GetWindow(AsWindow(window), GW_HWNDNEXT));
}

WindowRef DesktopWindowTree::PreviousSibling(WindowRef window) const {
    return AsRef(GetWindow(AsWindow(window), GW_HWNDPREV));
}

WindowRef DesktopWindowTree::ChildAt(WindowRef window, ScreenPoint point) const {
    POINT p = {point.x, point.y};
    ScreenToClient(AsWindow(window), &p);
    return AsRef(ChildWindowFromPoint(AsWindow(window), p));
}

std::vector<WindowRef> DesktopWindowTree::Descendants(WindowRef window) const {
    std::vector<WindowRef> list;
    EnumChildWindows(AsWindow(window), CollectChild, reinterpret_cast<LPARAM>(&list));
    return list;
}

void CarryOutScroll(const std::vector<ScrollAction>& plan) {
    for (const ScrollAction& action : plan) {
        switch (action.kind) {
            case ScrollAction::kPostHScroll:
                PostMessageA(AsWindow(action.window), WM_HSCROLL, static_cast<WPARAM>(action.code),
                             reinterpret_cast<LPARAM>(AsWindow(action.scrollBar)));
                break;
            case ScrollAction::kPostKey:
                PostMessageA(AsWindow(action.window), action.keyUp ? WM_KEYUP : WM_KEYDOWN,
                             action.virtualKey,
                             static_cast<LPARAM>(static_cast<DWORD>(action.keyLParam)));
                break;
            case ScrollAction::kMoveCursor:
                SetCursorPos(action.point.x, action.point.y);
                break;
            case ScrollAction::kClick:
                ClickAt(action.point, action.rightButton);
                break;
        }
    }
}

void DesktopTiltScroller::Scroll(TiltDirection direction, int tiltSpeed) {
    POINT cursor;
    if (!GetCursorPos(&cursor)) return;
    const ScreenPoint at = {cursor.x, cursor.y};
    DesktopWindowTree tree;
    const WindowRef under = AsRef(WindowFromPoint(cursor));
    CarryOutScroll(PlanTiltScroll(tree, under, at, direction, tiltSpeed,
                                  GetSystemMetrics(SM_SWAPBUTTON) != 0));
}

}  // namespace kestra
