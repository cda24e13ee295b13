// Move-only owners of Win32 handles and GDI objects, and a guard that puts
// back what it selected into a DC. A handle given away (a region handed to
// SetWindowRgn, say) is taken out with release().
#pragma once

#include <windows.h>

namespace kestra {

template <class H, class Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    H get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    H release() {
        H handle = handle_;
        handle_ = nullptr;
        return handle;
    }
    void reset(H handle = nullptr) {
        if (handle_ != nullptr && handle_ != handle) Traits::Close(handle_);
        handle_ = handle;
    }

private:
    H handle_ = nullptr;
};

struct GdiObjectTraits {
    static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct MemoryDcTraits {
    static void Close(HDC h) { DeleteDC(h); }
};
struct IconTraits {
    static void Close(HICON h) { DestroyIcon(h); }
};
struct MenuTraits {
    static void Close(HMENU h) { DestroyMenu(h); }
};
struct HookTraits {
    static void Close(HHOOK h) { UnhookWindowsHookEx(h); }
};

using Bitmap = UniqueHandle<HBITMAP, GdiObjectTraits>;
using Region = UniqueHandle<HRGN, GdiObjectTraits>;
using Font = UniqueHandle<HFONT, GdiObjectTraits>;
using Brush = UniqueHandle<HBRUSH, GdiObjectTraits>;
using Pen = UniqueHandle<HPEN, GdiObjectTraits>;
using MemoryDC = UniqueHandle<HDC, MemoryDcTraits>;
using Icon = UniqueHandle<HICON, IconTraits>;
using Menu = UniqueHandle<HMENU, MenuTraits>;
using Hook = UniqueHandle<HHOOK, HookTraits>;

// A DC borrowed from a window (GetDC or GetWindowDC) and given back.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd, bool wholeWindow = false)
        : hwnd_(hwnd), dc_(wholeWindow ? GetWindowDC(hwnd) : GetDC(hwnd)) {}
    ~WindowDC() {
        if (dc_ != nullptr) ReleaseDC(hwnd_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object)
        : dc_(dc), old_(object != nullptr ? SelectObject(dc, object) : nullptr) {}
    ~ScopedSelectObject() {
        if (old_ != nullptr && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace kestra
