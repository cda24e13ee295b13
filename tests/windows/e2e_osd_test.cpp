// Monitor's outward actions end to end: the on-screen indications it hands
// the display program, the display program it starts and closes, and the
// volume keys with their repeat, driven by the virtual mouse.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "settings/file_system.h"
#include "settings/ini_file.h"
#include "settings/ipc_names.h"
#include "settings/osd_settings.h"
#include "settings/settings_record.h"
#include "tests/native/test_support.h"
#include "tests/windows/e2e_harness_win.h"

namespace kestra {
namespace e2e {
namespace {

constexpr DWORD kSettle = 8000;

// The display program's window, played by the test process.
class FakeOsd : public MessageRecorder {
public:
    FakeOsd() : MessageRecorder(kOsdWindowTitle) {}
    int Shows(WPARAM kind) const { return Count(UM_OSD_SHOW, kind); }
};

std::string FileBytes(const std::string& path) {
    std::string bytes;
    ReadWholeFile(path, bytes);
    return bytes;
}

class OsdEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.ok()) << folder.path();
        ASSERT_TRUE(folder.Has("Monitor.exe"));
    }
    // The display program is played by a FakeOsd here, not started.
    void WithoutOverlay() { DeleteFileA(folder.File("Overlay.exe").c_str()); }
    void StartSystem() {
        ASSERT_TRUE(mouse.Start());
        ASSERT_TRUE(monitor.Start());
        ASSERT_TRUE(WaitUntil([&] { return ReadConfigInt(folder, "Device", -1) == 1; }, kSettle))
            << Observed(folder, mouse);
        // The firmware check is the last thing a start sends.
        ASSERT_TRUE(WaitUntil([&] { return LogHas(mouse, "get 80"); }, kSettle))
            << Observed(folder, mouse);
    }
    std::string Config(const char* section, const char* key) {
        return IniFile(folder.File("config.ini")).GetString(section, key, "<none>");
    }
    void SendText(const char* text) {
        char record[kOsdTextRecordSize] = {};
        strncpy(record + 1, text, sizeof record - 2);
        COPYDATASTRUCT data = {0, kOsdTextRecordSize, record};
        EXPECT_EQ(TRUE,
                  SendMessageA(monitor.window(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)));
    }

    ProgramFolder folder;
    VirtualMouse mouse{folder};
    MonitorProgram monitor{folder};
};

TEST_F(OsdEndToEnd, AMacroIsAnnouncedOnlyWhileItsIndicationIsOn) {
    WithoutOverlay();
    WriteSettings(folder, [](SettingsStore& store) {
        store.profiles[0].buttons[13] =  // button 14: B down, B up
            kestra_test::MacroButton({{0x05, 1, 10}, {0x05, 2, 10}}, 1, "bee");
        store.profiles[0].buttons[13].button = 13;
    });
    FakeOsd osd;
    KeyObserver keys;
    ASSERT_TRUE(keys.ok());
    StartSystem();

    // Off (the settings carry no display record at all): the macro plays and
    // config.ini keeps every byte.
    const std::string before = FileBytes(folder.File("config.ini"));
    ASSERT_TRUE(mouse.Event(0x4000, 0x000E));
    ASSERT_TRUE(mouse.Event(0x4000, 0x010E));
    EXPECT_TRUE(WaitUntil([&] { return keys.Keys().size() >= 2; }, kSettle))
        << Observed(folder, mouse);
    WaitUntil([] { return false; }, 300);
    EXPECT_EQ(before, FileBytes(folder.File("config.ini")));
    EXPECT_EQ(0, osd.Shows(OSD_SHOW_MACRO));

    // Switched on by an apply: the display program hears of the change, then
    // of the macro, which it finds under its announced number.
    OsdSettings on;
    MakeDefaultOsdSettings(on);
    on.SetWord(12, 1);
    on.SetWord(32, 2);
    ASSERT_TRUE(SaveOsdSettings(folder.File("config.ini"), on));
    SendMessageA(monitor.window(), UM_APPLY_SETTINGS, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return osd.Count(UM_OSD_SETTINGS) == 1; }, kSettle))
        << Observed(folder, mouse);
    EXPECT_EQ(2 << 16, osd.messages().back().lParam);
    keys.Clear();
    ASSERT_TRUE(mouse.Event(0x4000, 0x000E));
    ASSERT_TRUE(mouse.Event(0x4000, 0x010E));
    EXPECT_TRUE(WaitUntil([&] { return osd.Shows(OSD_SHOW_MACRO) == 1; }, kSettle))
        << Observed(folder, mouse);
    EXPECT_EQ("3", Config("MacroOSD", "Number"));
    EXPECT_EQ("bee", Config("MacroOSD", "MacroName"));
}

