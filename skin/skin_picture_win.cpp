#include "skin/skin_picture_win.h"

#include "skin/skin_image_win.h"

namespace kestra {
namespace {

// The dark panel of the skins, which the pictures sit on.
constexpr COLORREF kPanelColour = RGB(40, 40, 44);

}  // namespace

bool SkinPicture::Create(HWND parent, const RECT& rect) {
    return CreateFrameworkWindow(0, PlainClass(), WS_CHILD | WS_VISIBLE, rect.left, rect.top,
                                 rect.right - rect.left, rect.bottom - rect.top, parent) != nullptr;
}

void SkinPicture::SetStateImages(const RECT& rect, HBITMAP state0, HBITMAP state1, HBITMAP state2) {
    WindowDC dc(hwnd());
    const HBITMAP sources[kStateCount] = {state0, state1, state2};
    for (int i = 0; i < kStateCount; ++i) {
        if (!ValidState(i)) break;
        CutStateImage(dc.get(), images_[i], sources[i], rect.left, rect.top, rect.right,
                      rect.bottom);
    }
    InvalidateRect(hwnd(), nullptr, kind_ == Kind::kThreeState);
}

void SkinPicture::SetImage(int state, Bitmap image) {
    if (!ValidState(state)) return;
    images_[state] = std::move(image);
    if (state == state_) InvalidateRect(hwnd(), nullptr, kind_ == Kind::kThreeState);
}

bool SkinPicture::LoadImageFile(int state, const std::string& path) {
    if (!ValidState(state)) return false;
    Bitmap image;
    SIZE size;
    const bool ok = LoadSkinImage(path, image, size);
    SetImage(state, std::move(image));
    return ok;
}

void SkinPicture::SetState(int state) {
    if (!ValidState(state) || state == state_) return;
    state_ = state;
    InvalidateRect(hwnd(), nullptr, kind_ == Kind::kThreeState);
}

HBITMAP SkinPicture::image(int state) const {
    return ValidState(state) ? images_[state].get() : nullptr;
}

LRESULT SkinPicture::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    static const MessageEntry<SkinPicture> kTable[] = {
        {WM_PAINT, &SkinPicture::OnPaint},
        {WM_ERASEBKGND, &SkinPicture::OnEraseBackground},
    };
    LRESULT result = 0;
    if (RouteMessage(this, kTable, message, wParam, lParam, &result)) return result;
    return Window::OnMessage(message, wParam, lParam);
}

LRESULT SkinPicture::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    if (dc == nullptr) return 0;
    HBITMAP picture = images_[state_].get();
    BITMAP info = {};
    if (picture != nullptr && GetObjectA(picture, sizeof info, &info) == sizeof info) {
        MemoryDC memory(CreateCompatibleDC(dc));
        if (memory) {
            ScopedSelectObject select(memory.get(), picture);
            BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory.get(), 0, 0, SRCCOPY);
        }
    }
    EndPaint(hwnd(), &ps);
    return 0;
}

LRESULT SkinPicture::OnEraseBackground(WPARAM wParam, LPARAM) {
    // The single image paints over whatever lies under it. The three-state
    // picture is erased, so that a smaller image leaves nothing of a larger
    // one; only around its image, which paints the rest without flicker.
    if (kind_ == Kind::kSingleImage) return TRUE;
    HDC dc = reinterpret_cast<HDC>(wParam);
    if (dc == nullptr) return FALSE;
    RECT client;
    GetClientRect(hwnd(), &client);
    BITMAP info = {};
    HBITMAP picture = images_[state_].get();
    const int saved = SaveDC(dc);
    if (picture != nullptr && GetObjectA(picture, sizeof info, &info) == sizeof info) {
        ExcludeClipRect(dc, 0, 0, info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight);
    }
    Brush panel(CreateSolidBrush(kPanelColour));
    if (panel) FillRect(dc, &client, panel.get());
    RestoreDC(dc, saved);
    return TRUE;
}

}  // namespace kestra
