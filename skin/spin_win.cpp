#include "skin/spin_win.h"

#include <cstdio>

#include "settings/ipc_names.h"
#include "skin/skin_image_win.h"

namespace kestra {
namespace {

std::string Decimal(int value) {
    char text[16];
    snprintf(text, sizeof text, "%d", value);
    return text;
}

}  // namespace

bool SkinSpinEdit::Create(int left, int top, int right, int bottom, HWND owner, int id) {
    owner_ = owner;
    id_ = id;
    return CreateFrameworkWindow(0, PlainClass(), WS_CHILD | WS_VISIBLE, left, top, right - left,
                                 bottom - top, owner) != nullptr &&
           hwnd() != nullptr;
}

LRESULT SkinSpinEdit::OnCreate(WPARAM wParam, LPARAM lParam) {
    if (DefaultProc(WM_CREATE, wParam, lParam) == -1) return -1;
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    const int w = create != nullptr ? create->cx : 0;
    RECT editRect;
    DWORD editStyle;
    if (viewOnly_) {
        upRect_ = {23, 2, w - 1, 8};
        downRect_ = {23, 9, w - 1, 15};
        editRect = {2, 2, 22, 15};
        editStyle = WS_VISIBLE | ES_READONLY | ES_AUTOHSCROLL | ES_CENTER;
    } else {
        upRect_ = {w - 20, 2, w - 2, 9};
        downRect_ = {w - 20, 11, w - 2, 18};
        editRect = {2, 2, w - 22, 20};
        editStyle = WS_VISIBLE | WS_TABSTOP | ES_NUMBER | ES_MULTILINE | ES_AUTOHSCROLL | ES_CENTER;
    }
    if (!up_.Create(hwnd(), upRect_) || !down_.Create(hwnd(), downRect_) ||
        !edit_.Create(hwnd(), editRect, editStyle, kSpinEditId)) {
        return -1;
    }
    edit_.SetNumericOnly(true);
    if (viewOnly_) {
        edit_.SetColours(RGB(0, 0, 0), RGB(255, 255, 255));
        EnableWindow(edit_.hwnd(), FALSE);
    }
    SetRange(minimum_, maximum_);
    return 0;
}

void SkinSpinEdit::SetStateImages(const RECT& rect, HBITMAP normal, HBITMAP over, HBITMAP down,
                                  HBITMAP disable) {
    if (hwnd() == nullptr) return;
    {
        WindowDC dc(hwnd());
        const HBITMAP sources[4] = {normal, over, down, disable};
        for (int i = 0; i < 4; ++i) {
            CutStateImage(dc.get(), images_[i], sources[i], rect.left, rect.top, rect.right,
                          rect.bottom);
        }
    }
    up_.SetStateImages(upRect_, images_[0].get(), images_[1].get(), images_[2].get(),
                       images_[3].get());
    down_.SetStateImages(downRect_, images_[0].get(), images_[1].get(), images_[2].get(),
                         images_[3].get());
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void SkinSpinEdit::SetRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    if (edit_.hwnd() != nullptr) {
        SendMessageA(edit_.hwnd(), EM_LIMITTEXT, SpinTextLimit(range()), 0);
    }
}

void SkinSpinEdit::SetValue(int value) {
    value_ = value;
    const std::string text = Decimal(value);
    if (edit_.hwnd() != nullptr && edit_.Text() != text) edit_.SetText(text);
}

void SkinSpinEdit::ReplaceText(const std::string& text) {
    HWND edit = edit_.hwnd();
    if (edit == nullptr) return;
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

LRESULT SkinSpinEdit::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    static const MessageEntry<SkinSpinEdit> kTable[] = {
        {WM_CREATE, &SkinSpinEdit::OnCreate},
        {WM_COMMAND, &SkinSpinEdit::OnCommand},
        {UM_EDIT_ENTER, &SkinSpinEdit::OnEditEnter},
        {WM_MOUSEMOVE, &SkinSpinEdit::OnMouseMove},
        {WM_MOUSELEAVE, &SkinSpinEdit::OnMouseLeave},
        {WM_PAINT, &SkinSpinEdit::OnPaint},
        {WM_ERASEBKGND, &SkinSpinEdit::OnEraseBackground},
        {WM_ENABLE, &SkinSpinEdit::OnEnable},
        {WM_DRAWITEM, &SkinSpinEdit::OnDrawItem},
    };
    if (message == BitmapEditKillFocusMessage() && (wParam == 0 || wParam == 1)) {
        TextChanged();
        return 0;
    }
    LRESULT result = 0;
    if (RouteMessage(this, kTable, message, wParam, lParam, &result)) return result;
    return Window::OnMessage(message, wParam, lParam);
}

LRESULT SkinSpinEdit::OnCommand(WPARAM wParam, LPARAM lParam) {
    const HWND from = reinterpret_cast<HWND>(lParam);
    // Owner-drawn buttons turn a quick second click into a double-click; on
    // an arrow it is one more step.
    const WORD code = HIWORD(wParam);
    if ((code == BN_CLICKED || code == BN_DOUBLECLICKED) && from != nullptr) {
        if (from == up_.hwnd()) Arrow(true);
        if (from == down_.hwnd()) Arrow(false);
    }
    return 0;
}

void SkinSpinEdit::Arrow(bool up) {
    const int typed = ParseSpinText(edit_.Text());
    const SpinStep next = up ? SpinUp(typed, step_, range()) : SpinDown(typed, step_, range());
    if (!next.changed) return;
    // The owner hears of it through the text change this causes.
    value_ = next.value;
    ReplaceText(Decimal(next.value));
}

void SkinSpinEdit::TextChanged() {
    value_ = ParseSpinText(edit_.Text());
    const int rounded = SpinRoundToStep(value_, step_, range());
    if (rounded != value_) {
        value_ = rounded;
        ReplaceText(Decimal(rounded));
    }
    PostMessageA(owner_, UM_SPIN_CHANGED, static_cast<WPARAM>(value_), id_);
}

LRESULT SkinSpinEdit::OnEditEnter(WPARAM, LPARAM) {
    const std::string text = edit_.Text();
    const int value = SpinEnterValue(text, range());
    const std::string shown = Decimal(value);
    if (value != value_ || shown != text) ReplaceText(shown);
    value_ = value;
    if (minimum_ <= value_ && minimum_ <= maximum_) {
        PostMessageA(owner_, UM_SPIN_CHANGED, static_cast<WPARAM>(value_), id_);
    }
    return 0;
}

LRESULT SkinSpinEdit::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    if (!tracking_) {
        TRACKMOUSEEVENT tme = {};
        tme.cbSize = sizeof tme;
        tme.dwFlags = TME_HOVER | TME_LEAVE;
        tme.hwndTrack = hwnd();
        tme.dwHoverTime = 1;
        tracking_ = TrackMouseEvent(&tme) != FALSE;
    }
    return DefaultProc(WM_MOUSEMOVE, wParam, lParam);
}

