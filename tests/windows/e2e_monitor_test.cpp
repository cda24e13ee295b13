// Monitor.exe with the virtual mouse, in a fresh program folder, driven as
// the mouse and the other programs drive it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "settings/ipc_names.h"
#include "settings/settings_files.h"
#include "settings/shared_block_win.h"
#include "tests/native/test_support.h"
#include "tests/windows/e2e_harness_win.h"

namespace kestra {
namespace e2e {
namespace {

constexpr DWORD kSettle = 8000;  // longest wait for something Monitor does on its own

class MonitorEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.ok()) << folder.path();
        ASSERT_TRUE(folder.Has("Monitor.exe"));
    }
    // The virtual mouse plugged in, then Monitor, with its firmware check done.
    void StartSystem(const std::string& firmware = std::string()) {
        ASSERT_TRUE(mouse.Start(firmware));
        ASSERT_TRUE(monitor.Start());
        ASSERT_TRUE(WaitUntil([&] { return LogHas(mouse, "get 80"); }, kSettle))
            << Observed(folder, mouse);
    }

    ProgramFolder folder;
    VirtualMouse mouse{folder};
    MonitorProgram monitor{folder};
};

TEST_F(MonitorEndToEnd, FirstStartWritesDefaultsSharesThemAndFollowsTheMouse) {
    StartSystem();
    for (int i = 0; i < kProfileCount; ++i) EXPECT_TRUE(folder.Has(ProfileFilePath("", i)));
    EXPECT_TRUE(WaitUntil([&] { return ReadConfigInt(folder, "Device", -1) == 1; }, kSettle))
        << Observed(folder, mouse);

    std::unique_ptr<SettingsStore> block(new SettingsStore());
    ASSERT_TRUE(ReadSharedBlock(*block));
    EXPECT_EQ(0, block->CurrentProfile);
    EXPECT_STREQ("Default3", block->profiles[2].ProFileName);
    EXPECT_EQ(72, block->profiles[4].CpiLevel_X[4]);
    // The firmware check is all that went to the mouse: it was not replugged.
    const std::vector<std::string> log = mouse.Log();
    ASSERT_EQ(2u, log.size());
    EXPECT_EQ("set 80 00 00 00 00 00 00 7F", log[0]);
    EXPECT_EQ("get 80 00 00 00 00 00 00 7F", log[1]);

    // Levels and sensitivity changed on the mouse reach the shared block.
    ASSERT_TRUE(mouse.Event(0x0700, 3));
    EXPECT_TRUE(WaitUntil(
        [&] { return ReadSharedBlock(*block) && block->profiles[0].CpiStep == 2; }, kSettle))
        << Observed(folder, mouse);
    ASSERT_TRUE(mouse.Event(0xC000, 0x0C00));  // Y to 12, X untouched
    EXPECT_TRUE(WaitUntil(
        [&] { return ReadSharedBlock(*block) && block->profiles[0].Sensitivity_Y == 12; }, kSettle))
        << Observed(folder, mouse);
    EXPECT_EQ(10, block->profiles[0].Sensitivity_X);

    // The mouse switched to profile 3 itself: recorded, nothing sent back to it.
    mouse.ClearLog();
    ASSERT_TRUE(mouse.Event(0x0800, 3));
    EXPECT_TRUE(
        WaitUntil([&] { return ReadConfigInt(folder, "CurrentProfile", -1) == 2; }, kSettle))
        << Observed(folder, mouse);
    ASSERT_TRUE(ReadSharedBlock(*block));
    EXPECT_EQ(2, block->CurrentProfile);
    EXPECT_TRUE(mouse.Log().empty());
}

TEST_F(MonitorEndToEnd, ASecondMonitorEndsAndWithOneBringsUpOption) {
    StartSystem();
    const HWND first = monitor.window();

    Process second;
    ASSERT_TRUE(second.Start(folder.File("Monitor.exe")));
    EXPECT_TRUE(second.Wait(kSettle));
    EXPECT_EQ(first, monitor.window());
    EXPECT_TRUE(monitor.process().running());

    // A minimised Option is restored by the running Monitor, not started again.
    MessageRecorder option(kOptionWindowTitle);
    ShowWindow(option.window(), SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(IsIconic(option.window()));
    Process asking;
    ASSERT_TRUE(asking.Start(folder.File("Monitor.exe"), "1"));
    EXPECT_TRUE(asking.Wait(kSettle));
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(option.window()); }, kSettle))
        << Observed(folder, mouse);
    EXPECT_EQ(first, monitor.window());
}

