#include "monitor/osd_windows_win.h"

#include <windows.h>

namespace kestra {

bool DesktopOsdWindows::Post(const char* title, uint32_t message, uintptr_t wParam,
                             intptr_t lParam) {
    HWND window = FindWindowA(nullptr, title);
    if (!window) return false;
    return PostMessageA(window, message, static_cast<WPARAM>(wParam),
                        static_cast<LPARAM>(lParam)) != FALSE;
}

}  // namespace kestra
