#include "skin/slider_win.h"

#include <windowsx.h>

#include <cstdio>

#include "settings/ipc_names.h"
#include "skin/skin_image_win.h"

namespace kestra {
namespace {

// The vertical thumb's window is this much wider than its image, which sits
// in its middle.
constexpr int kVerticalThumbExtra = 8;
constexpr COLORREF kFallbackBackground = RGB(30, 30, 30);

Bitmap LoadBmpFile(const std::string& path, SIZE& size) {
    size = {0, 0};
    Bitmap bitmap(static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                                  LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    BITMAP info = {};
    if (!bitmap || GetObjectA(bitmap.get(), sizeof(info), &info) == 0 || info.bmWidth <= 0 ||
        info.bmHeight == 0) {
        return Bitmap();
    }
    size = {info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
    return bitmap;
}

COLORREF TopLeftColour(HBITMAP bitmap) {
    MemoryDC dc(CreateCompatibleDC(nullptr));
    if (!dc) return RGB(255, 255, 255);
    ScopedSelectObject select(dc.get(), bitmap);
    return GetPixel(dc.get(), 0, 0);
}

void Blit(HDC dc, int x, int y, int width, int height, HBITMAP image) {
    MemoryDC memory(CreateCompatibleDC(dc));
    if (!memory) return;
    ScopedSelectObject select(memory.get(), image);
    BitBlt(dc, x, y, width, height, memory.get(), 0, 0, SRCCOPY);
}

// A thumb that cannot be moved must not look as if it could: its image is
// dimmed towards the disabled face of the skins.
void DimTowardsDisabledFace(HDC dc, int x, int y, int width, int height) {
    MemoryDC memory(CreateCompatibleDC(dc));
    Bitmap face(CreateCompatibleBitmap(dc, width, height));
    if (!memory || !face) return;
    ScopedSelectObject select(memory.get(), face.get());
    Brush brush(CreateSolidBrush(RGB(46, 46, 48)));
    RECT all = {0, 0, width, height};
    FillRect(memory.get(), &all, brush.get());
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 180, 0};
    // gdi32's own entry (msimg32's forwards to it): one library fewer to load.
    GdiAlphaBlend(dc, x, y, width, height, memory.get(), 0, 0, width, height, blend);
}

void Debug(const char* format, double value) {
    char line[64];
    snprintf(line, sizeof line, format, value);
    OutputDebugStringA(line);
}

}  // namespace

// ---------------------------------------------------------------------- thumb

bool SliderThumb::Create(HWND track, const std::string& imagePath, int id) {
    image_ = LoadBmpFile(imagePath, imageSize_);
    if (!image_ || track == nullptr) return false;
    track_ = track;
    id_ = id;
    GetClientRect(track, &travel_);
    int x, y, width, height;
    if (vertical_) {
        width = imageSize_.cx + kVerticalThumbExtra;
        height = imageSize_.cy;
        crossPosition_ = travel_.left + (travel_.right - travel_.left - width) / 2;
        x = crossPosition_;
        y = travel_.top - imageSize_.cy / 2;
    } else {
        width = imageSize_.cx;
        height = imageSize_.cy;
        crossPosition_ = travel_.top + (travel_.bottom - travel_.top - imageSize_.cy) / 2;
        x = travel_.left - imageSize_.cx / 2;
        y = crossPosition_;
    }
    if (!CreateFrameworkWindow(0, PlainClass(), WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, y, width,
                               height, track)) {
        return false;
    }
    SetWindowLongPtrA(hwnd(), GWLP_ID, id);
    SetWindowLongPtrA(hwnd(), GWL_EXSTYLE, GetWindowLongPtrA(hwnd(), GWL_EXSTYLE) | WS_EX_TOPMOST);
    // The outline: everything but the pixels of the top-left colour.
    Region outline = MaskToRegion(image_.get(), TopLeftColour(image_.get()), 0);
    if (outline) {
        if (vertical_) OffsetRgn(outline.get(), kVerticalThumbExtra / 2, 0);
        if (SetWindowRgn(hwnd(), outline.get(), TRUE)) outline.release();
    }
    return true;
}

int SliderThumb::TravelEnd() const {
    return vertical_ ? travel_.bottom - travel_.top : travel_.right - travel_.left;
}

int SliderThumb::LeadingEdge() const {
    RECT r;
    GetWindowRect(hwnd(), &r);
    MapWindowPoints(nullptr, track_, reinterpret_cast<POINT*>(&r), 2);
    return vertical_ ? r.top : r.left;
}

void SliderThumb::MoveTo(int leadingEdge) {
    if (hwnd() == nullptr) return;
    const int width = vertical_ ? imageSize_.cx + kVerticalThumbExtra : imageSize_.cx;
    const int x = vertical_ ? crossPosition_ : leadingEdge;
    const int y = vertical_ ? leadingEdge : crossPosition_;
    MoveWindow(hwnd(), x, y, width, imageSize_.cy, TRUE);
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void SliderThumb::SetValue(int value) {
    value_ = value;
    MoveTo(ThumbPositionForValue(value, range_, TravelStart(), TravelEnd(), Length()));
}

void SliderThumb::Notify(WPARAM value, LPARAM id) {
    PostMessageA(track_, UM_SLIDER_CHANGED, value, id);
}

LRESULT SliderThumb::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    static const MessageEntry<SliderThumb> kTable[] = {
        {WM_PAINT, &SliderThumb::OnPaint},
        {WM_ERASEBKGND, &SliderThumb::OnEraseBackground},
        {WM_LBUTTONDOWN, &SliderThumb::OnLeftButtonDown},
        {WM_LBUTTONDBLCLK, &SliderThumb::OnLeftButtonDown},
        {WM_MOUSEMOVE, &SliderThumb::OnMouseMove},
        {WM_LBUTTONUP, &SliderThumb::OnLeftButtonUp},
        {WM_CAPTURECHANGED, &SliderThumb::OnCaptureChanged},
    };
    LRESULT result = 0;
    if (RouteMessage(this, kTable, message, wParam, lParam, &result)) return result;
    return Window::OnMessage(message, wParam, lParam);
}

LRESULT SliderThumb::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    if (dc != nullptr) {
        const int x = vertical_ ? kVerticalThumbExtra / 2 : 0;
        Blit(dc, x, 0, imageSize_.cx, imageSize_.cy, image_.get());
        if (!IsWindowEnabled(hwnd()))
            DimTowardsDisabledFace(dc, x, 0, imageSize_.cx, imageSize_.cy);
        EndPaint(hwnd(), &ps);
    }
    return 0;
}

LRESULT SliderThumb::OnEraseBackground(WPARAM, LPARAM) {
    return TRUE;
}

// A second press soon after the first arrives as a double-click; it starts
// a drag all the same.
LRESULT SliderThumb::OnLeftButtonDown(WPARAM wParam, LPARAM lParam) {
    if (draggable_) {
        SetCapture(hwnd());
        press_ = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        dragging_ = true;
    }
    return DefaultProc(WM_LBUTTONDOWN, wParam, lParam);
}

LRESULT SliderThumb::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    if (dragging_) {
        const int moved =
            vertical_ ? GET_Y_LPARAM(lParam) - press_.y : GET_X_LPARAM(lParam) - press_.x;
        const int at =
            DraggedThumbPosition(LeadingEdge(), moved, TravelStart(), TravelEnd(), Length());
        MoveTo(at);
        value_ = DragValue(at, range_, TravelStart(), TravelEnd(), Length());
        Notify(static_cast<WPARAM>(value_), id_);
    }
    return DefaultProc(WM_MOUSEMOVE, wParam, lParam);
}

