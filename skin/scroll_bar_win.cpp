#include "skin/scroll_bar_win.h"

#include <windowsx.h>

#include <string>

#include "skin/skin_window_win.h"

namespace kestra {
namespace {

constexpr UINT_PTR kSyncTimer = 1;
constexpr int kDefaultUnit = 14;

// Colours drawn where an image is missing.
constexpr COLORREF kArrowColour = RGB(58, 58, 64);
constexpr COLORREF kThumbColour = RGB(90, 90, 96);
constexpr COLORREF kTrackColour = RGB(40, 40, 44);

Bitmap LoadBmp(const std::string& path) {
    return Bitmap(static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                                  LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
}

SIZE SizeOf(HBITMAP bitmap) {
    BITMAP info = {};
    if (bitmap == nullptr || GetObjectA(bitmap, sizeof(info), &info) == 0) return {0, 0};
    return {info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
}

// Moves a child only when its place changes, as the frame lays out on every
// synchronisation.
void Place(HWND child, int x, int y, int w, int h) {
    if (child == nullptr) return;
    RECT now;
    GetWindowRect(child, &now);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&now), 2);
    if (now.left != x || now.top != y || now.right != x + w || now.bottom != y + h) {
        MoveWindow(child, x, y, w, h, TRUE);
    }
}

bool IsPagePart(int part) {
    return part == kScrollPageUp || part == kScrollPageDown;
}

}  // namespace

// ----------------------------------------------------------------- scroll bar

bool SkinScrollBar::Create(HWND parent, const RECT& rect, DWORD style) {
    vertical_ = (style & SBS_VERT) != 0;
    LoadImages();
    if (!CreateFrameworkWindow(0, PlainClass(), WS_CHILD | WS_VISIBLE | (style & SBS_VERT),
                               rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                               parent)) {
        return false;
    }
    RECT client;
    GetClientRect(hwnd(), &client);
    length_ = vertical_ ? client.bottom : client.right;
    return true;
}

void SkinScrollBar::LoadImages() {
    const std::string folder = SkinFolder();
    const char* start = vertical_ ? "up" : "left";
    const char* end = vertical_ ? "down" : "right";
    const std::string names[kImageCount] = {std::string("scrollbar_") + start + ".bmp",
                                            std::string("scrollbar_") + start + "_hot.bmp",
                                            std::string("scrollbar_") + end + ".bmp",
                                            std::string("scrollbar_") + end + "_hot.bmp",
                                            "scrollbar_thumb.bmp",
                                            "scrollbar_thumb_hot.bmp",
                                            "scrollbar_track.bmp"};
    for (int i = 0; i < kImageCount; ++i) images_[i] = LoadBmp(folder + names[i]);
    const SIZE arrow = SizeOf(images_[kArrowStart].get());
    const int unit = vertical_ ? arrow.cy : arrow.cx;
    unit_ = unit > 0 && unit <= 64 ? unit : kDefaultUnit;
}

void SkinScrollBar::SetState(const ScrollState& state) {
    const int trackPos = state_.trackPos;
    state_ = state;
    state_.trackPos = dragging_ ? trackPos : -1;  // a drag in progress keeps its place
    if (hwnd() != nullptr) InvalidateRect(hwnd(), nullptr, FALSE);
}

ScrollGeometry SkinScrollBar::Geometry() const {
    return ComputeScrollGeometry(state_, length_, unit_);
}

RECT SkinScrollBar::PartRect(const ScrollGeometry& g, int part) const {
    RECT client;
    GetClientRect(hwnd(), &client);
    int from = 0, to = 0;
    switch (part) {
        case kScrollLineUp:
            to = g.arrow;
            break;
        case kScrollLineDown:
            from = g.length - g.arrow;
            to = g.length;
            break;
        case kScrollPageUp:
            from = g.arrow;
            to = g.arrow + g.offset;
            break;
        case kScrollThumb:
            from = g.arrow + g.offset;
            to = from + g.thumb;
            break;
        case kScrollPageDown:
            from = g.arrow + g.offset + g.thumb;
            to = g.length - g.arrow;
            break;
        default:
            break;
    }
    if (vertical_) return {0, from, client.right, to};
    return {from, 0, to, client.bottom};
}

int SkinScrollBar::Along(LPARAM lParam) const {
    return vertical_ ? GET_Y_LPARAM(lParam) : GET_X_LPARAM(lParam);
}

void SkinScrollBar::Send(int code, int position) {
    HWND parent = GetParent(hwnd());
    if (parent == nullptr) return;
    SendMessageA(parent, vertical_ ? WM_VSCROLL : WM_HSCROLL,
                 MAKEWPARAM(code, static_cast<WORD>(position)), reinterpret_cast<LPARAM>(hwnd()));
}

LRESULT SkinScrollBar::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    static const MessageEntry<SkinScrollBar> kTable[] = {
        {WM_PAINT, &SkinScrollBar::OnPaint},
        {WM_ERASEBKGND, &SkinScrollBar::OnEraseBackground},
        {WM_SIZE, &SkinScrollBar::OnSize},
        {WM_LBUTTONDOWN, &SkinScrollBar::OnLeftButtonDown},
        {WM_LBUTTONDBLCLK, &SkinScrollBar::OnLeftButtonDown},
        {WM_MOUSEMOVE, &SkinScrollBar::OnMouseMove},
        {WM_LBUTTONUP, &SkinScrollBar::OnLeftButtonUp},
        {WM_MOUSELEAVE, &SkinScrollBar::OnMouseLeave},
        {WM_TIMER, &SkinScrollBar::OnTimer},
        {WM_CAPTURECHANGED, &SkinScrollBar::OnCaptureChanged},
    };
    LRESULT result = 0;
    if (RouteMessage(this, kTable, message, wParam, lParam, &result)) return result;
    return Window::OnMessage(message, wParam, lParam);
}