TEST_F(OsdEndToEnd, TextsAreStoredAlwaysButAnnouncedOnlyWithTheMouse) {
    WithoutOverlay();
    FakeOsd osd;
    StartSystem();
    ASSERT_TRUE(mouse.Unplug());
    ASSERT_TRUE(WaitUntil([&] { return ReadConfigInt(folder, "Device", -1) == 0; }, kSettle))
        << Observed(folder, mouse);
    SendText("Unplugged mail");
    EXPECT_EQ("Unplugged mail", Config("OSDData", "Message"));
    WaitUntil([] { return false; }, 300);
    EXPECT_EQ(0, osd.Shows(OSD_SHOW_MESSAGE));

    ASSERT_TRUE(mouse.Plug());
    ASSERT_TRUE(WaitUntil([&] { return ReadConfigInt(folder, "Device", -1) == 1; }, kSettle))
        << Observed(folder, mouse);
    SendText("New mail");
    EXPECT_TRUE(WaitUntil([&] { return osd.Shows(OSD_SHOW_MESSAGE) == 1; }, kSettle))
        << Observed(folder, mouse);
    EXPECT_EQ("New mail", Config("OSDData", "Message"));

    // The mouse's own switches: a DPI level without a value still announced,
    // a profile by its index in the high half.
    ASSERT_TRUE(mouse.Event(0x0700, 7));
    EXPECT_TRUE(WaitUntil([&] { return osd.Shows(OSD_SHOW_MESSAGE) == 2; }, kSettle))
        << Observed(folder, mouse);
    EXPECT_EQ("", Config("OSDData", "Message"));
    ASSERT_TRUE(mouse.Event(0x0800, 2));
    EXPECT_TRUE(WaitUntil([&] { return osd.Shows(OSD_SHOW_PROFILE) == 1; }, kSettle))
        << Observed(folder, mouse);
    EXPECT_EQ(1 << 16, osd.messages().back().lParam);
}

TEST_F(OsdEndToEnd, ProgramWatchAnnouncesTheProfileAgainOnceTheMouseHasIt) {
    WithoutOverlay();
    // The test program itself plays the game bound to profile 3.
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string program = strrchr(self, '\\') + 1;
    WriteSettings(folder, [&](SettingsStore& store) {
        CopyText(store.profiles[2].GameFile, sizeof store.profiles[2].GameFile,
                 ("C:\\Games\\" + program).c_str());
    });
    OsdSettings on;
    MakeDefaultOsdSettings(on);
    on.SetWord(8, 1);
    ASSERT_TRUE(SaveOsdSettings(folder.File("config.ini"), on));
    FakeOsd osd;
    HWND game = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "game", WS_POPUP | WS_VISIBLE, 0, 0,
                                300, 200, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(game);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == game; }, 2000))
        << Observed(folder, mouse);
    StartSystem();

    // Once when program watch switches, once more after the mouse has
    // selected the profile.
    EXPECT_TRUE(WaitUntil([&] { return osd.Shows(OSD_SHOW_PROFILE) == 2; }, kSettle))
        << Observed(folder, mouse);
    for (const RecordedMessage& seen : osd.messages()) EXPECT_EQ(2 << 16, seen.lParam);
    std::unique_ptr<SettingsStore> block(new SettingsStore());
    ASSERT_TRUE(ReadSharedBlock(*block));
    EXPECT_EQ(2, block->CurrentProfile);
    const std::vector<std::string> log = mouse.Log();
    EXPECT_NE(log.end(), std::find(log.begin(), log.end(), "set 02 03 00 00 00 00 00 FA"));
    DestroyWindow(game);
}

TEST_F(OsdEndToEnd, MonitorStartsTheDisplayProgramAndClosesIt) {
    ASSERT_TRUE(folder.Has("Overlay.exe"));
    ASSERT_EQ(nullptr, FindWindowA(nullptr, kOsdWindowTitle));
    StartSystem();
    EXPECT_NE(nullptr, WaitForWindow(kOsdWindowTitle, kSettle));
    ASSERT_TRUE(monitor.Close());
    EXPECT_TRUE(WaitForNoWindow(kOsdWindowTitle, kSettle));
}

// Closed as soon as it starts (an uninstall or update right after logon),
// before the display program it started has a window to be told: that
// program still ends with Monitor and leaves its file free to be replaced.
TEST_F(OsdEndToEnd, AMonitorClosedAsItStartsLeavesNoDisplayProgramBehind) {
    ASSERT_TRUE(folder.Has("Overlay.exe"));
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(monitor.Start());
        ASSERT_TRUE(monitor.Close());
        EXPECT_EQ(0, ProgramsRunningIn(folder)) << "round " << round;
        EXPECT_EQ(nullptr, FindWindowA(nullptr, kOsdWindowTitle)) << "round " << round;
    }
    EXPECT_TRUE(DeleteFileA(folder.File("Overlay.exe").c_str())) << GetLastError();
}

TEST_F(OsdEndToEnd, VolumeRepeatsWhileItsButtonIsHeld) {
    WithoutOverlay();
    KeyObserver keys;
    ASSERT_TRUE(keys.ok());
    StartSystem();
    ASSERT_TRUE(mouse.Event(0xF000, 38));
    // The stroke at once, then at least one from the 300 ms timer.
    EXPECT_TRUE(WaitUntil([&] { return keys.Keys().size() >= 4; }, kSettle))
        << Observed(folder, mouse);
    ASSERT_TRUE(mouse.Event(0xF000, 0x0126));
    WaitUntil([] { return false; }, 300);
    const size_t held = keys.Keys().size();
    WaitUntil([] { return false; }, 700);
    EXPECT_EQ(held, keys.Keys().size());  // nothing after the release
    // Each stroke is the volume-up key down and up: one at once, then one per
    // expiry (the timing of the virtual mouse's pipe allows one either way).
    EXPECT_GE(held, 4u);
    EXPECT_LE(held, 10u);
    for (const ObservedKey& key : keys.Keys())
        EXPECT_EQ(static_cast<DWORD>(VK_VOLUME_UP), key.virtualKey);
}

}  // namespace
}  // namespace e2e
}  // namespace kestra
