#include "skin/window_win.h"

#include <cstring>
#include <string>

namespace kestra {
namespace {

thread_local Window* t_creating = nullptr;
WNDPROC g_systemButtonProc = nullptr;

HINSTANCE ThisModule() {
    return GetModuleHandleA(nullptr);
}

struct Superclass {
    std::string system;
    std::string name;
    WNDPROC systemProc;
};
Superclass g_superclasses[8];
size_t g_superclassCount = 0;

WNDPROC SuperclassBase(const char* className) {
    for (size_t i = 0; i < g_superclassCount; ++i) {
        if (g_superclasses[i].name == className) return g_superclasses[i].systemProc;
    }
    return nullptr;
}

// The child whose notification or colour request this is, or null.
HWND ReflectionTarget(HWND self, UINT message, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORLISTBOX: {
            HWND child = reinterpret_cast<HWND>(lParam);
            return child != nullptr && child != self && IsWindow(child) ? child : nullptr;
        }
        default:
            return nullptr;
    }
}

}  // namespace

Window::~Window() {
    DestroyOwnWindow();
}

void Window::DestroyOwnWindow() {
    if (hwnd_ == nullptr) return;
    HWND hwnd = hwnd_;
    DestroyWindow(hwnd);
    if (hwnd_ != nullptr) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
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

const char* Window::SystemControlClass(const char* systemClass) {
    if (systemClass == nullptr) return nullptr;
    for (size_t i = 0; i < g_superclassCount; ++i) {
        if (lstrcmpiA(g_superclasses[i].system.c_str(), systemClass) == 0) {
            return g_superclasses[i].name.c_str();
        }
    }
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    if (g_superclassCount == sizeof(g_superclasses) / sizeof(g_superclasses[0]) ||
        !GetClassInfoExA(nullptr, systemClass, &wc)) {
        return nullptr;
    }
    Superclass& entry = g_superclasses[g_superclassCount];
    entry.system = systemClass;
    entry.name = std::string("Kestra") + systemClass;
    entry.systemProc = wc.lpfnWndProc;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &Window::StaticProc;
    wc.hInstance = ThisModule();
    wc.lpszClassName = entry.name.c_str();
    wc.style &= ~CS_GLOBALCLASS;
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    ++g_superclassCount;
    return entry.name.c_str();
}

HWND Window::CreateFrameworkWindow(DWORD exStyle, const char* className, DWORD style, int x, int y,
                                   int width, int height, HWND parent) {
    if (hwnd_ != nullptr) return nullptr;
    baseProc_ = (className == ButtonClass() && g_systemButtonProc != nullptr) ? g_systemButtonProc
                                                                              : DefWindowProcA;
    if (WNDPROC system = SuperclassBase(className)) baseProc_ = system;
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
        Window* control = FromHandle(ReflectionTarget(hwnd, message, lParam));
        if (control != nullptr && control != self &&
            control->OnReflected(kReflectBase + message, wParam, lParam, &result)) {
            return result;
        }
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
