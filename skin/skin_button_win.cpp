#include "skin/skin_button_win.h"

#include <windowsx.h>

#include "skin/skin_image_win.h"
#include "skin/skin_window_win.h"

namespace kestra {
namespace {

constexpr COLORREF kCaptionHoverColour = 0x1414E6;
constexpr COLORREF kCaptionColour = 0xFFFFFF;

// One font for every caption: each button's own would be made and laid out
// again on its first paint.
HFONT CaptionFont() {
    static const Font font = CreateSkinFont(SkinFontKind::kCaption);
    return font.get();
}

void CopyImage(HDC dc, int x, int y, int width, int height, HBITMAP image) {
    if (image == nullptr) return;
    MemoryDC memory(CreateCompatibleDC(dc));
    if (!memory) return;
    ScopedSelectObject select(memory.get(), image);
    BitBlt(dc, x, y, width, height, memory.get(), 0, 0, SRCCOPY);
}

}  // namespace

bool SkinButton::Create(HWND parent, const RECT& rect) {
    // Owner-drawn from the start and without a tab stop: changing the style
    // afterwards costs each of the many buttons of a skin window messages
    // and a repaint for nothing.
    const DWORD style = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW;
    return CreateFrameworkWindow(0, ButtonClass(), style, rect.left, rect.top,
                                 rect.right - rect.left, rect.bottom - rect.top, parent) != nullptr;
}

void SkinButton::SetStateImages(const RECT& rect, HBITMAP normal, HBITMAP over, HBITMAP down,
                                HBITMAP disable) {
    // The cut images are DIB sections: a memory DC serves, where the
    // button's own DC would cost a visible-region query each.
    MemoryDC dc(CreateCompatibleDC(nullptr));
    const HBITMAP sources[4] = {normal, over, down, disable};
    for (int i = 0; i < 4; ++i) {
        CutStateImage(dc.get(), images_[i], sources[i], rect.left, rect.top, rect.right,
                      rect.bottom);
    }
    const LONG_PTR style = GetWindowLongPtrA(hwnd(), GWL_STYLE);
    const LONG_PTR plain = style & ~static_cast<LONG_PTR>(WS_BORDER | WS_TABSTOP);
    if (plain != style) SetWindowLongPtrA(hwnd(), GWL_STYLE, plain);
}

void SkinButton::SetCheck(int state) {
    if (state == checked_) return;
    checked_ = state;
    Repaint();
}

ButtonImage SkinButton::ImageFor(UINT itemState) const {
    ButtonLook look;
    look.toggleMode = toggleMode_;
    look.disabled = (itemState & ODS_DISABLED) != 0;
    look.checked = checked_ != 0;
    look.hover = hover_;
    look.selected = (itemState & ODS_SELECTED) != 0;
    return ChooseButtonImage(look);
}

void SkinButton::DrawFace(HDC dc, const RECT& rect, HBITMAP image) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (caption_.empty()) {
        CopyImage(dc, rect.left, rect.top, width, height, image);
        return;
    }
    RECT client;
    GetClientRect(hwnd(), &client);
    MemoryDC memory(CreateCompatibleDC(dc));
    Bitmap face = CreateFrameBitmap(client.right, client.bottom);
    if (!memory || !face) return;
    ScopedSelectObject selectFace(memory.get(), face.get());
    CopyImage(memory.get(), 0, 0, client.right, client.bottom, image);
    ScopedSelectObject selectFont(memory.get(), CaptionFont());
    SetBkMode(memory.get(), TRANSPARENT);
    SetTextColor(memory.get(), hover_ ? kCaptionHoverColour : kCaptionColour);
    SIZE extent = {0, 0};
    GetTextExtentPoint32A(memory.get(), caption_.c_str(), static_cast<int>(caption_.size()),
                          &extent);
    TextOutA(memory.get(), client.left + 10, client.bottom / 2 - extent.cy / 2 + 1,
             caption_.c_str(), static_cast<int>(caption_.size()));
    BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
}

void SkinColorButton::DrawFace(HDC dc, const RECT& rect, HBITMAP image) {
    (void)rect;
    RECT client;
    GetClientRect(hwnd(), &client);
    const int w = client.right;
    const int h = client.bottom;
    MemoryDC memory(CreateCompatibleDC(dc));
    Bitmap face = CreateFrameBitmap(w, h);
    if (!memory || !face) return;
    ScopedSelectObject selectFace(memory.get(), face.get());
    CopyImage(memory.get(), 0, 0, w, h, image);
    // The swatch covers all but the four corner pixels of the image.
    Region swatch(CreateRectRgn(0, 1, w, h - 1));
    Region cross(CreateRectRgn(1, 0, w - 1, h));
    Brush brush(CreateSolidBrush(colour()));
    if (swatch && cross && brush) {
        CombineRgn(swatch.get(), swatch.get(), cross.get(), RGN_OR);
        FillRgn(memory.get(), swatch.get(), brush.get());
    }
    BitBlt(dc, 0, 0, w, h, memory.get(), 0, 0, SRCCOPY);
}