TEST_F(MonitorEndToEnd, UnplugClosesOptionAndPlugSendsEverythingOnce) {
    StartSystem();
    MessageRecorder option(kOptionWindowTitle);
    ASSERT_TRUE(mouse.Unplug());
    EXPECT_TRUE(WaitUntil([&] { return ReadConfigInt(folder, "Device", -1) == 0; }, kSettle))
        << Observed(folder, mouse);
    EXPECT_TRUE(WaitUntil([&] { return option.Count(WM_CLOSE) == 1; }, kSettle))
        << Observed(folder, mouse);

    ASSERT_TRUE(mouse.ClearLog());
    ASSERT_TRUE(mouse.Plug());
    EXPECT_TRUE(WaitUntil([&] { return ReadConfigInt(folder, "Device", -1) == 1; }, kSettle))
        << Observed(folder, mouse);
    // The firmware check, then every setting of the five profiles.
    ASSERT_TRUE(WaitUntil([&] { return LogHas(mouse, "set 02 01"); }, 20000))
        << Observed(folder, mouse);
    const std::vector<std::string> log = mouse.Log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ("set 80 00 00 00 00 00 00 7F", log[0]);
    EXPECT_EQ("set 01 88 02 00 00 00 00 74", log[2]);
    EXPECT_EQ(1u, CountPrefix(log, "set 01 88"));
    EXPECT_EQ(5u, CountPrefix(log, "set 03 "));
    EXPECT_EQ(5u, CountPrefix(log, "set 04 "));
    EXPECT_EQ(5u, CountPrefix(log, "set 0C "));
    EXPECT_EQ(5u, CountPrefix(log, "set 0D "));
    EXPECT_EQ(20u, CountPrefix(log, "out "));
    EXPECT_EQ("set 02 01 00 00 00 00 00 FC", log.back());
    EXPECT_NE(std::string::npos, mouse.State().find("refused reports 0"));
}

TEST_F(MonitorEndToEnd, AnApplySendsWhatChangedAndAnswersOption) {
    StartSystem();
    MessageRecorder option(kOptionWindowTitle);
    const HWND monitorWindow = monitor.window();

    // What Option does on Apply: the changed store into the block, then the
    // synchronous notification.
    std::unique_ptr<SettingsStore> store(new SettingsStore());
    ASSERT_TRUE(ReadSharedBlock(*store));
    store->profiles[1].CpiStep = 3;
    store->flags.level[1] = 1;
    {
        KernelHandle mutex = OpenBlockMutex();
        SharedSettingsBlock block;
        ASSERT_EQ(SharedSettingsBlock::kMapped, block.Open());
        ASSERT_TRUE(block.Write(mutex.Get(), *store));
    }
    ASSERT_TRUE(mouse.ClearLog());
    EXPECT_EQ(0, SendMessageA(monitorWindow, UM_APPLY_SETTINGS, 0, 0));
    EXPECT_TRUE(WaitUntil([&] { return option.Count(UM_APPLY_DONE) == 1; }, kSettle))
        << Observed(folder, mouse);
    const std::vector<std::string> log = mouse.Log();
    const std::vector<std::string> expected = {"set 01 88 02 00 00 00 00 74",
                                               "set 04 02 04 00 00 00 00 F5",
                                               "set 02 01 00 00 00 00 00 FC"};
    EXPECT_EQ(expected, log);

    // Unplugged, an apply still answers at once and sends nothing.
    ASSERT_TRUE(mouse.Unplug());
    ASSERT_TRUE(WaitUntil([&] { return ReadConfigInt(folder, "Device", -1) == 0; }, kSettle))
        << Observed(folder, mouse);
    ASSERT_TRUE(mouse.ClearLog());
    SendMessageA(monitorWindow, UM_APPLY_SETTINGS, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return option.Count(UM_APPLY_DONE) == 2; }, 2000))
        << Observed(folder, mouse);
    EXPECT_TRUE(mouse.Log().empty());
}