LRESULT SkinScrollBar::OnSize(WPARAM wParam, LPARAM lParam) {
    length_ = vertical_ ? HIWORD(lParam) : LOWORD(lParam);
    InvalidateRect(hwnd(), nullptr, FALSE);
    return DefaultProc(WM_SIZE, wParam, lParam);
}

LRESULT SkinScrollBar::OnLeftButtonDown(WPARAM, LPARAM lParam) {
    SetCapture(hwnd());
    const ScrollGeometry g = Geometry();
    const int part = ScrollHitTest(g, Along(lParam));
    if (part == kScrollThumb) {
        dragging_ = true;
        dragStart_ = state_.pos;
        state_.trackPos = state_.pos;
        pressAt_ = Along(lParam);
        return 0;
    }
    pressed_ = part;
    Send(part, 0);
    SetTimer(hwnd(), kScrollFirstRepeatTimer, kScrollFirstRepeatMs, nullptr);
    InvalidateRect(hwnd(), nullptr, FALSE);
    return 0;
}

LRESULT SkinScrollBar::OnTimer(WPARAM wParam, LPARAM lParam) {
    if (wParam == kScrollFirstRepeatTimer) {
        KillTimer(hwnd(), kScrollFirstRepeatTimer);
        if (pressed_ >= 0) SetTimer(hwnd(), kScrollRepeatTimer, kScrollRepeatMs, nullptr);
        return 0;
    }
    if (wParam != kScrollRepeatTimer) return DefaultProc(WM_TIMER, wParam, lParam);
    if (pressed_ < 0) {
        KillTimer(hwnd(), kScrollRepeatTimer);
        return 0;
    }
    if (IsPagePart(pressed_)) {
        // Paging stops once the thumb has reached the cursor.
        POINT cursor;
        GetCursorPos(&cursor);
        ScreenToClient(hwnd(), &cursor);
        const RECT thumb = PartRect(Geometry(), kScrollThumb);
        if (PtInRect(&thumb, cursor)) return 0;
        if (ScrollHitTest(Geometry(), vertical_ ? cursor.y : cursor.x) != pressed_) return 0;
    }
    Send(pressed_, 0);
    return 0;
}

