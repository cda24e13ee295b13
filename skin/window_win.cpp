#include "skin/window_win.h"

#include <cstring>

namespace kestra {
namespace {

thread_local Window* t_creating = nullptr;
WNDPROC g_systemButtonProc = nullptr;

HINSTANCE ThisModule() {
    return GetModuleHandleA(nullptr);
}

}  // namespace

Window::~Window() {
    if (hwnd_ != nullptr) {
        HWND hwnd = hwnd_;
        DestroyWindow(hwnd);
        // A window of another thread cannot be destroyed from here; cut it loose.
        if (hwnd_ != nullptr) {
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            hwnd_ = nullptr;
        }
    }
}

const char* Window::PlainClass() {
    static const char* name = [] {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &Window::StaticProc;
        wc.hInstance = ThisModule();
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.lpszClassName = "KestraWindow";
        RegisterClassExA(&wc);
        return "KestraWindow";
    }();
    return name;
}

const char* Window::ButtonClass() {
    static const char* name = [] {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof(wc);
        if (!GetClassInfoExA(nullptr, "BUTTON", &wc)) return "KestraSkinButton";
        g_systemButtonProc = wc.lpfnWndProc;
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &Window::StaticProc;
        wc.hInstance = ThisModule();
        wc.lpszClassName = "KestraSkinButton";
        wc.style &= ~CS_GLOBALCLASS;
        RegisterClassExA(&wc);
        return "KestraSkinButton";
    }();
    return name;
}

HWND Window::CreateFrameworkWindow(DWORD exStyle, const char* className, DWORD style, int x, int y,
                                   int width, int height, HWND parent) {
    if (hwnd_ != nullptr) return nullptr;
    baseProc_ = (className == ButtonClass() && g_systemButtonProc != nullptr) ? g_systemButtonProc
                                                                              : DefWindowProcA;
    Window* outer = t_creating;
    t_creating = this;
    HWND hwnd = CreateWindowExA(exStyle, className, "", style, x, y, width, height, parent, nullptr,
                                ThisModule(), this);
    t_creating = outer;
    return hwnd;
}

Window* Window::FromHandle(HWND hwnd) {
    if (hwnd == nullptr) return nullptr;
    if (GetWindowLongPtrA(hwnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&Window::StaticProc)) {
        return nullptr;
    }
    return reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

LRESULT Window::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultProc(message, wParam, lParam);
}

LRESULT Window::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd_ == nullptr) return 0;
    return CallWindowProcA(baseProc_, hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr && t_creating != nullptr && t_creating->hwnd_ == nullptr) {
        self = t_creating;
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (self == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    try {
        result = self->OnMessage(message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the system's dispatcher.
        result = 0;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->OnFinalDestroy();
    }
    return result;
}

}  // namespace kestra