LRESULT SliderThumb::OnLeftButtonUp(WPARAM wParam, LPARAM lParam) {
    if (!dragging_) return DefaultProc(WM_LBUTTONUP, wParam, lParam);
    dragging_ = false;
    if (GetCapture() == hwnd()) ReleaseCapture();
    const double real = DragValueReal(LeadingEdge(), range_, TravelStart(), TravelEnd(), Length());
    value_ = RoundSliderValue(real, step_, rounding_, range_);
    Notify(static_cast<WPARAM>(value_), id_);
    if (rounding_) {
        const int snapped = SnapToStep(value_, step_);
        MoveTo(ThumbPositionForValue(snapped, range_, TravelStart(), TravelEnd(), Length()));
        Notify(static_cast<WPARAM>(snapped), kSliderSnappedId);
    }
    Debug(vertical_ ? "CPVSlider=%f\n" : "CPHSlider=%f\n", real);
    return DefaultProc(WM_LBUTTONUP, wParam, lParam);
}

LRESULT SliderThumb::OnCaptureChanged(WPARAM wParam, LPARAM lParam) {
    // Capture taken away mid-drag (a menu, another window): the drag ends
    // where it is, the last value already reported.
    if (dragging_ && reinterpret_cast<HWND>(lParam) != hwnd()) dragging_ = false;
    return DefaultProc(WM_CAPTURECHANGED, wParam, lParam);
}