LRESULT SkinScrollBar::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    if (dragging_) {
        const int position =
            ScrollDragPosition(state_, Geometry(), dragStart_, pressAt_, Along(lParam));
        if (position != state_.trackPos) {
            state_.trackPos = position;
            InvalidateRect(hwnd(), nullptr, FALSE);
            Send(SB_THUMBTRACK, position);
        }
        return 0;
    }
    if (pressed_ >= 0) return 0;
    const int hot = ScrollHitTest(Geometry(), Along(lParam));
    const int lit =
        (hot == kScrollThumb || hot == kScrollLineUp || hot == kScrollLineDown) ? hot : -1;
    if (!trackingLeave_) {
        TRACKMOUSEEVENT tme = {};
        tme.cbSize = sizeof tme;
        tme.dwFlags = TME_LEAVE;
        tme.hwndTrack = hwnd();
        trackingLeave_ = TrackMouseEvent(&tme) != FALSE;
    }
    if (lit != hot_) {
        hot_ = lit;
        InvalidateRect(hwnd(), nullptr, FALSE);
    }
    return DefaultProc(WM_MOUSEMOVE, wParam, lParam);
}

void SkinScrollBar::EndPress() {
    KillTimer(hwnd(), kScrollFirstRepeatTimer);
    KillTimer(hwnd(), kScrollRepeatTimer);
    if (pressed_ >= 0) {
        pressed_ = -1;
        InvalidateRect(hwnd(), nullptr, FALSE);
    }
}

LRESULT SkinScrollBar::OnLeftButtonUp(WPARAM, LPARAM) {
    if (dragging_) {
        dragging_ = false;
        const int position = state_.trackPos >= 0 ? state_.trackPos : state_.pos;
        state_.pos = position;
        state_.trackPos = -1;
        Send(SB_THUMBPOSITION, position);
        InvalidateRect(hwnd(), nullptr, FALSE);
    }
    EndPress();
    if (GetCapture() == hwnd()) ReleaseCapture();
    return 0;
}

LRESULT SkinScrollBar::OnCaptureChanged(WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(lParam) != hwnd()) {
        EndPress();
        if (dragging_) {
            dragging_ = false;
            state_.trackPos = -1;
            InvalidateRect(hwnd(), nullptr, FALSE);
        }
    }
    return DefaultProc(WM_CAPTURECHANGED, wParam, lParam);
}

LRESULT SkinScrollBar::OnMouseLeave(WPARAM wParam, LPARAM lParam) {
    trackingLeave_ = false;
    if (hot_ >= 0) {
        hot_ = -1;
        InvalidateRect(hwnd(), nullptr, FALSE);
    }
    return DefaultProc(WM_MOUSELEAVE, wParam, lParam);
}

LRESULT SkinScrollBar::OnEraseBackground(WPARAM, LPARAM) {
    return TRUE;
}

LRESULT SkinScrollBar::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    if (dc == nullptr) return 0;
    RECT client;
    GetClientRect(hwnd(), &client);
    // Drawn off-screen, so that a moving thumb does not flicker.
    MemoryDC memory(CreateCompatibleDC(dc));
    Bitmap picture(CreateCompatibleBitmap(dc, client.right > 0 ? client.right : 1,
                                          client.bottom > 0 ? client.bottom : 1));
    if (memory && picture) {
        ScopedSelectObject select(memory.get(), picture.get());
        Draw(memory.get(), client);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
    } else {
        Draw(dc, client);
    }
    EndPaint(hwnd(), &ps);
    return 0;
}

