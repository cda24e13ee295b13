// Monitor's behaviour behind its messages, timers and device jobs, against
// recording effects: which notifications follow which event, in which order.
#include "monitor/monitor_logic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "device/device_commands.h"
#include "device_fakes.h"
#include "settings/ipc_names.h"
#include "tests/native/test_support.h"

namespace kestra {
namespace {

using kestra_test::Trace;

std::string N(long value) {
    return std::to_string(value);
}

class Effects : public MonitorEffects,
                public FirmwarePrompt,
                public KeyInjector,
                public InputInjector,
                public MacroClock,
                public PointerRegistry,
                public PointerWriter,
                public MonitorAddOns {
public:
    Trace trace;
    SettingsStore block{};
    bool optionRunning = true;
    bool jobPostable = true;
    std::string foreground;

    bool Note(const std::string& s, bool result = true) {
        trace.push_back(s);
        return result;
    }
    // MonitorEffects
    void DebugLine(const std::string&) override {}
    bool Copy(SettingsStore& to, const SettingsStore& from, const char* what) {
        to = from;
        return Note(what);
    }
    bool ReadBlock(SettingsStore& s) override { return Copy(s, block, "read"); }
    bool WriteBlock(const SettingsStore& s) override { return Copy(block, s, "write"); }
    bool PostToOption(unsigned m) override { return optionRunning && Note("option " + N(m)); }
    uintptr_t OsdWindow() override { return 0; }
    void StartTimer(unsigned id, unsigned ms) override { Note("timer " + N(id) + " " + N(ms)); }
    void KillTimer(unsigned id) override { Note("kill " + N(id)); }
    bool PostDeviceJob(unsigned job) override { return Note("job " + N(job), jobPostable); }
    bool PostPlayMacro() override { return Note("play"); }
    void PostOpenOption() override { Note("open option"); }
    void ShellOpen(const std::string& p) override { Note("shell " + p); }
    void SaveCurrentProfile(int p) override { Note("save profile " + N(p)); }
    void SaveActiveLevel(int i, const ProfileSettings& p) override {
        Note("save level " + N(i) + " " + N(p.CpiStep));
    }
    void SaveDevicePresence(int s) override { Note("save device " + N(s)); }
    bool ReadOsdSettings(OsdSettings&) override { return false; }
    void AddTrayIcon() override { Note("tray"); }
    // Kept apart from the trace, which tells the order of the other steps.
    void ShowTrayTip(const TrayTipInfo& info) override { tips.push_back(info); }
    std::vector<TrayTipInfo> tips;
    void RemoveTrayIcon() override { Note("untray"); }
    void PostDeviceStateToOption(unsigned long word) override {
        if (optionRunning) Note("option state " + N(static_cast<long>(word)));
    }
    void OpenCustomizer() override { Note("customizer"); }
    std::string ForegroundProgram() override { return foreground; }
    bool hookable = true;
    bool HookForeground() override { return Note("hook", hookable); }
    void UnhookForeground() override { Note("unhook"); }
    // FirmwarePrompt; `onAsk` runs while the question is up.
    FirmwareAnswer answer = FirmwareAnswer::kCancel;
    std::function<void()> onAsk;
    FirmwareAnswer AskOkCancel(const char*, const char*) override {
        Note("ask");
        if (onAsk) onAsk();
        return answer;
    }
    void ShellOpen(const char* p) override { Note(std::string("open ") + p); }
    void CloseMonitor() override { Note("close"); }
    // KeyInjector
    void Key(uint32_t vk, bool up) override { Note((up ? "-" : "+") + N(vk)); }
    void PauseMs(int) override {}
    // InputInjector and clock for the macro player
    void Key(uint32_t vk, uint32_t, bool up) override { Key(vk, up); }
    void MouseButton(uint8_t, bool) override {}
    int64_t NowMs() override { return 0; }
    void WaitUntilMs(int64_t) override {}
    // Pointer settings
    bool OpenKey(const char*) override { return false; }
    int32_t ReadNumber(const char*) override { return 0; }
    void CloseKey() override {}
    void Write(const PointerWrite& w) override { Note("spi " + N(w.action)); }
    // Add-ons
    void OnMediaFunction(int f, bool up) override { Note("media " + N(f) + (up ? " up" : "")); }
    void OnTilt(bool right) override { Note(right ? "tilt right" : "tilt left"); }
    void ShowProfile(int p, ProfileIndicationReason r, const OsdSettings&) override {
        Note("osd profile " + N(p) + " " + N(static_cast<int>(r)));
    }
    void ShowDpiLevel(const ProfileSettings&, int level) override { Note("osd dpi " + N(level)); }
    void ShowMacro(const ProfileSettings&, int b, const OsdSettings&) override {
        Note("osd macro " + N(b));
    }
    void ShowText(const std::string& t, bool on) override {
        Note("osd text " + t + (on ? " on" : " off"));
    }
};

class MonitorLogicTest : public ::testing::Test {
protected:
    MonitorLogicTest()
        : player(fx, fx, layout),
          logic(MonitorLogic::Parts{fx, flags, fx, layout, player, fx, fx, fx}) {
        logic.Load(*kestra_test::DefaultStore());
        logic.SetAddOns(&fx);
        flags.connected = kDevicePresent;
    }
    ButtonAssignment& Button(int n) {
        return logic.working().profiles[logic.working().CurrentProfile].buttons[n - 1];
    }
    void Event(uint32_t code, uint32_t value) {
        logic.OnDeviceEvent(MakeEventWord(code, value), nullptr);
    }
    Trace Take() { return kestra_test::Take(fx.trace); }

