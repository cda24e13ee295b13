// Option.exe with Monitor.exe and the virtual mouse, in a fresh program
// folder: Option's buttons are clicked where its skin places them, as a user
// would click them.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "settings/ini_file.h"
#include "settings/ipc_names.h"
#include "settings/settings_files.h"
#include "tests/windows/e2e_option_fixture_win.h"

namespace kestra {
namespace e2e {
namespace {

class OptionEndToEnd : public OptionSystemTest {
protected:
    HWND Control(int entry) const { return MainControl(entry); }
};

TEST_F(OptionEndToEnd, ApplyReachesTheMouseAndMonitorsAnswerGivesTheButtonsBack) {
    StartSystem();
    HWND apply = Control(14);
    ASSERT_NE(nullptr, apply);
    ASSERT_TRUE(IsWindowEnabled(apply));

    SendMessageA(Control(7), BM_CLICK, 0, 0);  // profile 3
    SendMessageA(apply, BM_CLICK, 0, 0);
    // Option has handed the settings over and waits for Monitor's answer.
    EXPECT_FALSE(IsWindowEnabled(apply));
    EXPECT_FALSE(IsWindowEnabled(Control(12)));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(apply) != 0; }, kSettle))
        << Observed(folder, mouse);
    EXPECT_TRUE(IsWindowEnabled(Control(12)));

    const std::vector<std::string> log = mouse.Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ("set 01 88 02 00 00 00 00 74", log.front());
    EXPECT_EQ("set 02 03 00 00 00 00 00 FA", log.back());
    EXPECT_EQ(2, ReadConfigInt(folder, "CurrentProfile", -1));
    std::unique_ptr<SettingsStore> block(new SettingsStore());
    ASSERT_TRUE(ReadSharedBlock(*block));
    EXPECT_EQ(2, block->CurrentProfile);
}

TEST_F(OptionEndToEnd, ResetAllAppliesEverythingWithMarkedFlags) {
    WriteSettings(folder, [](SettingsStore& store) {
        store.CurrentProfile = 2;
        strcpy(store.profiles[1].ProFileName, "Racing");
        store.profiles[3].PollingRate = 0;
    });
    StartSystem();
    PostMessageA(Control(45), BM_CLICK, 0, 0);
    HWND warning = WaitForPopup();
    ASSERT_NE(nullptr, warning);
    HWND confirm = ControlAt(folder, "skin_reset_all_warn.ini", warning, 1);
    ASSERT_NE(nullptr, confirm);
    PostMessageA(confirm, BM_CLICK, 0, 0);

    // Every profile goes to the mouse, then profile 1 is selected.
    ASSERT_TRUE(WaitUntil([&] { return LogHas(mouse, "set 02 01"); }, 30000))
        << Observed(folder, mouse);
    const std::vector<std::string> log = mouse.Log();
    EXPECT_EQ(5u, CountPrefix(log, "set 03 "));
    EXPECT_EQ(5u, CountPrefix(log, "set 0C "));
    EXPECT_EQ(20u, CountPrefix(log, "out "));
    EXPECT_EQ("set 02 01 00 00 00 00 00 FC", log.back());
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(Control(14)) != 0; }, kSettle))
        << Observed(folder, mouse);
    EXPECT_EQ(0, ReadConfigInt(folder, "CurrentProfile", -1));
    ProfileSettings second;
    ASSERT_TRUE(LoadProfile(ProfileFilePath(folder.path(), 1), second));
    EXPECT_STREQ("Default2", second.ProFileName);
}

TEST_F(OptionEndToEnd, AResetAllShowsItsProgressUntilTheButtonsComeBack) {
    StartSystem();
    SetForegroundWindow(window);
    ClickSkinEntry(folder, "skin_main.ini", 45, Main());  // Reset all
    HWND warning = WaitForPopup();
    ASSERT_NE(nullptr, warning) << Observed(folder, mouse);
    ClickSkinEntry(folder, "skin_reset_all_warn.ini", 1, {warning, {0, 0}});
    // Every profile goes to the mouse, pauses and all: the bar shows meanwhile.
    EXPECT_TRUE(WaitUntil([&] { return ApplyProgressBarShown(); }, kSettle))
        << Observed(folder, mouse);
    EXPECT_TRUE(mouse.Log().size() < 45u) << "the bar came late";
    HWND apply = MainControl(14);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(apply) != 0; }, 30000))
        << Observed(folder, mouse);
    EXPECT_EQ("set 02 01 00 00 00 00 00 FC", mouse.Log().back());
    SettleInput();
    EXPECT_TRUE(WaitUntil([&] { return !ApplyProgressBarShown(); }, 2000));
}

TEST_F(OptionEndToEnd, UnpluggingTheMouseClosesOption) {
    StartSystem();
    ASSERT_TRUE(mouse.Unplug());
    EXPECT_TRUE(option.Wait(kSettle));
    EXPECT_EQ(0u, option.exitCode());
    EXPECT_EQ(nullptr, FindWindowA(nullptr, kOptionWindowTitle));
    // Closed, not applied: no access stamp was written.
    EXPECT_EQ("", IniFile(folder.File("config.ini")).GetString("HidAccessCode", "Code"));
}

}  // namespace
}  // namespace e2e
}  // namespace kestra