LRESULT SkinSpinEdit::OnMouseLeave(WPARAM wParam, LPARAM lParam) {
    tracking_ = false;
    return DefaultProc(WM_MOUSELEAVE, wParam, lParam);
}

LRESULT SkinSpinEdit::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    if (dc != nullptr) {
        RECT client;
        GetClientRect(hwnd(), &client);
        // A disabled field shows its disabled cut-out.
        const HBITMAP image =
            !IsWindowEnabled(hwnd()) && images_[3] ? images_[3].get() : images_[0].get();
        if (image != nullptr) {
            MemoryDC memory(CreateCompatibleDC(dc));
            if (memory) {
                ScopedSelectObject select(memory.get(), image);
                BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
            }
        } else {
            Brush brush(CreateSolidBrush(RGB(40, 40, 44)));
            FillRect(dc, &client, brush.get());
        }
        EndPaint(hwnd(), &ps);
    }
    return 0;
}

LRESULT SkinSpinEdit::OnEraseBackground(WPARAM, LPARAM) {
    return TRUE;
}

LRESULT SkinSpinEdit::OnDrawItem(WPARAM wParam, LPARAM lParam) {
    // The arrows draw themselves.
    const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (draw == nullptr || FromHandle(draw->hwndItem) == nullptr) return FALSE;
    SendMessageA(draw->hwndItem, UM_REFLECT_DRAWITEM, wParam, lParam);
    return TRUE;
}

LRESULT SkinSpinEdit::OnEnable(WPARAM wParam, LPARAM lParam) {
    // The arrows and the number go with the field; the display-only
    // number stays disabled.
    const BOOL on = wParam ? TRUE : FALSE;
    EnableWindow(up_.hwnd(), on);
    EnableWindow(down_.hwnd(), on);
    if (!viewOnly_) EnableWindow(edit_.hwnd(), on);
    InvalidateRect(hwnd(), nullptr, FALSE);
    return DefaultProc(WM_ENABLE, wParam, lParam);
}

}  // namespace kestra