    Effects fx;
    UsKeyboardLayout layout;
    DeviceFlags flags;
    MacroPlayer player;
    MonitorLogic logic;
};

TEST_F(MonitorLogicTest, EventsReachTheirHandlersAndUnknownOnesNothing) {
    Event(0x1000, 1);
    Event(0x1000, 255);
    Event(0x1000, 2);
    Event(0xF000, 0x0126);
    Event(0xF000, 0x0028);
    Event(0x00A0, 0);
    Event(0x1234, 1);
    Event(0x4000, 0x0011);  // button 17 does not exist
    EXPECT_EQ((Trace{"tilt right", "tilt left", "media 38 up", "open option"}), Take());
}

TEST_F(MonitorLogicTest, CombinationPressRepeatAndRelease) {
    ButtonAssignment& b = Button(3);
    b.function = kFunctionKeyCombination;
    b.stepCount = 1;
    b.steps[0] = MacroStep{4, 0x04 | 0x02, 0};  // Ctrl+Shift+A (flags in bits 9, 10)
    Event(0x5000, 0x0003);
    EXPECT_EQ((Trace{"+17", "+16", "+65", "timer 102 1000"}), Take());
    logic.OnKeyRepeatTimer();  // first expiry: re-armed at 100 ms
    EXPECT_EQ((Trace{"kill 102", "timer 102 100", "-65", "+65"}), Take());
    logic.OnKeyRepeatTimer();
    EXPECT_EQ((Trace{"-65", "+65"}), Take());
    Event(0x5000, 0x0103);
    EXPECT_EQ((Trace{"kill 102", "-65", "-16", "-17"}), Take());
    // A timer message already queued at the release sends nothing.
    logic.OnKeyRepeatTimer();
    EXPECT_EQ((Trace{"kill 102"}), Take());
}

TEST_F(MonitorLogicTest, ModifiersAloneAreNeverRepeated) {
    ButtonAssignment& b = Button(2);
    b.function = kFunctionKeyCombination;
    b.steps[0] = MacroStep{0, 0x08, 0};  // Alt, no main key
    Event(0x5000, 0x0002);
    EXPECT_EQ((Trace{"+18", "timer 102 1000"}), Take());
    logic.OnKeyRepeatTimer();
    logic.OnKeyRepeatTimer();
    EXPECT_EQ((Trace{"kill 102", "timer 102 100"}), Take());
}

TEST_F(MonitorLogicTest, ReleasedButtonsNeverLaunchOrPlay) {
    ButtonAssignment& macro = Button(5);
    macro.function = kFunctionMacro;
    macro.stepCount = 1;
    macro.steps[0] = MacroStep{4, 1, 10};
    ButtonAssignment& launch = Button(6);
    launch.function = kFunctionLaunchProgram;
    CopyText(launch.programPath, sizeof launch.programPath, "C:\\tools\\calc.exe");

    Event(0x4000, 0x0105);
    Event(0x5000, 0x0105);
    Event(0x000A, 0x0106);
    EXPECT_TRUE(Take().empty());
    Event(0x4000, 0x0005);
    Event(0x000A, 0x0006);
    EXPECT_EQ((Trace{"play", "osd macro 5", "shell C:\\tools\\calc.exe"}), Take());
    // Launch events for buttons that launch nothing do nothing.
    Event(0x000A, 0x0005);
    EXPECT_TRUE(Take().empty());
}

TEST_F(MonitorLogicTest, ASecondMacroPressBeforePlaybackBeganCancelsItAndHandsOverNoOther) {
    Button(5) = kestra_test::MacroButton({{4, 1, 1}, {4, 2, 1}});  // A
    Button(6) = kestra_test::MacroButton({{5, 1, 1}, {5, 2, 1}});  // B
    // Two presses 1 ms apart: the macro thread has not yet taken the first.
    Event(0x5000, 0x0005);
    Event(0x5000, 0x0006);
    EXPECT_EQ((Trace{"play"}), Take());
    // Its turn comes: cancelled before the first step, nothing is played.
    player.Play();
    EXPECT_TRUE(Take().empty());
    EXPECT_FALSE(player.playing());
    // The next press plays anew.
    Event(0x5000, 0x0006);
    player.Play();
    EXPECT_EQ((Trace{"play", "+66", "-66"}), Take());
}

TEST_F(MonitorLogicTest, AWrongFirmwareIsAskedAboutOnceOnTheWindowThread) {
    logic.SetProgramFolder("C:\\Mouse\\");
    fx.answer = FirmwareAnswer::kUpdate;
    // A second report while the question is up (its message loop runs), and
    // one after it, ask nothing more.
    fx.onAsk = [&] { logic.OnWrongFirmware(); };
    logic.OnWrongFirmware();
    logic.OnWrongFirmware();
    EXPECT_EQ((Trace{"ask", "open C:\\Mouse\\\\Flasher\\Flasher.exe", "close"}), Take());
}

TEST_F(MonitorLogicTest, ProgramPathStopsAtTheEndOfItsRecord) {
    ButtonAssignment& b = Button(1);
    b.function = kFunctionLaunchProgram;
    memset(b.programPath, 'x', sizeof b.programPath);  // no terminator at all
    if (&b != &logic.working().profiles[0].buttons[15]) memset(&b + 1, 'y', 8);
    EXPECT_EQ(std::string(sizeof b.programPath, 'x'), MonitorLogic::ProgramPath(b));
    memset(b.programPath, 0, sizeof b.programPath);
    Event(0x000A, 0x0001);  // empty path: nothing to open
    EXPECT_TRUE(Take().empty());
}

TEST_F(MonitorLogicTest, MouseMadeChangesAreWrittenBackAndAnnounced) {
    Event(0x0801, 3);
    EXPECT_EQ(2, fx.block.CurrentProfile);
    EXPECT_EQ((Trace{"write", "save profile 2", "option 1255", "osd profile 2 0", "option 1257"}),
              Take());
    // Which values are taken: Dispatch.DeviceChangesAcceptOnlyTheirValues.
    // Refused ones change and announce nothing.
    Event(0x0800, 6);
    Event(0xC000, 0x1515);
    EXPECT_TRUE(Take().empty());

    Event(0x0701, 7);
    EXPECT_EQ(6, fx.block.profiles[2].CpiStep);
    EXPECT_EQ((Trace{"write", "option 1257", "osd dpi 7"}), Take());
    Event(0x01F2, 2);
    EXPECT_EQ(2, fx.block.profiles[2].PollingRate);
    EXPECT_EQ((Trace{"write", "option 1257"}), Take());

    // Without Option the notifications are skipped, nothing else.
    fx.optionRunning = false;
    Take();
    Event(0x0800, 1);
    EXPECT_EQ((Trace{"write", "save profile 0", "osd profile 0 0"}), Take());
}

TEST_F(MonitorLogicTest, TheTrayTipFollowsTheProfileAndLevelFromEverySource) {
    SettingsStore& s = logic.working();
    CopyText(s.profiles[2].ProFileName, sizeof s.profiles[2].ProFileName, "Sniper");
    CopyText(s.profiles[2].GameFile, sizeof s.profiles[2].GameFile, "quest.exe");
    s.profiles[2].CpiStep = 1;
    s.profiles[2].CpiLevel_X[1] = 16;
    logic.ConnectedStart(1, false);
    ASSERT_EQ(1u, fx.tips.size());
    EXPECT_EQ(0, fx.tips.back().profile);
    fx.foreground = "quest.exe";
    logic.OnAppWatch();  // program watch
    ASSERT_EQ(2u, fx.tips.size());
    EXPECT_EQ("Sniper", fx.tips.back().name);
    EXPECT_EQ(1600, fx.tips.back().cpi);
    Event(0x0701, 1);  // the mouse's level button: level 1
    EXPECT_EQ(s.profiles[2].CpiLevel_X[0] * 100, fx.tips.back().cpi);
    Event(0x01F2, 2);  // a report rate changes nothing the tip shows
    EXPECT_EQ(3u, fx.tips.size());
    Event(0x0800, 1);  // the mouse's profile button
    EXPECT_EQ(0, fx.tips.back().profile);
    fx.block = s;
    fx.block.CurrentProfile = 2;
    logic.OnApplySettings();  // an apply from Option
    EXPECT_EQ(2, fx.tips.back().profile);
    EXPECT_EQ(5u, fx.tips.size());
}

TEST_F(MonitorLogicTest, AMouseThatDoesNotAnswerIsShownInTheTrayTipAndToOption) {
    flags.answer = kMouseNotAnswering;
    logic.OnDeviceStateChanged();
    ASSERT_FALSE(fx.tips.empty());
    EXPECT_TRUE(fx.tips.back().notAnswering);
    flags.answer = kMouseAnswering;
    flags.firmware = 0x0203;
    logic.OnDeviceStateChanged();
    EXPECT_FALSE(fx.tips.back().notAnswering);
    EXPECT_EQ(u"Mouse\nNot answering",
              TrayTipText(u"Mouse", u"x", {0, "x", 0, true}, u"Not answering"));
    // Gone, it is absent whatever its last check said.
    flags.connected = kDeviceRemoved;
    logic.OnDeviceStateChanged();
    EXPECT_EQ(
        (Trace{"option state " +
                   N(static_cast<long>(PackDeviceState(kMouseNotAnswering, false, 0, 0))),
               "option state " + N(static_cast<long>(PackDeviceState(kMouseAnswering, true, 2, 3))),
               "option state 0"}),
        Take());
}

TEST(TrayTip, NamesTheProfileAndLevelAndNeverOverflows) {
    auto store = kestra_test::DefaultStore();
    store->CurrentProfile = 1;
    CopyText(store->profiles[1].ProFileName, sizeof store->profiles[1].ProFileName, "Sniper");
    store->profiles[1].CpiStep = 2;
    store->profiles[1].CpiLevel_X[2] = 16;
    TrayTipInfo info = TrayTipOf(*store);
    EXPECT_EQ(u"Mouse\nSniper (2) \u00B7 1600 CPI", TrayTipText(u"Mouse", u"Sniper", info));
    EXPECT_EQ(u"Mouse\nProfile 2 \u00B7 1600 CPI", TrayTipText(u"Mouse", u"", info));
    EXPECT_EQ(u"", TrayTipText(u"", u"", info));  // no language library: no text of ours

    // A damaged level or profile number shows less, never another profile's.
    store->profiles[1].CpiStep = 7;
    EXPECT_EQ(0, TrayTipOf(*store).cpi);
    store->CurrentProfile = 5;
    EXPECT_EQ(u"Mouse", TrayTipText(u"Mouse", u"x", TrayTipOf(*store)));

    // A long name gives way to an ellipsis; the number and level stay.
    const std::u16string tip = TrayTipText(u"Mouse", std::u16string(249, u'n'), info);
    EXPECT_EQ(kTrayTipLength, tip.size());
    EXPECT_EQ(u"n\u2026 (2) \u00B7 1600 CPI", tip.substr(tip.size() - 17));
    // A product text that fills the tip alone is cut, not inside a pair.
    std::u16string product(kTrayTipLength - 1, u'p');
    product += u"\U0001F5B1";  // two units across the limit
    const std::u16string cut = TrayTipText(product, u"Sniper", info);
    EXPECT_EQ(kTrayTipLength - 1, cut.size());
    EXPECT_EQ(u'p', cut.back());
}

TEST_F(MonitorLogicTest, ProgramWatchSwitchesToTheFirstMatchingProfile) {
    SettingsStore& s = logic.working();
    CopyText(s.profiles[1].GameFile, sizeof s.profiles[1].GameFile, "  D:\\Games\\Quest.EXE ");
    CopyText(s.profiles[3].GameFile, sizeof s.profiles[3].GameFile, "quest.exe");
    s.profiles[1].MouseSpeed = s.profiles[0].MouseSpeed + 1;
    fx.foreground = "QUEST.exe";
    logic.OnAppWatch();
    EXPECT_EQ(1, fx.block.CurrentProfile);
    EXPECT_EQ((Trace{"write", "job 3", "spi 4", "spi 113", "option 1255", "osd profile 1 1"}),
              Take());
    logic.OnAppWatch();  // already current
    fx.foreground = "other.exe";
    logic.OnAppWatch();  // no match: the profile stays
    fx.foreground = "";
    logic.OnAppWatch();
    EXPECT_TRUE(Take().empty());
    EXPECT_EQ(1, s.CurrentProfile);
}

TEST_F(MonitorLogicTest, ProgramWatchFallsBackToTheTimerAndLooksAtOnceWhenStarted) {
    SettingsStore& s = logic.working();
    CopyText(s.profiles[2].GameFile, sizeof s.profiles[2].GameFile, "quest.exe");
    // Without foreground events, the 2-second look is the watch.
    fx.hookable = false;
    logic.ConnectedStart(1, false);
    EXPECT_EQ((Trace{"hook", "timer 500 2000", "timer 502 200", "tray", "save device 1"}), Take());
    logic.StopProgramWatch();
    EXPECT_EQ((Trace{"unhook", "kill 500"}), Take());

    // A bound program already in front when the watch starts wins at once,
    // with the device job of a mouse that counts as present.
    fx.hookable = true;
    fx.foreground = "quest.exe";
    logic.StartProgramWatch();
    EXPECT_EQ((Trace{"hook", "write", "job 3", "option 1255", "osd profile 2 1"}), Take());
    EXPECT_EQ(2, fx.block.CurrentProfile);
    fx.foreground = "other.exe";
    logic.OnForegroundChange();
    EXPECT_TRUE(Take().empty());
}

// What the end-to-end test cannot see: whether the watch chose the profile
// in use, and a switch made while the mouse is away.
TEST_F(MonitorLogicTest, TheStatusTellsWhetherTheWatchChoseTheProfileAndNoneIsQueuedUnplugged) {
    SettingsStore& s = logic.working();
    CopyText(s.profiles[1].GameFile, sizeof s.profiles[1].GameFile, "quest.exe");
    fx.foreground = "quest.exe";
    logic.OnAppWatch();
    EXPECT_EQ(kScriptDone | kScriptSelectedByProgram, logic.OnScriptRequest(kScriptStatus, 0));
    Event(0x0800, 3);  // the mouse's own profile button
    EXPECT_EQ(kScriptDone, logic.OnScriptRequest(kScriptStatus, 0));
    Take();

    // The choice is kept for the mouse's arrival; nothing waits for it.
    flags.connected = kDeviceRemoved;
    EXPECT_EQ(kScriptDone, logic.OnScriptRequest(kScriptSelectProfile, 1));
    EXPECT_EQ((Trace{"write", "option 1255", "osd profile 0 3", "save profile 0"}), Take());
}

TEST_F(MonitorLogicTest, ApplyQueuesDeviceWorkOrAnswersAtOnce) {
    memcpy(&fx.block, &logic.working(), sizeof fx.block);
    fx.block.profiles[0].ScrollWheelSpeed += 2;
    logic.OnApplySettings();
    EXPECT_EQ((Trace{"read", "spi 105", "job 1"}), Take());
    // The pointer settings just written are not written again.
    logic.OnApplySettings();
    EXPECT_EQ((Trace{"read", "job 1"}), Take());

    fx.jobPostable = false;
    logic.OnApplySettings();
    EXPECT_EQ((Trace{"read", "job 1", "option 1256"}), Take());

    flags.connected = kDeviceRemoved;
    fx.block.profiles[0].ScrollWheelSpeed += 2;
    logic.OnApplySettings();
    EXPECT_EQ((Trace{"read", "option 1256"}), Take());
}

TEST_F(MonitorLogicTest, AProfileBoundToTheProgramInFrontByAnApplyIsSelectedAtOnce) {
    memcpy(&fx.block, &logic.working(), sizeof fx.block);
    fx.foreground = "quest.exe";
    logic.OnApplySettings();
    EXPECT_EQ((Trace{"read", "job 1"}), Take());
    CopyText(fx.block.profiles[2].GameFile, sizeof fx.block.profiles[2].GameFile, "quest.exe");
    logic.OnApplySettings();
    EXPECT_EQ((Trace{"read", "job 1", "write", "job 3", "option 1255", "osd profile 2 1"}), Take());
    EXPECT_EQ(2, fx.block.CurrentProfile);
}

TEST_F(MonitorLogicTest, AMalformedBlockNeverIndexesOutsideTheProfiles) {
    fx.block.CurrentProfile = 1 << 30;
    logic.OnReloadSettings(true);
    EXPECT_EQ(0, logic.working().CurrentProfile);
    fx.block.CurrentProfile = -7;
    logic.OnApplySettings();
    EXPECT_EQ(0, logic.working().CurrentProfile);
    Event(0x4000, 0x0001);
    Event(0x0700, 1);
    SUCCEED();
}

TEST_F(MonitorLogicTest, ConnectedStartAndAbsentStart) {
    logic.ConnectedStart(1, true);
    EXPECT_EQ((Trace{"hook", "timer 502 200", "tray", "customizer", "save device 1"}), Take());
    EXPECT_TRUE(logic.connected());
    logic.ConnectedStart(0, true);
    EXPECT_EQ((Trace{"save device 0"}), Take());
    EXPECT_EQ(kDeviceNeverConnected, flags.connected.load());
}

TEST_F(MonitorLogicTest, OsdTextRecordsOfExactlyTheirSize) {
    char record[152] = {};
    strcpy(record + 1, "hello");
    EXPECT_FALSE(logic.OnCopyData(record, 150));
    EXPECT_FALSE(logic.OnCopyData(record, 152));
    EXPECT_FALSE(logic.OnCopyData(nullptr, 151));
    EXPECT_TRUE(logic.OnCopyData(record, 151));
    flags.connected = kDeviceRemoved;
    memset(record, 'z', sizeof record);  // no terminator: cut at the record's end
    EXPECT_TRUE(logic.OnCopyData(record, 151));
    EXPECT_EQ((Trace{"osd text hello on", "osd text " + std::string(149, 'z') + " off"}), Take());
}

// ---- device jobs ----------------------------------------------------------

class JobEffects : public DeviceJobEffects, public FirmwareEffects {
public:
    SettingsStore store{};
    Trace trace;
    bool option = true;
    bool Note(const std::string& s, bool result = true) {
        trace.push_back(s);
        return result;
    }
    void DebugLine(const std::string& l) override {
        if (l[0] == 'O') Note(l);
    }
    bool block = true;  // whether there is a shared block, holding `store`
    bool ReadBlock(SettingsStore& s) override {
        if (block) s = store;
        return block;
    }
    bool PostApplyDoneToOption() override { return option && Note("done"); }
    void PostApplyProgressToOption(int sent, int total, int remainingMs) override {
        progress.push_back({sent, total, remainingMs});
    }
    std::vector<std::array<int, 3>> progress;
    void ShowProfileSelected(int p) override { Note("shown " + N(p)); }
    // What the tray and Option are told, apart from the trace.
    void DeviceStateChanged() override { states.push_back(answer ? answer->load() : -1); }
    std::vector<int> states;
    const std::atomic<int>* answer = nullptr;
    void DebugLine(const char*) override {}
    void ReportWrongFirmware() override { Note("wrong firmware"); }
};

class DeviceJobsTest : public ::testing::Test {
protected:
    DeviceJobsTest()
        : link(clock),
          waiter(clock, flags),
          applier(link, waiter),
          jobs(applier, link, waiter, flags, fx, fx) {
        fx.store = *kestra_test::DefaultStore();
        fx.store.CurrentProfile = 2;
        flags.connected = kDevicePresent;
        link.answer = {0x80, 2, 3};
        fx.answer = &flags.answer;
    }
    kestra_test::VirtualClock clock;
    DeviceFlags flags;
    kestra_test::RecordingLink link;
    kestra_test::VirtualWaiter waiter;
    DeviceApplier applier;
    JobEffects fx;
    DeviceJobs jobs;
};

TEST_F(DeviceJobsTest, JobsAreDroppedUnlessTheMouseIsPresent) {
    for (int state : {kDeviceNeverConnected, kDeviceRemoved}) {
        flags.connected = state;
        for (unsigned job = 1; job <= 3; ++job) jobs.Run(job);
    }
    EXPECT_TRUE(link.reports.empty());
    EXPECT_TRUE(fx.trace.empty());
}

TEST_F(DeviceJobsTest, ApplyAnswersOptionAfterTheLastReport) {
    fx.store.flags.level[0] = 1;
    link.afterReport = [&] { EXPECT_TRUE(fx.trace.empty()); };
    jobs.Run(DEVICE_JOB_APPLY);
    EXPECT_EQ(3u, link.reports.size());  // opening, the level, the select
    EXPECT_EQ((Trace{"done"}), fx.trace);
    // Each report told as it went, with the pauses still to come.
    EXPECT_EQ((std::vector<std::array<int, 3>>{{1, 3, 600}, {2, 3, 400}, {3, 3, 200}}),
              fx.progress);
    EXPECT_EQ(0, flags.busy.load());
    fx.option = false;
    fx.trace.clear();
    jobs.Run(DEVICE_JOB_APPLY);
    EXPECT_EQ((Trace{"OnApplyAllSetting Don't find Zeph Option Dialog\n"}), fx.trace);
}

TEST_F(DeviceJobsTest, AnArrivedMouseGetsEverythingOnceItsFirmwarePasses) {
    jobs.Run(DEVICE_JOB_FIRMWARE_CHECK);
    EXPECT_EQ(2u, link.reports.size());  // the version request and its answer
    jobs.RequestFullApply();
    jobs.Run(DEVICE_JOB_FIRMWARE_CHECK);
    EXPECT_GT(link.reports.size(), 40u);
    EXPECT_FALSE(jobs.fullApplyPending());
    EXPECT_TRUE(fx.trace.empty());

    // A wrong firmware is only reported: the window thread asks. That mouse
    // is sent nothing more, and an Apply meanwhile is still answered.
    link.reports.clear();
    link.answer = {0x80, 2, 2};
    jobs.RequestFullApply();
    jobs.Run(DEVICE_JOB_FIRMWARE_CHECK);
    fx.store.flags.level[0] = 1;
    jobs.Run(DEVICE_JOB_APPLY);
    jobs.Run(DEVICE_JOB_SELECT_PROFILE);
    EXPECT_EQ(2u, link.reports.size());
    EXPECT_EQ((Trace{"wrong firmware", "done"}), fx.trace);
}

TEST_F(DeviceJobsTest, AFullSendCutShortByARemovalIsMadeAfterTheNextArrival) {
    flags.connection = 1;
    jobs.RequestFullApply();
    // The mouse goes away in the middle of the send.
    link.afterReport = [&] {
        if (link.reports.size() == 20) flags.abort = 1;
    };
    jobs.Run(DEVICE_JOB_FIRMWARE_CHECK, 1);
    EXPECT_LE(link.reports.size(), 21u);  // stopped at its next check
    EXPECT_TRUE(jobs.fullApplyPending());

    // It comes back: the check posted for the first connection is stale, the
    // one for the second sends everything once.
    link.afterReport = nullptr;
    link.reports.clear();
    flags.connection = 2;
    jobs.RequestFullApply();
    jobs.Run(DEVICE_JOB_FIRMWARE_CHECK, 1);
    EXPECT_TRUE(link.reports.empty());
    jobs.Run(DEVICE_JOB_FIRMWARE_CHECK, 2);
    const size_t full = link.reports.size();
    EXPECT_GT(full, 40u);
    EXPECT_FALSE(jobs.fullApplyPending());
    jobs.Run(DEVICE_JOB_FIRMWARE_CHECK, 2);
    EXPECT_EQ(full + 2, link.reports.size());  // only the version this time

    // An arrival while a send runs asks again; the send that ends does not
    // take its request away.
    link.reports.clear();
    jobs.RequestFullApply();
    link.afterReport = [&] {
        if (link.reports.size() == 10) jobs.RequestFullApply();
    };
    jobs.Run(DEVICE_JOB_FIRMWARE_CHECK);
    EXPECT_TRUE(jobs.fullApplyPending());
}

TEST_F(DeviceJobsTest, ASilentMouseIsShownAskedAgainAtEachApplyAndThenGetsEverything) {
    jobs.RequestFullApply();
    link.getResult = 0;
    jobs.Run(DEVICE_JOB_FIRMWARE_CHECK);
    EXPECT_EQ(6u, link.reports.size());  // three version requests, no more
    EXPECT_TRUE(fx.trace.empty());       // no question, Monitor runs on
    EXPECT_TRUE(jobs.fullApplyPending());
    EXPECT_EQ(std::vector<int>{kMouseNotAnswering}, fx.states);

    // An Apply asks first and sends nothing to a mouse still silent.
    link.reports.clear();
    fx.store.flags.level[0] = 1;
    jobs.Run(DEVICE_JOB_APPLY);
    EXPECT_EQ(6u, link.reports.size());
    EXPECT_EQ((Trace{"done"}), fx.trace);

    // Answering at the next one, it gets everything it missed.
    link.getResult = 1;
    link.reports.clear();
    jobs.Run(DEVICE_JOB_APPLY);
    EXPECT_GT(link.reports.size(), 40u);
    EXPECT_FALSE(jobs.fullApplyPending());
    EXPECT_EQ(kMouseAnswering, flags.answer.load());
    EXPECT_EQ(0x0203, flags.firmware.load());

    // Reports refused: shown again, and everything is owed once more.
    link.setResult = 0;
    jobs.Run(DEVICE_JOB_APPLY);
    EXPECT_EQ(kMouseNotAnswering, flags.answer.load());
    EXPECT_TRUE(jobs.fullApplyPending());
    EXPECT_EQ(kMouseNotAnswering, fx.states.back());
}

TEST_F(DeviceJobsTest, WithoutABlockAJobSendsAWholeCopyHandedOverWithIt) {
    // Two states the window thread's working copy goes through: every level
    // of profile 1 (and profile 1 current), or every level 3 (profile 5).
    fx.block = false;
    std::unique_ptr<SettingsStore> one(new SettingsStore(fx.store)),
        three(new SettingsStore(fx.store));
    for (int p = 0; p < kProfileCount; ++p) {
        one->flags.level[p] = three->flags.level[p] = 1;
        one->profiles[p].CpiStep = 0;
        three->profiles[p].CpiStep = 2;
    }
    one->CurrentProfile = 0;
    three->CurrentProfile = 4;
    jobs.HandOver(*one);
    std::atomic<bool> stop{false};
    std::atomic<unsigned> handed{0};
    std::thread window([&] {
        for (unsigned i = 0; !stop; handed = ++i) jobs.HandOver(i % 2 ? *one : *three);
    });
    while (handed < 2) std::this_thread::yield();
    // Until the window thread has handed over often meanwhile, however the
    // two threads are scheduled.
    const unsigned from = handed;
    int mixed = 0;
    for (int run = 0; run < 300 || (handed - from < 3000 && run < 100000); ++run) {
        link.reports.clear();
        jobs.Run(DEVICE_JOB_APPLY);
        // Levels (04 profile level) and the select (02 profile), all of one state.
        std::vector<int> seen;
        for (const kestra_test::RecordedReport& r : link.reports) {
            if (r.bytes[0] == 0x04) seen.push_back(r.bytes[2]);
            if (r.bytes[0] == 0x02) seen.push_back(r.bytes[1] == 1 ? 1 : r.bytes[1] == 5 ? 3 : 0);
        }
        const bool whole =
            seen.size() == 6 && seen[0] != 0 && std::count(seen.begin(), seen.end(), seen[0]) == 6;
        if (!whole) ++mixed;
    }
    stop = true;
    window.join();
    EXPECT_EQ(0, mixed);
}

TEST_F(DeviceJobsTest, ALevelJobSendsTheActiveLevelAloneAndTellsOptionNothing) {
    fx.store.flags.block[0] = 1;  // left in the block by Option's last Apply
    fx.store.profiles[2].CpiStep = 1;
    jobs.Run(DEVICE_JOB_SELECT_LEVEL);
    ASSERT_EQ(3u, link.reports.size());  // opening, the level, the select
    const FeatureReport level = CpiLevelReport(fx.store.profiles[2], 2);
    EXPECT_EQ(std::vector<uint8_t>(level.begin(), level.end()), link.reports[1].bytes);
    EXPECT_TRUE(fx.trace.empty());
    EXPECT_TRUE(fx.progress.empty());
}

TEST_F(DeviceJobsTest, SelectShowsTheProfileAfterItsPauseUnlessRemoved) {
    jobs.Run(DEVICE_JOB_SELECT_PROFILE);
    ASSERT_EQ(1u, link.reports.size());
    EXPECT_EQ(3, link.reports[0].bytes[1]);  // one-based on the wire
    EXPECT_EQ(200, clock.now);
    EXPECT_EQ((Trace{"shown 2"}), fx.trace);
    fx.trace.clear();
    link.afterReport = [&] { flags.abort = 1; };
    jobs.Run(DEVICE_JOB_SELECT_PROFILE);
    EXPECT_TRUE(fx.trace.empty());
}

}  // namespace
}  // namespace kestra