// ---------------------------------------------------------------------- track

bool SliderTrack::Create(const std::string& thumbImagePath, int left, int top, int right,
                         int bottom, HWND owner, int id) {
    id_ = id;
    range_ = {0, 10};
    thumbImagePath_ = thumbImagePath;
    if (!LoadBmpFile(thumbImagePath, thumbSize_)) return false;
    rect_ = {left, top, right, bottom};
    owner_ = owner;
    return CreateFrameworkWindow(0, PlainClass(), WS_CHILD | WS_VISIBLE, left, top, right - left,
                                 bottom - top, owner) != nullptr &&
           hwnd() != nullptr;
}

void SliderTrack::SetBackground(int left, int top, int right, int bottom, HBITMAP fullImage) {
    if (hwnd() == nullptr) return;
    WindowDC dc(hwnd());
    CutStateImage(dc.get(), background_, fullImage, left, top, right, bottom);
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void CclickVSlider::SetDisabledBackground(int left, int top, int right, int bottom,
                                          HBITMAP fullImage) {
    if (hwnd() == nullptr) return;
    WindowDC dc(hwnd());
    CutStateImage(dc.get(), disabled_, fullImage, left, top, right, bottom);
    InvalidateRect(hwnd(), nullptr, FALSE);
}

HBITMAP CclickVSlider::BackgroundToPaint() const {
    if (hwnd() != nullptr && !IsWindowEnabled(hwnd()) && disabled_) return disabled_.get();
    return SliderTrack::BackgroundToPaint();
}

void SliderTrack::SetRange(int minimum, int maximum) {
    range_ = {minimum, maximum};
    thumb_->SetRange(range_);
}

void SliderTrack::SetValue(int value) {
    value_ = value;
    thumb_->SetValue(value);
    if (hwnd() != nullptr) InvalidateRect(hwnd(), nullptr, FALSE);
}

void SliderTrack::SetRounding(bool on) {
    rounding_ = on;
    thumb_->SetRounding(on);
}

void SliderTrack::Notify(int value) {
    PostMessageA(owner_, UM_SLIDER_CHANGED, static_cast<WPARAM>(value), id_);
}

bool SliderTrack::CursorInside() const {
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(owner_, &p);
    return PtInRect(&rect_, p) != FALSE;
}

LRESULT SliderTrack::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    static const MessageEntry<SliderTrack> kTable[] = {
        {WM_CREATE, &SliderTrack::OnCreate},
        {WM_PAINT, &SliderTrack::OnPaint},
        {WM_ERASEBKGND, &SliderTrack::OnEraseBackground},
        {WM_LBUTTONUP, &SliderTrack::OnLeftButtonUp},
        {WM_MOUSEWHEEL, &SliderTrack::OnMouseWheel},
        {WM_MOUSEMOVE, &SliderTrack::OnMouseMove},
        {WM_MOUSELEAVE, &SliderTrack::OnMouseLeave},
        {UM_SLIDER_CHANGED, &SliderTrack::OnThumbChanged},
        {WM_ENABLE, &SliderTrack::OnEnable},
    };
    LRESULT result = 0;
    if (RouteMessage(this, kTable, message, wParam, lParam, &result)) return result;
    return Window::OnMessage(message, wParam, lParam);
}

