// The baseline of Monitor's resident cost: a hidden top-level window and a
// message loop, nothing else, built with the same compiler and options.
// What Monitor holds above this program in the same Wine session is its own.
// With "+thread", "+exited" and "+notify" in its command line it also
// starts an idle thread as Monitor's threads are started, one that ends at
// once, or registers for the HID
// device notifications as Monitor's library does: the cost of each alone.
#include <windows.h>
#include <dbt.h>
#include <string.h>
extern "C" {
#include <hidsdi.h>
}

namespace {

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI Ends(void*) { return 0; }

DWORD WINAPI Idle(void* stop) {
    WaitForSingleObject(stop, INFINITE);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = "KestraEmptyWindow";
    if (!RegisterClassA(&wc)) return 1;
    // Hidden, as Monitor's window is.
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "Kestra empty window",
                                  WS_POPUP, 100, 100, 100, 100, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    const char* line = GetCommandLineA();
    if (strstr(line, " +thread")) {
        static HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        CloseHandle(CreateThread(nullptr, 256 * 1024, Idle, stop,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    }
    if (strstr(line, " +libs")) {
        const char* names[] = {"comctl32.dll", "ole32.dll", "shell32.dll", "winmm.dll",
                               "hid.dll", "setupapi.dll"};
        for (const char* name : names) LoadLibraryA(name);
    }
    if (strstr(line, " +exited")) {
        HANDLE ended = CreateThread(nullptr, 256 * 1024, Ends, nullptr,
                                    STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
        WaitForSingleObject(ended, INFINITE);
        CloseHandle(ended);
    }
    if (strstr(line, " +notify")) {
        DEV_BROADCAST_DEVICEINTERFACE_A filter = {};
        filter.dbcc_size = sizeof filter;
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        HidD_GetHidGuid(&filter.dbcc_classguid);
        RegisterDeviceNotificationA(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}
