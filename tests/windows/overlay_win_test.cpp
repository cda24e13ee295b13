// Overlay.exe as Monitor meets it: one instance with the display program's
// title, indications shown on top without ever taking the foreground, and an
// end on WM_CLOSE.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "settings/ipc_names.h"

namespace kestra {
namespace {

std::string TestProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

bool WaitFor(bool (*condition)(HWND), HWND window, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        if (condition(window)) return true;
        Sleep(20);
    } while (GetTickCount() - start < timeoutMs);
    return false;
}

bool Visible(HWND w) {
    return IsWindowVisible(w) != FALSE;
}
bool Hidden(HWND w) {
    return IsWindowVisible(w) == FALSE;
}

// Overlay.exe copied beside scratch settings files, started, and ended again.
class OverlayProgram {
public:
    OverlayProgram() {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        folder_ =
            std::string(temp) + "kestra-overlay-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(folder_.c_str(), nullptr);
        CreateDirectoryA((folder_ + "config").c_str(), nullptr);
        copied_ = CopyFileA((TestProgramFolder() + "..\\program\\Overlay.exe").c_str(),
                            Program().c_str(), FALSE) != FALSE;
        WritePrivateProfileStringA("Setting", "ProFileName", "Sniper",
                                   (folder_ + "config\\Default2.gmp").c_str());
        const std::string ini = folder_ + "config.ini";
        WritePrivateProfileStringA("OSDData", "Message", "CPI: 1600", ini.c_str());
        WritePrivateProfileStringA("MacroOSD", "MacroName", "Rapid Fire", ini.c_str());
    }
    ~OverlayProgram() {
        if (process_) {
            if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 1);
            WaitForSingleObject(process_, 5000);
            CloseHandle(process_);
        }
        for (const char* file : {"Overlay.exe", "config.ini", "config\\Default2.gmp"})
            DeleteFileA((folder_ + file).c_str());
        RemoveDirectoryA((folder_ + "config").c_str());
        RemoveDirectoryA(folder_.c_str());
    }
    bool copied() const { return copied_; }
    std::string Program() const { return folder_ + "Overlay.exe"; }

    // Starts a copy; its process handle when it started.
    HANDLE Start() const {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        std::string command = "\"" + Program() + "\"";
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                            folder_.c_str(), &si, &pi)) {
            return nullptr;
        }
        CloseHandle(pi.hThread);
        return pi.hProcess;
    }
    void Own(HANDLE process) { process_ = process; }
    HANDLE process() const { return process_; }

private:
    std::string folder_;
    bool copied_ = false;
    HANDLE process_ = nullptr;
};

HWND FindOverlay(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    do {
        if (HWND w = FindWindowA(nullptr, kOsdWindowTitle)) return w;
        Sleep(20);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

LRESULT CALLBACK GameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(OverlayWin, ShowsIndicationsWithoutTakingTheForegroundAndEndsOnClose) {
    ASSERT_EQ(nullptr, FindWindowA(nullptr, kOsdWindowTitle)) << "another display program runs";
    OverlayProgram overlay;
    ASSERT_TRUE(overlay.copied());
    overlay.Own(overlay.Start());
    ASSERT_NE(nullptr, overlay.process());
    HWND window = FindOverlay(10000);
    ASSERT_NE(nullptr, window);
    EXPECT_FALSE(IsWindowVisible(window));
    const LONG_PTR ex = GetWindowLongPtrA(window, GWL_EXSTYLE);
    const LONG_PTR wanted =
        WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW;
    EXPECT_EQ(wanted, ex & wanted);

    // A second copy ends at once and leaves the first alone.
    HANDLE second = overlay.Start();
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second, 5000));
    CloseHandle(second);
    EXPECT_EQ(window, FindWindowA(nullptr, kOsdWindowTitle));

    // A "game" in the foreground keeps it through every indication.
    WNDCLASSA cls = {};
    cls.lpfnWndProc = GameProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "KestraOverlayGame";
    RegisterClassA(&cls);
    HWND game = CreateWindowExA(WS_EX_TOOLWINDOW, cls.lpszClassName, "game", WS_POPUP | WS_VISIBLE,
                                0, 0, 800, 600, nullptr, nullptr, cls.hInstance, nullptr);
    SetForegroundWindow(game);
    WaitFor(Visible, game, 200);
    ASSERT_EQ(game, GetForegroundWindow());

    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const struct {
        WPARAM kind;
        LPARAM lParam;
    } shows[] = {{OSD_SHOW_PROFILE, 2 << 16}, {OSD_SHOW_MESSAGE, 0}, {OSD_SHOW_MACRO, 0}};
    for (const auto& show : shows) {
        SCOPED_TRACE(show.kind);
        ASSERT_TRUE(PostMessageA(window, UM_OSD_SHOW, show.kind, show.lParam));
        EXPECT_TRUE(WaitFor(Visible, window, 3000));
        EXPECT_EQ(game, GetForegroundWindow());
        RECT r;
        GetWindowRect(window, &r);
        EXPECT_NEAR((work.left + work.right) / 2, (r.left + r.right) / 2, 2);
        EXPECT_GT(r.top, (work.top + work.bottom) / 2);
        EXPECT_LT(r.bottom, work.bottom);
    }
    EXPECT_TRUE(PostMessageA(window, UM_OSD_SETTINGS, 0, 0x00030007));
    // Gone by itself about 1.5 s after the last indication.
    EXPECT_TRUE(WaitFor(Hidden, window, 4000));
    EXPECT_EQ(game, GetForegroundWindow());
    // Nothing to show (an unknown kind, a profile out of range) shows nothing.
    PostMessageA(window, UM_OSD_SHOW, 60, 0);
    PostMessageA(window, UM_OSD_SHOW, OSD_SHOW_PROFILE, 7 << 16);
    EXPECT_FALSE(WaitFor(Visible, window, 300));

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(overlay.process(), 5000));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, kOsdWindowTitle));
    DestroyWindow(game);
}

}  // namespace
}  // namespace kestra