void SkinScrollBar::DrawImage(HDC dc, HBITMAP image, const RECT& r, COLORREF fallback) {
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    const SIZE size = SizeOf(image);
    MemoryDC memory(image != nullptr ? CreateCompatibleDC(dc) : nullptr);
    if (!memory || size.cx <= 0 || size.cy <= 0) {
        Brush brush(CreateSolidBrush(fallback));
        FillRect(dc, &r, brush.get());
        return;
    }
    ScopedSelectObject select(memory.get(), image);
    if (w == size.cx && h == size.cy) {
        BitBlt(dc, r.left, r.top, w, h, memory.get(), 0, 0, SRCCOPY);
    } else {
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, r.left, r.top, w, h, memory.get(), 0, 0, size.cx, size.cy, SRCCOPY);
    }
}

void SkinScrollBar::Draw(HDC dc, const RECT& client) {
    const ScrollGeometry g = Geometry();
    const bool startHot = hot_ == kScrollLineUp && pressed_ < 0;
    const bool endHot = hot_ == kScrollLineDown && pressed_ < 0;
    DrawImage(dc, images_[startHot ? kArrowStartHot : kArrowStart].get(),
              PartRect(g, kScrollLineUp), kArrowColour);
    DrawImage(dc, images_[endHot ? kArrowEndHot : kArrowEnd].get(), PartRect(g, kScrollLineDown),
              kArrowColour);
    const HBITMAP track = images_[kTrack].get();
    if (g.thumb == 0) {
        RECT between = PartRect(g, kScrollPageUp);
        const RECT after = PartRect(g, kScrollPageDown);
        if (vertical_) {
            between.bottom = after.bottom;
        } else {
            between.right = after.right;
        }
        DrawImage(dc, track, between, kTrackColour);
    } else {
        DrawImage(dc, track, PartRect(g, kScrollPageUp), kTrackColour);
        DrawImage(dc, track, PartRect(g, kScrollPageDown), kTrackColour);
        const bool thumbHot = hot_ == kScrollThumb || dragging_;
        DrawImage(dc, images_[thumbHot ? kThumbHot : kThumb].get(), PartRect(g, kScrollThumb),
                  kThumbColour);
    }
    // An odd pixel between two half-bar arrows.
    if (g.track == 0 && g.length % 2 == 1) {
        RECT middle = vertical_ ? RECT{0, g.arrow, client.right, g.arrow + 1}
                                : RECT{g.arrow, 0, g.arrow + 1, client.bottom};
        DrawImage(dc, track, middle, kTrackColour);
    }
}

// --------------------------------------------------------------- scroll frame

bool SkinScrollFrame::Inner::Create(HWND parent) {
    return CreateFrameworkWindow(0, PlainClass(), WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0,
                                 0, parent) != nullptr;
}