TEST_F(MonitorEndToEnd, AFullApplyTellsOptionItsProgressReportByReport) {
    StartSystem();
    MessageRecorder option(kOptionWindowTitle);
    std::unique_ptr<SettingsStore> store(new SettingsStore());
    ASSERT_TRUE(ReadSharedBlock(*store));
    // What Option's "Reset all" hands over: every change flag set.
    MarkAllChanged(*store);
    {
        KernelHandle mutex = OpenBlockMutex();
        SharedSettingsBlock block;
        ASSERT_EQ(SharedSettingsBlock::kMapped, block.Open());
        ASSERT_TRUE(block.Write(mutex.Get(), *store));
    }
    ASSERT_TRUE(mouse.ClearLog());
    SendMessageA(monitor.window(), UM_APPLY_SETTINGS, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return option.Count(UM_APPLY_DONE) == 1; }, 30000))
        << Observed(folder, mouse);

    const size_t reports = mouse.Log().size();
    ASSERT_GT(reports, 30u);
    std::vector<RecordedMessage> progress;
    for (const RecordedMessage& m : option.messages()) {
        if (m.message == UM_APPLY_PROGRESS) progress.push_back(m);
    }
    ASSERT_EQ(reports, progress.size());
    long previousLeft = 0x7FFFFFFF;
    for (size_t i = 0; i < progress.size(); ++i) {
        const unsigned long packed = static_cast<unsigned long>(progress[i].wParam);
        EXPECT_EQ(i + 1, ApplyProgressSent(packed));
        EXPECT_EQ(reports, ApplyProgressTotal(packed));
        EXPECT_LE(static_cast<long>(progress[i].lParam), previousLeft);
        previousLeft = static_cast<long>(progress[i].lParam);
    }
    EXPECT_EQ(200, progress.back().lParam);  // the pause after selecting the profile
    // The answer comes after the last report's progress.
    const unsigned last = static_cast<unsigned>(reports);
    EXPECT_GT(option.Find(UM_APPLY_DONE, 0),
              option.Find(UM_APPLY_PROGRESS, PackApplyProgress(last, last)));
}

// The notification area's tip of Monitor's icon, or an empty text.
std::wstring MonitorTip() {
    for (const std::wstring& tip : NotificationAreaTips()) {
        if (tip.find(L" CPI") != std::wstring::npos || tip.find(L"Profile") != std::wstring::npos) {
            return tip;
        }
    }
    return L"";
}

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) narrow += c < 0x80 ? static_cast<char>(c) : '?';
    return narrow;
}

TEST_F(MonitorEndToEnd, TheTrayTipNamesTheActiveProfileAndLevel) {
    WriteSettings(folder, [](SettingsStore& store) {
        strcpy(store.profiles[1].ProFileName, "Sniper");
        store.profiles[1].CpiStep = 2;
        store.profiles[1].CpiLevel_X[2] = 16;
    });
    StartSystem();
    ASSERT_TRUE(WaitUntil([] { return MonitorTip().find(L"Default1 (1)") != std::wstring::npos; },
                          kSettle))
        << Narrow(MonitorTip()) << Observed(folder, mouse);
    // The product on the first line, the profile and its level on the second.
    EXPECT_NE(std::wstring::npos, MonitorTip().find(L"\nDefault1 (1) \u00B7 "));

    // The mouse's profile button switches to profile 2.
    ASSERT_TRUE(mouse.Event(0x0800, 2));
    EXPECT_TRUE(WaitUntil([] { return MonitorTip().find(L"\nSniper (2) \u00B7 1600 CPI") !=
                                      std::wstring::npos; },
                          kSettle))
        << Narrow(MonitorTip()) << Observed(folder, mouse);
    // Its level button to level 1 of that profile.
    ASSERT_TRUE(mouse.Event(0x0700, 1));
    EXPECT_TRUE(WaitUntil([] { return MonitorTip().find(L"\nSniper (2) \u00B7 1000 CPI") !=
                                      std::wstring::npos; },
                          kSettle))
        << Narrow(MonitorTip()) << Observed(folder, mouse);
}

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// A program bound to a profile coming to the foreground switches Monitor to
// that profile, with the mouse, the shared block and Option told.
TEST_F(MonitorEndToEnd, ABoundProgramInFrontSwitchesItsProfile) {
    WriteSettings(folder, [](SettingsStore& store) {
        strcpy(store.profiles[2].GameFile, "C:\\Windows\\NOTEPAD.EXE");
    });
    MessageRecorder option(kOptionWindowTitle);
    StartSystem();
    mouse.ClearLog();
    Process notepad;
    ASSERT_TRUE(notepad.Start("C:\\windows\\notepad.exe"));
    ASSERT_NE(nullptr, WaitForWindow("Untitled - Notepad", kSettle));
    const double shown = PreciseNowMs();
    ASSERT_TRUE(WaitUntil([&] { return option.Count(UM_PROFILE_CHANGED) > 0; }, kSettle))
        << Observed(folder, mouse);
    // Foreground events switch within milliseconds; where the system raises
    // none (Wine), the fallback's look every 2 s does.
    EXPECT_LT(option.messages()[option.Find(UM_PROFILE_CHANGED, 0)].atMs - shown,
              UnderWine() ? 2500.0 : 300.0);
    std::unique_ptr<SettingsStore> block(new SettingsStore());
    ASSERT_TRUE(ReadSharedBlock(*block));
    EXPECT_EQ(2, block->CurrentProfile);
    EXPECT_TRUE(WaitUntil([&] { return LogHas(mouse, "set 02 03"); }, kSettle))
        << Observed(folder, mouse);
}

