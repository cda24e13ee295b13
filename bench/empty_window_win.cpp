// The baseline of Monitor's resident cost: a hidden top-level window and a
// message loop, nothing else, built with the same compiler and options.
// What Monitor holds above this program in the same Wine session is its own.
#include <windows.h>

namespace {

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = "KestraEmptyWindow";
    if (!RegisterClassA(&wc)) return 1;
    // Hidden, as Monitor's window is.
    if (!CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "Kestra empty window", WS_POPUP, 100,
                         100, 100, 100, nullptr, nullptr, instance, nullptr)) {
        return 1;
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}