LRESULT SkinButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    static const MessageEntry<SkinButton> kTable[] = {
        {UM_REFLECT_DRAWITEM, &SkinButton::OnDrawItem},
        {WM_MOUSEMOVE, &SkinButton::OnMouseMove},
        {WM_KILLFOCUS, &SkinButton::OnKillFocus},
        {WM_CAPTURECHANGED, &SkinButton::OnCaptureChanged},
        {WM_LBUTTONDOWN, &SkinButton::OnLeftButtonDown},
        {WM_LBUTTONUP, &SkinButton::OnLeftButtonUp},
        {WM_ERASEBKGND, &SkinButton::OnEraseBackground},
        {WM_NCPAINT, &SkinButton::OnNonClientPaint},
    };
    LRESULT result = 0;
    if (RouteMessage(this, kTable, message, wParam, lParam, &result)) return result;
    return Window::OnMessage(message, wParam, lParam);
}

LRESULT SkinButton::OnDrawItem(WPARAM, LPARAM lParam) {
    const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (draw == nullptr || draw->hDC == nullptr) return FALSE;
    DrawFace(draw->hDC, draw->rcItem, Image(ImageFor(draw->itemState)));
    return TRUE;
}

HWND SkinButton::ParentOrOwner() const {
    HWND parent = GetParent(hwnd());
    return parent != nullptr ? parent : GetWindow(hwnd(), GW_OWNER);
}

LRESULT SkinButton::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    DefaultProc(WM_MOUSEMOVE, wParam, lParam);
    const bool leftDown = (wParam & MK_LBUTTON) != 0;
    if (leftDown && !hover_) return 0;  // a drag from elsewhere does not light the button
    if (GetCapture() != hwnd()) {
        if (GetActiveWindow() != nullptr && ParentOrOwner() != nullptr) {
            hover_ = true;
            SetCapture(hwnd());
            Repaint();
        }
        return 0;
    }
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(hwnd(), &point);
    if (WindowFromPoint(point) == hwnd()) return 0;
    if (hover_) {
        hover_ = false;
        Repaint();
    }
    if (!leftDown) ReleaseCapture();
    return 0;
}

LRESULT SkinButton::OnKillFocus(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefaultProc(WM_KILLFOCUS, wParam, lParam);
    hover_ = false;
    Repaint();
    return result;
}

LRESULT SkinButton::OnCaptureChanged(WPARAM wParam, LPARAM lParam) {
    if (hover_) {
        if (GetCapture() == hwnd()) ReleaseCapture();
        Repaint();
    }
    return DefaultProc(WM_CAPTURECHANGED, wParam, lParam);
}

LRESULT SkinButton::OnLeftButtonDown(WPARAM wParam, LPARAM lParam) {
    HWND parent = ParentOrOwner();
    if (parent != nullptr && GetActiveWindow() != GetAncestor(parent, GA_ROOT)) {
        SetActiveWindow(GetAncestor(parent, GA_ROOT));
    }
    return DefaultProc(WM_LBUTTONDOWN, wParam, lParam);
}

LRESULT SkinButton::OnLeftButtonUp(WPARAM wParam, LPARAM lParam) {
    if (!toggleMode_) return DefaultProc(WM_LBUTTONUP, wParam, lParam);
    checked_ = checked_ ? 0 : 1;
    // The press took the capture; letting go of it also ends the pressed look.
    if (GetCapture() == hwnd()) ReleaseCapture();
    Repaint();
    const int id = GetDlgCtrlID(hwnd());
    SendMessageA(ParentOrOwner(), WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(hwnd()));
    return 0;
}

LRESULT SkinButton::OnEraseBackground(WPARAM, LPARAM) {
    return 0;
}

LRESULT SkinButton::OnNonClientPaint(WPARAM wParam, LPARAM lParam) {
    // A button without a frame has nothing outside its face; the system's
    // handling would still ask for the window's visible region, for each
    // of the many buttons whenever their window is shown.
    RECT window, client;
    if (GetWindowRect(hwnd(), &window) && GetClientRect(hwnd(), &client) &&
        window.right - window.left == client.right && window.bottom - window.top == client.bottom) {
        return 0;
    }
    return DefaultProc(WM_NCPAINT, wParam, lParam);
}

}  // namespace kestra
