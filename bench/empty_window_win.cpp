// The baseline of Monitor's resident cost: a hidden top-level window and a
// message loop, nothing else, built with the same compiler and options.
// What Monitor holds above this program in the same Wine session is its own.
// With "+thread", "+exited" and "+notify" in its command line it also
// starts an idle thread as Monitor's threads are started, one that ends at
// once, or registers for the HID
// device notifications as Monitor's library does: the cost of each alone.
// With "+shown" it is instead the baseline of Option's start: a visible
// 300 x 200 window that marks its first finished paint with the property
// Option's main window sets, so that one bench times both the same way,
// and writes the same points of its start as Option (KESTRA_START_TIMES).
#include <windows.h>
#include <dbt.h>
#include <stdio.h>
#include <string.h>
extern "C" {
#include <hidsdi.h>
}

#include "settings/ipc_names.h"

namespace {

// The points of the start as Option writes them: name and counter ticks.
struct Mark {
    const char* name;
    LONGLONG ticks;
};
Mark g_marks[8];
int g_markCount = 0;

void MarkNow(const char* name) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    if (g_markCount < 8) g_marks[g_markCount++] = {name, now.QuadPart};
}

void WriteMarks() {
    char path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("KESTRA_START_TIMES", path, sizeof path);
    if (length == 0 || length >= sizeof path) return;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    for (int i = 0; i < g_markCount; ++i) {
        char line[96];
        const int n = snprintf(line, sizeof line, "mark %s %lld\n", g_marks[i].name,
                               static_cast<long long>(g_marks[i].ticks));
        DWORD written = 0;
        if (n > 0) WriteFile(file, line, static_cast<DWORD>(n), &written, nullptr);
    }
    CloseHandle(file);
}

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        RemovePropA(window, kestra::kFirstPaintProperty);
        PostQuitMessage(0);
        return 0;
    }
    if (message == WM_CREATE) MarkNow("created");
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        BeginPaint(window, &ps);
        EndPaint(window, &ps);
        if (GetPropA(window, kestra::kFirstPaintProperty) == nullptr) {
            MarkNow("painted-main");
            WriteMarks();
            SetPropA(window, kestra::kFirstPaintProperty, reinterpret_cast<HANDLE>(1));
        }
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
    MarkNow("winmain");
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = "KestraEmptyWindow";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    if (!RegisterClassA(&wc)) return 1;
    const char* line = GetCommandLineA();
    if (strstr(line, " +shown")) {
        MarkNow("creating");
        HWND shown =
            CreateWindowExA(WS_EX_APPWINDOW, wc.lpszClassName, "Kestra empty window", WS_POPUP, 100,
                            100, 300, 200, nullptr, nullptr, instance, nullptr);
        if (!shown) return 1;
        MarkNow("window-made");
        ShowWindow(shown, SW_SHOW);
        MarkNow("shown");
        UpdateWindow(shown);
        MarkNow("painted-all");
        WriteMarks();
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        return 0;
    }
    // Hidden, as Monitor's window is.
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "Kestra empty window",
                                  WS_POPUP, 100, 100, 100, 100, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
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
