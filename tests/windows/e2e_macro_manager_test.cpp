// A macro recorded in the macro manager reaches the mouse: Option.exe,
// Monitor.exe and the virtual mouse, the manager opened from the main
// window's box popup, six keys recorded with their delays by real key
// strokes, OK, Apply; the macro block the mouse receives carries exactly the
// recorded steps, and the mouse's button makes Monitor play them with those
// delays.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "device/device_commands.h"
#include "option/macro_library.h"
#include "settings/file_system.h"
#include "settings/ini_file.h"
#include "settings/ipc_names.h"
#include "tests/windows/e2e_option_fixture_win.h"

namespace kestra {
namespace e2e {
namespace {

constexpr char kMain[] = "skin_main.ini";
constexpr char kManager[] = "skin_macro_manager.ini";

class MacroManagerEndToEnd : public OptionSystemTest {};

TEST_F(MacroManagerEndToEnd, ARecordedMacroReachesTheMouseAndMonitorPlaysItsKeysWithItsDelays) {
    // Button 6 of profile 1 plays "Burst", one Tab, from the library.
    Macro burst;
    memset(&burst, 0, sizeof burst);
    strcpy(burst.name, "Burst");
    burst.repeatCount = 1;
    burst.stepCount = 1;
    burst.steps[0] = MacroStep{0x2B, 1, 0};
    IniDocument library;
    library.Set("Macros", "number", "1");
    library.Set("Macros", "0", EncodeIniStruct(&burst, sizeof burst));
    ASSERT_TRUE(EnsureDirectory(folder.path() + "config"));
    ASSERT_TRUE(WriteFileAtomically(MacroLibraryPath(folder.path()), library.Serialize()));
    WriteSettings(folder, [&](SettingsStore& store) {
        ButtonAssignment& b = store.profiles[0].buttons[5];
        b.function = 16;
        strcpy(b.label, burst.name);
        b.repeatCount = 1;
        b.stepCount = 1;
        b.steps[0] = burst.steps[0];
    });

    StartSystem();

    // Button 6's box: "Macro", whose submenu opens on the manager entry.
    ClickSkinEntry(folder, kMain, 25, Main());
    ASSERT_TRUE(WaitUntil(MenuOpen, kSettle)) << Observed(folder, mouse);
    PressKey(VK_DOWN);
    PressKey(VK_RIGHT);
    PressKey(VK_RETURN);
    HWND manager = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            manager = FindWindowA(nullptr, "Macro Manager");
            return manager != nullptr && GetForegroundWindow() == manager;
        },
        kSettle))
        << Observed(folder, mouse);
    const SkinPlace place{manager, {0, 0}};

    // "Burst" (the list's first line), its Tab step deleted through the
    // step list's menu, then six keys recorded with pauses between them.
    const RECT list = SkinEntryRect(folder, kManager, 10);
    ClickOnScreen(ScreenPoint(place, list.left + 40, list.top + 9));
    const RECT steps = SkinEntryRect(folder, kManager, 20);
    MovePointerTo(ScreenPoint(place, steps.left + 40, steps.top + 9));
    INPUT right[2] = {};
    right[0].type = right[1].type = INPUT_MOUSE;
    right[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    right[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    SendInput(2, right, sizeof(INPUT));
    ASSERT_TRUE(WaitUntil(MenuOpen, kSettle)) << Observed(folder, mouse);
    for (int i = 0; i < 6; ++i) PressKey(VK_DOWN);  // "Delete", the sixth entry
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([] { return !MenuOpen(); }, kSettle)) << Observed(folder, mouse);

    ClickSkinEntry(folder, kManager, 21, place);  // Record
    SettleInput(300);
    const WORD keys[6] = {'Q', 'W', 'E', 'R', 'T', 'Y'};
    for (WORD k : keys) {
        SendKey(k, false);
        Sleep(60);
        SendKey(k, true);
        Sleep(120);
    }
    SettleInput(300);
    ClickSkinEntry(folder, kManager, 21, place);  // Stop
    ClickSkinEntry(folder, kManager, 1, place);   // OK
    ASSERT_TRUE(WaitForMain()) << Observed(folder, mouse);

    // The library file holds what was recorded (saved once the manager has
    // gone).
    MacroLibrary saved;
    EXPECT_TRUE(WaitUntil(
        [&] {
            saved.Load(MacroLibraryPath(folder.path()));
            return saved.macros().size() == 1 && saved.macros()[0].stepCount != 1;
        },
        kSettle))
        << Observed(folder, mouse);
    ASSERT_EQ(1u, saved.macros().size());
    const Macro& recorded = saved.macros()[0];
    ASSERT_EQ(12, recorded.stepCount);
    const uint8_t usages[6] = {0x14, 0x1A, 0x08, 0x15, 0x17, 0x1C};  // Q W E R T Y
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(usages[i / 2], recorded.steps[i].key) << i;
        EXPECT_EQ(i % 2 == 0 ? 1 : 2, recorded.steps[i].action) << i;
        if (i < 11) {
            EXPECT_GE(recorded.steps[i].delay, 45) << i;
        }
    }
    EXPECT_EQ(0, recorded.steps[11].delay);

