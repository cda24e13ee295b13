#include "skin/bitmap_edit_win.h"

#include <vector>

#include "settings/ipc_names.h"
#include "skin/bitmap_edit.h"
#include "skin/skin_window_win.h"

namespace kestra {

UINT BitmapEditKillFocusMessage() {
    static const UINT message = RegisterWindowMessageA(kBitmapEditKillFocusMessage);
    return message;
}

UINT BitmapEditChangeMessage() {
    static const UINT message = RegisterWindowMessageA(kBitmapEditChangeMessage);
    return message;
}

BitmapEdit::BitmapEdit() {
    // Both numbers exist from the first field on, as other windows may
    // compare against them before any field has sent anything.
    BitmapEditKillFocusMessage();
    BitmapEditChangeMessage();
}

bool BitmapEdit::Create(HWND parent, const RECT& rect, DWORD style, int id) {
    const char* className = SystemControlClass("EDIT");
    if (className == nullptr) return false;
    if (!CreateFrameworkWindow(0, className, style | WS_CHILD, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, parent)) {
        return false;
    }
    SetWindowLongPtrA(hwnd(), GWLP_ID, id);
    font_ = CreateSkinFont(SkinFontKind::kEdit);
    ApplyFont();
    return true;
}

void BitmapEdit::SetColours(COLORREF text, COLORREF background) {
    textColour_ = text;
    backgroundColour_ = background;
    if (hwnd() != nullptr) InvalidateRect(hwnd(), nullptr, TRUE);
}

void BitmapEdit::ApplyFont() {
    if (hwnd() != nullptr) SendMessageA(hwnd(), WM_SETFONT, (WPARAM)font_.get(), TRUE);
}

std::string BitmapEdit::Text() const {
    if (hwnd() == nullptr) return std::string();
    const int length = GetWindowTextLengthA(hwnd());
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(hwnd(), buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), got > 0 && got <= length ? got : 0);
}

void BitmapEdit::SetText(const std::string& text) {
    if (hwnd() != nullptr) SetWindowTextA(hwnd(), text.c_str());
}

LRESULT BitmapEdit::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    static const MessageEntry<BitmapEdit> kTable[] = {
        {WM_KEYDOWN, &BitmapEdit::OnKeyDown},
        {WM_CHAR, &BitmapEdit::OnChar},
        {WM_KEYUP, &BitmapEdit::OnKeyUp},
        {WM_KILLFOCUS, &BitmapEdit::OnKillFocus},
        {WM_ERASEBKGND, &BitmapEdit::OnEraseBackground},
        {WM_VSCROLL, &BitmapEdit::OnVScroll},
        {WM_PAINT, &BitmapEdit::OnPaint},
    };
    LRESULT result = 0;
    if (RouteMessage(this, kTable, message, wParam, lParam, &result)) return result;
    return Window::OnMessage(message, wParam, lParam);
}

bool BitmapEdit::OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
        case UM_REFLECT_CTLCOLOREDIT:
        case UM_REFLECT_CTLCOLORSTATIC:
            *result = ColourRequest(reinterpret_cast<HDC>(wParam));
            return true;
        case UM_REFLECT_COMMAND:
            if (HIWORD(wParam) != EN_CHANGE) return false;
            TextChanged();
            *result = 0;
            return true;
        default:
            (void)lParam;
            return false;
    }
}

LRESULT BitmapEdit::ColourRequest(HDC dc) {
    brush_.reset(CreateSolidBrush(backgroundColour_));
    if (dc != nullptr) {
        SetTextColor(dc, textColour_);
        SetBkColor(dc, backgroundColour_);
    }
    return reinterpret_cast<LRESULT>(brush_.get());
}

void BitmapEdit::TextChanged() {
    if (filtering_) return;
    if (numericOnly_) {
        const std::string text = Text();
        DWORD start = 0;
        SendMessageA(hwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
        const FilteredText filtered = FilterNumericText(text, start);
        if (filtered.changed) {
            filtering_ = true;
            SetWindowTextA(hwnd(), filtered.text.c_str());
            SendMessageA(hwnd(), EM_SETSEL, filtered.caret, filtered.caret);
            filtering_ = false;
        }
    }
    UpdateWindow(hwnd());
    InvalidateRect(hwnd(), nullptr, TRUE);
    Notify(BitmapEditKillFocusMessage(), 0);
}

void BitmapEdit::Notify(UINT message, WPARAM wParam) {
    HWND parent = GetParent(hwnd());
    if (parent != nullptr) PostMessageA(parent, message, wParam, 0);
}

LRESULT BitmapEdit::OnKeyDown(WPARAM wParam, LPARAM lParam) {
    dropNextChar_ = false;
    if (numericOnly_ &&
        !NumericEditAcceptsKey(static_cast<unsigned>(wParam), GetKeyState(VK_CONTROL) < 0,
                               GetKeyState(VK_MENU) < 0)) {
        // The character that translation makes of this key goes as well.
        dropNextChar_ = true;
        return 0;
    }
    return DefaultProc(WM_KEYDOWN, wParam, lParam);
}

LRESULT BitmapEdit::OnChar(WPARAM wParam, LPARAM lParam) {
    const bool drop = dropNextChar_;
    dropNextChar_ = false;
    if (numericOnly_ && (drop || !NumericEditAcceptsChar(static_cast<unsigned char>(wParam)))) {
        return 0;
    }
    return DefaultProc(WM_CHAR, wParam, lParam);
}

LRESULT BitmapEdit::OnKeyUp(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefaultProc(WM_KEYUP, wParam, lParam);
    if (wParam == VK_RETURN) Notify(UM_EDIT_ENTER, 13);
    return result;
}

LRESULT BitmapEdit::OnKillFocus(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefaultProc(WM_KILLFOCUS, wParam, lParam);
    Notify(BitmapEditKillFocusMessage(), 1);
    return result;
}

LRESULT BitmapEdit::OnEraseBackground(WPARAM, LPARAM) {
    return TRUE;
}

LRESULT BitmapEdit::OnPaint(WPARAM wParam, LPARAM lParam) {
    // The system greys the text of a disabled edit whatever its colours; a
    // disabled read-only field only shows a number, so it keeps them.
    const LONG_PTR style = GetWindowLongPtrA(hwnd(), GWL_STYLE);
    if (IsWindowEnabled(hwnd()) || !(style & ES_READONLY)) {
        return DefaultProc(WM_PAINT, wParam, lParam);
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    if (dc != nullptr) {
        RECT client;
        GetClientRect(hwnd(), &client);
        Brush brush(CreateSolidBrush(backgroundColour_));
        FillRect(dc, &client, brush.get());
        const std::string text = Text();
        ScopedSelectObject selectFont(dc, font_.get());
        SetTextColor(dc, textColour_);
        SetBkMode(dc, TRANSPARENT);
        UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_TOP;
        if (style & ES_CENTER) {
            format |= DT_CENTER;
        } else if (style & ES_RIGHT) {
            format |= DT_RIGHT;
        }
        DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &client, format);
        EndPaint(hwnd(), &ps);
    }
    return 0;
}

LRESULT BitmapEdit::OnVScroll(WPARAM wParam, LPARAM lParam) {
    InvalidateRect(hwnd(), nullptr, TRUE);
    return DefaultProc(WM_VSCROLL, wParam, lParam);
}

}  // namespace kestra