bool SkinScrollFrame::Attach(HWND list) {
    if (list == nullptr || !IsWindow(list) || hwnd() != nullptr) return false;
    HWND parent = GetParent(list);
    RECT r;
    GetWindowRect(list, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    if (!CreateFrameworkWindow(0, PlainClass(), WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, r.left,
                               r.top, r.right - r.left, r.bottom - r.top, parent)) {
        return false;
    }
    if (!inner_.Create(hwnd())) return false;
    list_ = list;
    hasHorizontal_ = (GetWindowLongPtrA(list, GWL_STYLE) & WS_HSCROLL) != 0;
    const RECT none = {0, 0, 0, 0};
    if (!vertical_.Create(hwnd(), none, SBS_VERT) ||
        (hasHorizontal_ && !horizontal_.Create(hwnd(), none, SBS_HORZ))) {
        return false;
    }
    SetParent(list, inner_.hwnd());
    Layout();
    Sync();
    SetTimer(hwnd(), kSyncTimer, kScrollFrameSyncMs, nullptr);
    return true;
}

void SkinScrollFrame::Layout() {
    if (hwnd() == nullptr) return;
    RECT client;
    GetClientRect(hwnd(), &client);
    const int u = vertical_.unit();
    const int hu = hasHorizontal_ ? horizontal_.unit() : 0;
    const int innerW = client.right - u > 0 ? client.right - u : 0;
    const int innerH = client.bottom - hu > 0 ? client.bottom - hu : 0;
    Place(inner_.hwnd(), 0, 0, innerW, innerH);
    Place(vertical_.hwnd(), innerW, 0, u, innerH);
    if (hasHorizontal_) Place(horizontal_.hwnd(), 0, innerH, innerW, hu);
    if (list_ == nullptr || !IsWindow(list_)) return;
    // The list's own bars lie just outside the inner window, out of sight.
    const LONG_PTR style = GetWindowLongPtrA(list_, GWL_STYLE);
    const int w = innerW + ((style & WS_VSCROLL) ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    const int h = innerH + ((style & WS_HSCROLL) ? GetSystemMetrics(SM_CYHSCROLL) : 0);
    Place(list_, 0, 0, w, h);
}

void SkinScrollFrame::Copy(int bar, SkinScrollBar& to, bool always) {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    ScrollState state;
    if (GetScrollInfo(list_, bar, &info)) {
        state.min = info.nMin;
        state.max = info.nMax;
        state.page = static_cast<int>(info.nPage);
        state.pos = info.nPos;
    }
    const ScrollState& shown = to.state();
    if (always || shown.min != state.min || shown.max != state.max || shown.page != state.page ||
        shown.pos != state.pos) {
        to.SetState(state);
    }
}

void SkinScrollFrame::Sync() {
    if (list_ == nullptr || !IsWindow(list_)) return;
    Layout();
    if (IsWindowVisible(vertical_.hwnd())) Copy(SB_VERT, vertical_, false);
    if (hasHorizontal_ && IsWindowVisible(horizontal_.hwnd())) Copy(SB_HORZ, horizontal_, false);
}

LRESULT SkinScrollFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_VSCROLL || message == WM_HSCROLL) return OnScroll(message, wParam, lParam);
    static const MessageEntry<SkinScrollFrame> kTable[] = {
        {WM_SIZE, &SkinScrollFrame::OnSize},
        {WM_TIMER, &SkinScrollFrame::OnTimer},
    };
    LRESULT result = 0;
    if (RouteMessage(this, kTable, message, wParam, lParam, &result)) return result;
    return Window::OnMessage(message, wParam, lParam);
}

LRESULT SkinScrollFrame::OnScroll(UINT message, WPARAM wParam, LPARAM lParam) {
    if (list_ == nullptr || !IsWindow(list_)) return 0;
    const HWND from = reinterpret_cast<HWND>(lParam);
    if (from != vertical_.hwnd() && (!hasHorizontal_ || from != horizontal_.hwnd())) return 0;
    SendMessageA(list_, message, wParam, 0);
    const int bar = message == WM_VSCROLL ? SB_VERT : SB_HORZ;
    if (LOWORD(wParam) == SB_THUMBTRACK) {
        // Some controls read a track position from their own (hidden) bar
        // and stay put; they are moved to the position instead.
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_POS;
        if (GetScrollInfo(list_, bar, &info) && info.nPos != HIWORD(wParam)) {
            SendMessageA(list_, message, MAKEWPARAM(SB_THUMBPOSITION, HIWORD(wParam)), 0);
        }
    } else {
        if (message == WM_VSCROLL) {
            Copy(SB_VERT, vertical_, true);
        } else {
            Copy(SB_HORZ, horizontal_, true);
        }
    }
    return 0;
}

LRESULT SkinScrollFrame::OnSize(WPARAM wParam, LPARAM lParam) {
    Layout();
    return DefaultProc(WM_SIZE, wParam, lParam);
}

LRESULT SkinScrollFrame::OnTimer(WPARAM wParam, LPARAM lParam) {
    if (wParam != kSyncTimer) return DefaultProc(WM_TIMER, wParam, lParam);
    Sync();
    return 0;
}

}  // namespace kestra