// The hook's own path, also where the system raises no foreground event of
// its own (Wine): the event is raised here, as Windows raises it when a
// window comes to the front, and the switch follows at once, not at the
// fallback's next look up to 2 s later.
TEST_F(MonitorEndToEnd, AForegroundEventSwitchesAtOnce) {
    WriteSettings(folder, [](SettingsStore& store) {
        strcpy(store.profiles[3].GameFile, "C:\\Windows\\NOTEPAD.EXE");
    });
    MessageRecorder option(kOptionWindowTitle);
    StartSystem();
    Process notepad;
    ASSERT_TRUE(notepad.Start("C:\\windows\\notepad.exe"));
    HWND window = WaitForWindow("Untitled - Notepad", kSettle);
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, kSettle));
    // Every switch writes the block and then tells Option once, so the
    // number of notices says which switch the block shows.
    const auto toldAndIs = [&](int notices, int profile) {
        return WaitUntil(
            [&] {
                std::unique_ptr<SettingsStore> block(new SettingsStore());
                return option.Count(UM_PROFILE_CHANGED) == notices && ReadSharedBlock(*block) &&
                       block->CurrentProfile == profile;
            },
            kSettle);
    };
    // The first switch: the system's own event, or the fallback's look.
    ASSERT_TRUE(toldAndIs(1, 3)) << Observed(folder, mouse);
    int told = 1;
    if (UnderWine()) {
        // Beside the hook, the fallback's look takes the profile back to 4
        // every 2 s while Notepad is in front. The button is pressed again
        // just after one such look, so the event below comes well before
        // the next one.
        ASSERT_TRUE(mouse.Event(0x0800, 1));
        ASSERT_TRUE(toldAndIs(3, 3)) << Observed(folder, mouse);
        told = 3;
    }
    // The mouse's profile button takes it back to profile 1.
    ASSERT_TRUE(mouse.Event(0x0800, 1));
    ASSERT_TRUE(toldAndIs(told + 1, 0)) << Observed(folder, mouse);

    const double raised = PreciseNowMs();
    NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, window, OBJID_WINDOW, CHILDID_SELF);
    ASSERT_TRUE(toldAndIs(told + 2, 3)) << Observed(folder, mouse);
    double toldAt = 0;
    for (const RecordedMessage& m : option.messages()) {
        if (m.message == UM_PROFILE_CHANGED) toldAt = m.atMs;
    }
    EXPECT_LT(toldAt - raised, 150.0);
}

