// A stand-in game for the end-to-end tests: a plain window that comes to the
// foreground and stays until the process is ended (at most a minute).
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HWND window = CreateWindowExA(0, "STATIC", "Racing", WS_POPUP | WS_VISIBLE | WS_BORDER, 100,
                                  100, 320, 200, nullptr, nullptr, nullptr, nullptr);
    if (window == nullptr) return 1;
    SetForegroundWindow(window);
    SetTimer(nullptr, 0, 60000, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER) break;
        DispatchMessageA(&msg);
    }
    return 0;
}