    ClickSkinEntry(folder, kMain, 14, Main());  // Apply
    ButtonAssignment expected;
    memset(&expected, 0, sizeof expected);
    expected.function = 16;
    strcpy(expected.label, "Burst");
    expected.repeatCount = 1;
    expected.stepCount = 12;
    memcpy(expected.steps, recorded.steps, sizeof expected.steps);
    const FeatureReport macroHeader = MakeFeatureReport(kCmdMacro, MacroSlot(0, 5), kBlockFollows);
    const DeviceBlock block = BuildDeviceMacro(expected);
    const std::vector<std::string> macroLines = {
        LogLine("set", macroHeader.data(), macroHeader.size()),
        LogLine("out", block.data(), kBlockSize / 2),
        LogLine("out", block.data() + kBlockSize / 2, kBlockSize / 2),
    };
    ASSERT_TRUE(WaitUntil(
        [&] {
            const std::vector<std::string> log = mouse.Log();
            return std::search(log.begin(), log.end(), macroLines.begin(), macroLines.end()) !=
                   log.end();
        },
        20000))
        << Observed(folder, mouse);

    // The mouse's button 6 pressed and released: Monitor plays the keys,
    // each after its recorded delay.
    SettleInput(500);
    KeyObserver played;
    ASSERT_TRUE(played.ok());
    ASSERT_TRUE(mouse.Event(0x4000, 0x0006));
    ASSERT_TRUE(mouse.Event(0x4000, 0x0106));
    ASSERT_TRUE(WaitUntil([&] { return played.Keys().size() >= 12; }, kSettle))
        << played.Describe() << Observed(folder, mouse);
    Sleep(300);  // and nothing more comes
    EXPECT_EQ("+81 -81 +87 -87 +69 -69 +82 -82 +84 -84 +89 -89 ", played.Describe());
    const std::vector<ObservedKey> seen = played.Keys();
    // The events' own time stamps, given when Monitor injected them (the
    // hook's thread may see them late under load). Each recorded delay is at
    // least 45 ms, so a lost or doubled delay stands out even though a busy
    // machine delays single events by up to some 20 milliseconds; the exact
    // timing is measured by bench/monitor_bench, not here.
    int total = 0;
    for (size_t i = 1; i < seen.size() && i < 12; ++i) {
        total += recorded.steps[i - 1].delay;
        EXPECT_NEAR(recorded.steps[i - 1].delay, static_cast<int>(seen[i].time - seen[i - 1].time),
                    25)
            << i;
    }
    ASSERT_EQ(12u, seen.size());
    EXPECT_NEAR(total, static_cast<int>(seen[11].time - seen[0].time), 40);
}

}  // namespace
}  // namespace e2e
}  // namespace kestra