TEST_F(MonitorEndToEnd, ButtonsOfTheMouseInjectTheirCombinationAndMacro) {
    WriteSettings(folder, [](SettingsStore& store) {
        ButtonAssignment& combination = store.profiles[0].buttons[3];  // button 4
        combination.function = 5;
        combination.stepCount = 1;
        combination.steps[0] = MacroStep{0x04, 0x04, 0};  // Ctrl + A
        store.profiles[0].buttons[4] =                    // button 5: B down, B up, twice
            kestra_test::MacroButton({{0x05, 1, 20}, {0x05, 2, 20}}, 2, "bee");
        store.profiles[0].buttons[4].button = 4;
    });
    KeyObserver keys;
    ASSERT_TRUE(keys.ok());
    StartSystem();

    ASSERT_TRUE(mouse.Event(0x4000, 0x0004));
    ASSERT_TRUE(mouse.Event(0x4000, 0x0104));
    EXPECT_TRUE(WaitUntil([&] { return keys.Keys().size() >= 4; }, kSettle))
        << Observed(folder, mouse);
    EXPECT_EQ("+17 +65 -65 -17 ", keys.Describe());

    keys.Clear();
    ASSERT_TRUE(mouse.Event(0x4000, 0x0005));
    ASSERT_TRUE(mouse.Event(0x4000, 0x0105));  // a release starts nothing
    EXPECT_TRUE(WaitUntil([&] { return keys.Keys().size() >= 4; }, kSettle))
        << Observed(folder, mouse);
    Sleep(200);
    EXPECT_EQ("+66 -66 +66 -66 ", keys.Describe());
}

// Each way out of the question, each with a Monitor of its own against the
// same mouse.
TEST_F(MonitorEndToEnd, AnOldFirmwareIsReportedAndMonitorEnds) {
    // The updater: a small program that shows a window titled "Racing".
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string standIn = self;
    standIn = standIn.substr(0, standIn.find_last_of('\\') + 1) + "racing_game.exe";
    ASSERT_TRUE(CreateDirectoryA(folder.File("Flasher").c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(standIn.c_str(), folder.File("Flasher\\Flasher.exe").c_str(), FALSE));
    ASSERT_TRUE(mouse.Start("2.2"));
    MessageRecorder option(kOptionWindowTitle);

    // Asking holds up nothing else: an Apply meanwhile is answered (and
    // sends nothing to that mouse). Cancel ends Monitor without the updater.
    ASSERT_TRUE(monitor.Start());
    HWND box = WaitForWindow("Update F / W", kSettle);
    ASSERT_NE(nullptr, box) << Observed(folder, mouse);
    DWORD_PTR result = 0;
    EXPECT_TRUE(SendMessageTimeoutA(monitor.window(), UM_APPLY_SETTINGS, 0, 0, SMTO_ABORTIFHUNG,
                                    kSettle, &result));
    EXPECT_TRUE(WaitUntil([&] { return option.Count(UM_APPLY_DONE) == 1; }, kSettle))
        << Observed(folder, mouse);
    EXPECT_EQ(2u, mouse.Log().size());  // the version asked, nothing else
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(monitor.process().Wait(kSettle));

    // OK starts the updater and ends Monitor.
    ASSERT_TRUE(monitor.Start());
    box = WaitForWindow("Update F / W", kSettle);
    ASSERT_NE(nullptr, box) << Observed(folder, mouse);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(monitor.process().Wait(kSettle));
    HWND updater = WaitForWindow("Racing", kSettle);
    EXPECT_NE(nullptr, updater);
    DWORD updaterId = 0;
    GetWindowThreadProcessId(updater, &updaterId);
    KernelHandle updaterProcess(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, updaterId));
    if (updaterProcess) {
        TerminateProcess(updaterProcess.Get(), 0);
        WaitForSingleObject(updaterProcess.Get(), kSettle);
    }

    // Exit from the tray while asking ends Monitor at once, its lock freed,
    // and starts nothing.
    ASSERT_TRUE(monitor.Start());
    box = WaitForWindow("Update F / W", kSettle);
    ASSERT_NE(nullptr, box) << Observed(folder, mouse);
    PostMessageA(monitor.window(), WM_COMMAND, ID_TRAY_EXIT, 0);
    EXPECT_TRUE(monitor.process().Wait(kSettle));
    KernelHandle lock(OpenMutexA(SYNCHRONIZE, FALSE, kMonitorInstanceMutexName));
    EXPECT_FALSE(lock);
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "Update F / W"));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "Racing"));
}

}  // namespace
}  // namespace e2e
}  // namespace kestra
