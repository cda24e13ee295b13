// Overlay.exe as Monitor meets it: one instance with the display program's
// title, indications shown on top without ever taking the foreground, and an
// end on WM_CLOSE.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "settings/file_system.h"
#include "settings/ipc_names.h"
#include "tests/windows/e2e_harness_win.h"

namespace kestra {
namespace {

using e2e::WaitUntil;

TEST(OverlayWin, ShowsIndicationsWithoutTakingTheForegroundAndEndsOnClose) {
    ASSERT_EQ(nullptr, FindWindowA(nullptr, kOsdWindowTitle)) << "another display program runs";
    e2e::ProgramFolder folder;
    ASSERT_TRUE(folder.ok());
    EnsureDirectory(folder.File("config"));
    WritePrivateProfileStringA("Setting", "ProFileName", "Sniper",
                               folder.File("config\\Default2.gmp").c_str());
    const std::string ini = folder.File("config.ini");
    WritePrivateProfileStringA("OSDData", "Message", "CPI: 1600", ini.c_str());
    WritePrivateProfileStringA("MacroOSD", "MacroName", "Rapid Fire", ini.c_str());

    e2e::Process overlay;
    ASSERT_TRUE(overlay.Start(folder.File("Overlay.exe")));
    HWND window = e2e::WaitForWindow(kOsdWindowTitle, 10000);
    ASSERT_NE(nullptr, window);
    EXPECT_FALSE(IsWindowVisible(window));
    const LONG_PTR ex = GetWindowLongPtrA(window, GWL_EXSTYLE);
    const LONG_PTR wanted =
        WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW;
    EXPECT_EQ(wanted, ex & wanted);

    // A second copy ends at once and leaves the first alone.
    e2e::Process second;
    ASSERT_TRUE(second.Start(folder.File("Overlay.exe")));
    EXPECT_TRUE(second.Wait(5000));
    EXPECT_EQ(window, FindWindowA(nullptr, kOsdWindowTitle));

    // A "game" in the foreground keeps it through every indication.
    HWND game = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "game", WS_POPUP | WS_VISIBLE, 0, 0,
                                800, 600, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(game);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == game; }, 2000));
    auto visible = [&] { return IsWindowVisible(window) != FALSE; };

    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const struct {
        WPARAM kind;
        LPARAM lParam;
    } shows[] = {{OSD_SHOW_PROFILE, 2 << 16}, {OSD_SHOW_MESSAGE, 0}, {OSD_SHOW_MACRO, 0}};
    for (const auto& show : shows) {
        SCOPED_TRACE(show.kind);
        ASSERT_TRUE(PostMessageA(window, UM_OSD_SHOW, show.kind, show.lParam));
        EXPECT_TRUE(WaitUntil(visible, 3000));
        EXPECT_EQ(game, GetForegroundWindow());
        RECT r;
        GetWindowRect(window, &r);
        EXPECT_NEAR((work.left + work.right) / 2, (r.left + r.right) / 2, 2);
        EXPECT_GT(r.top, (work.top + work.bottom) / 2);
        EXPECT_LT(r.bottom, work.bottom);
    }
    EXPECT_TRUE(PostMessageA(window, UM_OSD_SETTINGS, 0, 0x00030007));
    // Gone by itself about 1.5 s after the last indication.
    EXPECT_TRUE(WaitUntil([&] { return !visible(); }, 4000));
    EXPECT_EQ(game, GetForegroundWindow());
    // Nothing to show (an unknown kind, a profile out of range) shows nothing.
    PostMessageA(window, UM_OSD_SHOW, 60, 0);
    PostMessageA(window, UM_OSD_SHOW, OSD_SHOW_PROFILE, 7 << 16);
    EXPECT_FALSE(WaitUntil(visible, 300));

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(overlay.Wait(5000));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, kOsdWindowTitle));
    DestroyWindow(game);
}

}  // namespace
}  // namespace kestra