LRESULT SliderTrack::OnCreate(WPARAM wParam, LPARAM lParam) {
    if (DefaultProc(WM_CREATE, wParam, lParam) == -1) return -1;
    if (!thumb_->Create(hwnd(), thumbImagePath_, id_)) return -1;
    thumb_->SetRange(range_);
    thumb_->SetValue(0);
    thumb_->SetDraggable(true);
    return 0;
}

LRESULT SliderTrack::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    if (dc != nullptr) {
        RECT client;
        GetClientRect(hwnd(), &client);
        if (HBITMAP image = BackgroundToPaint()) {
            Blit(dc, 0, 0, client.right, client.bottom, image);
        } else {
            Brush brush(CreateSolidBrush(kFallbackBackground));
            FillRect(dc, &client, brush.get());
        }
        EndPaint(hwnd(), &ps);
    }
    return 0;
}

LRESULT SliderTrack::OnEraseBackground(WPARAM, LPARAM) {
    return TRUE;
}

LRESULT SliderTrack::OnLeftButtonUp(WPARAM wParam, LPARAM lParam) {
    POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    MapWindowPoints(hwnd(), owner_, &p, 1);
    int value;
    if (vertical_) {
        value = VerticalClickValue(p.y - rect_.top, rect_.bottom - rect_.top, range_);
    } else {
        const double real = TrackClickValue(p.x - rect_.left, rect_.right - rect_.left, range_);
        Debug("CclickHSlider=%f\n", real);
        value = RoundSliderValue(real, step_, rounding_, range_);
    }
    value_ = value;
    const int shown = SnapToStep(value, step_);
    thumb_->SetValue(shown);
    Notify(shown);
    return DefaultProc(WM_LBUTTONUP, wParam, lParam);
}

LRESULT SliderTrack::OnMouseWheel(WPARAM wParam, LPARAM lParam) {
    if (!vertical_ && !wheelActive_) return DefaultProc(WM_MOUSEWHEEL, wParam, lParam);
    const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
    const int value = WheelValue(value_, delta, wheelStep_, vertical_, range_);
    if (value != value_) {
        value_ = value;
        thumb_->SetValue(value);
        Notify(value);
    }
    return 0;
}

LRESULT SliderTrack::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    if (!tracking_) {
        TRACKMOUSEEVENT tme = {};
        tme.cbSize = sizeof tme;
        tme.dwFlags = TME_HOVER | TME_LEAVE;
        tme.hwndTrack = hwnd();
        tme.dwHoverTime = 1;
        tracking_ = TrackMouseEvent(&tme) != FALSE;
        if (!vertical_) wheelActive_ = true;
    }
    if (GetFocus() != hwnd()) SetFocus(hwnd());
    return DefaultProc(WM_MOUSEMOVE, wParam, lParam);
}

LRESULT SliderTrack::OnMouseLeave(WPARAM wParam, LPARAM lParam) {
    tracking_ = false;
    if (!CursorInside()) {
        if (vertical_) {
            if (GetFocus() == hwnd()) SetFocus(owner_);
        } else {
            SendMessageA(owner_, WM_KILLFOCUS, static_cast<WPARAM>(-1), 0);
            wheelActive_ = false;
        }
    }
    return DefaultProc(WM_MOUSELEAVE, wParam, lParam);
}

LRESULT SliderTrack::OnThumbChanged(WPARAM wParam, LPARAM) {
    // Whatever id the thumb used, the owner hears the track's own.
    value_ = static_cast<int>(wParam);
    Notify(value_);
    return 0;
}

LRESULT SliderTrack::OnEnable(WPARAM wParam, LPARAM lParam) {
    if (thumb_->hwnd() != nullptr) {
        EnableWindow(thumb_->hwnd(), wParam ? TRUE : FALSE);
        InvalidateRect(thumb_->hwnd(), nullptr, FALSE);
    }
    InvalidateRect(hwnd(), nullptr, FALSE);
    return DefaultProc(WM_ENABLE, wParam, lParam);
}

}  // namespace kestra
