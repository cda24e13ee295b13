// devport.dll through DeviceLink with the virtual mouse, in a fresh program
// folder: presence and events as window messages, reports byte for byte in
// the virtual mouse's log, and Monitor opening the channels once per arrival.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>
#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "device/apply_all.h"
#include "device/device_link_win.h"
#include "settings/ipc_names.h"
#include "tests/native/device_fakes.h"
#include "tests/native/full_apply_store.h"
#include "tests/windows/e2e_harness_win.h"
#include "vmouse/message_pipe_win.h"
#include "vmouse/vmouse_wire.h"

namespace kestra {
namespace e2e {
namespace {

// Long enough for a loaded machine; presence itself takes a fraction of it.
constexpr DWORD kSettle = 8000;
// Removal and arrival must reach the window within this, counted from the
// vmouse call (a new Wine process, some 40 ms of it).
constexpr double kPresenceLatencyMs = 1000;

// A message-only window that records what devport.dll posts to it.
class DeviceMessages : public MessageRecorder {
public:
    // Waits for a message; its arrival in ms since `sinceMs`, or -1.
    double WaitFor(UINT message, WPARAM wParam, double sinceMs, size_t from) {
        int at = -1;
        WaitUntil([&] { return (at = Find(message, wParam, from)) >= 0; }, kSettle);
        return at < 0 ? -1 : messages()[static_cast<size_t>(at)].atMs - sinceMs;
    }
};

std::string LogLine(const char* kind, const uint8_t* bytes, size_t count) {
    return std::string(kind) + " " + kestra_test::Hex(bytes, count);
}

// Pauses in real time, never aborted.
class SleepWaiter : public Waiter {
public:
    void Sleep(int ms) override { ::Sleep(static_cast<DWORD>(ms)); }
    bool AbortRequested() override { return false; }
};

class DevportWithVirtualMouse : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.ok()) << folder.path();
        ASSERT_TRUE(mouse.Start());
        ASSERT_TRUE(link.Load(folder.path()));
        ASSERT_NE(0, link.Open(messages.window()));
    }
    void TearDown() override { link.Close(); }

    ProgramFolder folder;
    VirtualMouse mouse{folder};
    DeviceMessages messages;
    DeviceLink link;
};

TEST_F(DevportWithVirtualMouse, EventsPresenceAndReportsByteForByte) {
    // An event of the mouse becomes UM_DEVICE_EVENT with code and value.
    ASSERT_TRUE(mouse.Event(0x4000, 0x0004));
    ASSERT_GE(messages.WaitFor(UM_DEVICE_EVENT, 0x4000, 0, 0), 0);
    const RecordedMessage& event = messages.messages()[messages.Find(UM_DEVICE_EVENT, 0x4000)];
    EXPECT_EQ(4, event.lParam);

    // What the library sends reaches the mouse exactly; the firmware answer
    // comes back with the version the mouse was started with.
    ASSERT_TRUE(mouse.ClearLog());
    const FeatureReport ask = MakeFeatureReport(kCmdFirmwareVersion);
    EXPECT_EQ(1, link.SetFeature(ask.data(), kFeatureReportSize));
    FeatureReport answer = ask;
    EXPECT_EQ(1, link.GetFeature(answer.data(), kFeatureReportSize));
    EXPECT_EQ(MakeFeatureReport(kCmdFirmwareVersion, 2, 3), answer);
    const FeatureReport block = MakeFeatureReport(kCmdButtonTable, 2, kBlockFollows);
    EXPECT_EQ(1, link.SetFeature(block.data(), kFeatureReportSize));
    uint8_t half[kOutputReportSize];
    for (int i = 0; i < kOutputReportSize; ++i) half[i] = static_cast<uint8_t>(i * 7 + 1);
    EXPECT_EQ(1, link.WriteReport(half, kOutputReportSize));
    EXPECT_EQ(1, link.WriteReport(half, kOutputReportSize));
    // A half no block command announced is refused, and logged all the same.
    EXPECT_EQ(0, link.WriteReport(half, kOutputReportSize));
    const std::vector<std::string> expected = {
        LogLine("set", ask.data(), 8),   LogLine("get", ask.data(), 8),
        LogLine("set", block.data(), 8), LogLine("out", half, 64),
        LogLine("out", half, 64),        LogLine("out", half, 64),
    };
    EXPECT_EQ(expected, mouse.Log());

    // Unplugged: a removal, and nothing reaches the mouse any more.
    size_t from = messages.messages().size();
    double calledMs = PreciseNowMs();
    ASSERT_TRUE(mouse.Unplug());
    const double removalMs = messages.WaitFor(UM_DEVICE_PRESENCE, 0, calledMs, from);
    ASSERT_GE(removalMs, 0);
    EXPECT_LT(removalMs, kPresenceLatencyMs);
    printf("vmouse unplug to the removal at the window: %.0f ms\n", removalMs);
    ASSERT_TRUE(mouse.ClearLog());
    EXPECT_EQ(0, link.SetFeature(ask.data(), kFeatureReportSize));
    EXPECT_EQ(0, link.Open(messages.window()));

    from = messages.messages().size();
    calledMs = PreciseNowMs();
    ASSERT_TRUE(mouse.Plug());
    const double arrivalMs = messages.WaitFor(UM_DEVICE_PRESENCE, 1, calledMs, from);
    ASSERT_GE(arrivalMs, 0);
    EXPECT_LT(arrivalMs, kPresenceLatencyMs);
    EXPECT_TRUE(mouse.Log().empty());
    EXPECT_NE(std::string::npos, mouse.State().find("channel opens: feature 1, report 1\n"));
}

TEST_F(DevportWithVirtualMouse, AChannelFromBeforeAnUnplugStaysDeadUntilOpenedAgain) {
    const FeatureReport open = OpenApplyReport();
    uint8_t half[kOutputReportSize] = {};
    ASSERT_TRUE(mouse.Unplug());
    ASSERT_TRUE(mouse.Plug());
    ASSERT_TRUE(mouse.ClearLog());
    EXPECT_EQ(0, link.SetFeature(open.data(), kFeatureReportSize));
    EXPECT_EQ(0, link.WriteReport(half, kOutputReportSize));
    EXPECT_EQ(0, link.SetFeature(open.data(), kFeatureReportSize));  // still dead
    EXPECT_TRUE(mouse.Log().empty());

    // Opening again, without closing first, gives working channels.
    EXPECT_NE(0, link.Open(messages.window()));
    EXPECT_EQ(1, link.SetFeature(open.data(), kFeatureReportSize));
    const std::vector<std::string> expected = {LogLine("set", open.data(), 8)};
    EXPECT_EQ(expected, mouse.Log());

    // Also when the dead channel was never used: an open channel is opened
    // afresh rather than trusted.
    ASSERT_TRUE(mouse.Unplug());
    ASSERT_TRUE(mouse.Plug());
    EXPECT_NE(0, link.Open(messages.window()));
    EXPECT_EQ(1, link.SetFeature(open.data(), kFeatureReportSize));
    EXPECT_NE(std::string::npos, mouse.State().find("channel opens: feature 3, report 3\n"));

    // A virtual mouse that stops is a removal; one that starts, an arrival.
    size_t from = messages.messages().size();
    ASSERT_TRUE(mouse.Stop());
    EXPECT_GE(messages.WaitFor(UM_DEVICE_PRESENCE, 0, 0, from), 0);
    from = messages.messages().size();
    ASSERT_TRUE(mouse.Start());
    EXPECT_GE(messages.WaitFor(UM_DEVICE_PRESENCE, 1, 0, from), 0);
    EXPECT_NE(0, link.Open(messages.window()));
    EXPECT_EQ(1, link.SetFeature(open.data(), kFeatureReportSize));
}

TEST_F(DevportWithVirtualMouse, AFullApplyReachesTheLogCompleteAndInOrder) {
    std::unique_ptr<SettingsStore> store = kestra_test::FullApplyStore();

    // The exact sequence, from the portable apply against a recording link.
    kestra_test::VirtualClock clock;
    DeviceFlags flags;
    kestra_test::RecordingLink recording(clock);
    kestra_test::VirtualWaiter virtualWaiter(clock, flags);
    std::unique_ptr<DeviceApplier> expectedApplier(new DeviceApplier(recording, virtualWaiter));
    ASSERT_EQ(1, expectedApplier->ApplyAll(*store, ApplyMode::kAll));
    std::vector<std::string> expected;
    for (const kestra_test::RecordedReport& r : recording.reports) {
        expected.push_back(LogLine(r.kind.c_str(), r.bytes.data(), r.bytes.size()));
    }

    ASSERT_TRUE(mouse.ClearLog());
    SleepWaiter waiter;
    std::unique_ptr<DeviceApplier> applier(new DeviceApplier(link, waiter));
    const double begin = PreciseNowMs();
    EXPECT_EQ(1, applier->ApplyAll(*store, ApplyMode::kAll));
    const double wallMs = PreciseNowMs() - begin;
    printf("full apply: %u reports, %.0f ms, pauses %ld ms\n",
           static_cast<unsigned>(expected.size()), wallMs, clock.now);

    const std::vector<std::string> log = mouse.Log();
    ASSERT_EQ(expected.size(), log.size());
    for (size_t i = 0; i < log.size(); ++i) ASSERT_EQ(expected[i], log[i]) << "report " << i;
    const std::string state = mouse.State();
    EXPECT_NE(std::string::npos, state.find("refused reports 0, incomplete blocks 0\n")) << state;
    EXPECT_NE(std::string::npos, state.find("active profile 3\n")) << state;
}

// Monitor.exe over the same library: the channels follow arrival and
// removal once each, and a removal reaches Monitor promptly.
class MonitorDeviceLink : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.ok()) << folder.path();
        ASSERT_TRUE(mouse.Start());
        ASSERT_TRUE(monitor.Start());
        ASSERT_TRUE(WaitUntil([&] { return ReadConfigInt(folder, "Device", -1) == 1; }, kSettle))
            << Observed(folder, mouse);
    }
    ProgramFolder folder;
    VirtualMouse mouse{folder};
    MonitorProgram monitor{folder};
};

// After an arrival: one firmware check, then every setting of the five
// profiles once (the default settings have no macros), ending with the
// select-profile command.
void ExpectOneCheckThenEverythingOnce(const std::vector<std::string>& log) {
    ASSERT_EQ(44u, log.size());
    EXPECT_EQ("set 80 00 00 00 00 00 00 7F", log[0]);
    EXPECT_EQ("get 80 00 00 00 00 00 00 7F", log[1]);
    EXPECT_EQ(1u, CountPrefix(log, "set 80 "));
    EXPECT_EQ("set 01 88 02 00 00 00 00 74", log[2]);
    EXPECT_EQ(1u, CountPrefix(log, "set 01 88"));
    for (const char* command : {"set 03 ", "set 04 ", "set 0C ", "set 0D "}) {
        EXPECT_EQ(5u, CountPrefix(log, command)) << command;
    }
    EXPECT_EQ(20u, CountPrefix(log, "out "));
    EXPECT_EQ("set 02 01 00 00 00 00 00 FC", log.back());
}

// A worn cable or a hub: the mouse comes and goes within milliseconds, many
// times. Monitor must end up with it once, as after a single arrival.
TEST_F(MonitorDeviceLink, ABouncingConnectionSettlesIntoOneArrival) {
    ASSERT_TRUE(KeepNotificationAreaIcon());
    ASSERT_TRUE(WaitUntil([&] { return LogHas(mouse, "get 80"); }, kSettle))
        << Observed(folder, mouse);
    const struct { unsigned count, gapMs; } bounces[] = {{18, 0}, {6, 1}, {6, 5}, {6, 20}};
    for (const auto& bounce : bounces) {
        SCOPED_TRACE("bounces " + std::to_string(bounce.count) + ", " +
                     std::to_string(bounce.gapMs) + " ms apart");
        ASSERT_TRUE(mouse.ClearLog());
        ASSERT_TRUE(mouse.Bounce(bounce.count, bounce.gapMs));
        // The full send ends with the select-profile command; nothing follows it.
        ASSERT_TRUE(WaitUntil([&] { return LogHas(mouse, "set 02 01"); }, 30000))
            << Observed(folder, mouse);
        WaitUntil([] { return false; }, 1500);
        ExpectOneCheckThenEverythingOnce(mouse.Log());
        EXPECT_EQ(1, ReadConfigInt(folder, "Device", -1)) << Observed(folder, mouse);
        EXPECT_TRUE(HasNotificationIcon(monitor.window(), kTrayIconId));
        EXPECT_FALSE(HasNotificationIcon(monitor.window(), kTrayIconId + 1));
        EXPECT_NE(std::string::npos, mouse.State().find("refused reports 0")) << mouse.State();
    }

    // And the mouse is Monitor's again: a profile switched on it is recorded.
    ASSERT_TRUE(mouse.Event(0x0800, 3));
    EXPECT_TRUE(
        WaitUntil([&] { return ReadConfigInt(folder, "CurrentProfile", -1) == 2; }, kSettle))
        << Observed(folder, mouse);
}

TEST_F(MonitorDeviceLink, TwoArrivalsInARowOpenTheChannelsOnceAndRemovalIsPrompt) {
    EXPECT_NE(std::string::npos, mouse.State().find("channel opens: feature 1, report 1\n"));

    ASSERT_TRUE(KeepNotificationAreaIcon());
    const double unpluggedMs = PreciseNowMs();
    ASSERT_TRUE(mouse.Unplug());
    ASSERT_TRUE(WaitUntil([&] { return ReadConfigInt(folder, "Device", -1) == 0; }, kSettle))
        << Observed(folder, mouse);
    const double removalMs = PreciseNowMs() - unpluggedMs;
    printf("vmouse unplug to Device=0: %.0f ms\n", removalMs);
    EXPECT_LT(removalMs, kPresenceLatencyMs);

    ASSERT_TRUE(mouse.Plug());
    // A second arrival right behind the library's own.
    PostMessageA(monitor.window(), UM_DEVICE_PRESENCE, 1, 0);
    ASSERT_TRUE(WaitUntil([&] { return ReadConfigInt(folder, "Device", -1) == 1; }, kSettle))
        << Observed(folder, mouse);
    // The arrival's firmware check went out over the channels it opened; the
    // second arrival waited behind the first and is handled right after it.
    ASSERT_TRUE(WaitUntil([&] { return mouse.Log().size() >= 2; }, kSettle))
        << Observed(folder, mouse);
    WaitUntil([] { return false; }, 200);
    EXPECT_NE(std::string::npos, mouse.State().find("channel opens: feature 2, report 2\n"))
        << mouse.State();
}

// Whether a tip of the notification area holds `text`.
bool SomeTipHas(const wchar_t* text) {
    for (const std::wstring& tip : NotificationAreaTips()) {
        if (tip.find(text) != std::wstring::npos) return true;
    }
    return false;
}

unsigned long QueryDeviceState(HWND monitor) {
    DWORD_PTR word = 0xFFFFFFFF;
    SendMessageTimeoutA(monitor, UM_QUERY_DEVICE_STATE, 0, 0, SMTO_ABORTIFHUNG, 5000, &word);
    return static_cast<unsigned long>(word);
}

// A mouse that is found but says nothing: Monitor runs on and says so in its
// tray tip and to Option, sends it nothing while it stays silent, and asks
// again at each Apply; answering, it gets everything it missed.
TEST(MonitorAndASilentMouse, IsShownAskedAgainAtApplyAndThenSentEverything) {
    ProgramFolder folder;
    VirtualMouse mouse{folder};
    MonitorProgram monitor{folder};
    MessageRecorder option(kOptionWindowTitle);
    ASSERT_TRUE(KeepNotificationAreaIcon());
    ASSERT_TRUE(mouse.Start());
    ASSERT_TRUE(mouse.Refuse(true));
    ASSERT_TRUE(monitor.Start());
    const unsigned long silent = PackDeviceState(kMouseNotAnswering, false, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return option.Find(UM_DEVICE_STATE, silent) >= 0; }, kSettle))
        << Observed(folder, mouse);
    EXPECT_TRUE(WaitUntil([] { return SomeTipHas(L"not answering"); }, kSettle));
    EXPECT_EQ(silent, QueryDeviceState(monitor.window()));
    EXPECT_EQ(1, ReadConfigInt(folder, "Device", -1));

    // An Apply while it is silent: asked again (three tries of a set and a get
    // each time), nothing else sent, Option answered.
    PostMessageA(monitor.window(), UM_APPLY_SETTINGS, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return option.Count(UM_APPLY_DONE) == 1; }, kSettle))
        << Observed(folder, mouse);
    EXPECT_NE(std::string::npos, mouse.State().find("12 refused while silent")) << mouse.State();

    // Answering again, it is checked and then owed everything: the full send
    // begins (its end is the full-apply tests' business).
    ASSERT_TRUE(mouse.Refuse(false));
    ASSERT_TRUE(mouse.ClearLog());
    PostMessageA(monitor.window(), UM_APPLY_SETTINGS, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return LogHas(mouse, "set 03 "); }, kSettle))
        << Observed(folder, mouse);
    const std::vector<std::string> log = mouse.Log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ("set 80 00 00 00 00 00 00 7F", log[0]);
    EXPECT_EQ("get 80 00 00 00 00 00 00 7F", log[1]);
    EXPECT_EQ("set 01 88 02 00 00 00 00 74", log[2]);
    const unsigned long answering = PackDeviceState(kMouseAnswering, true, 2, 3);
    EXPECT_TRUE(WaitUntil([&] { return option.Find(UM_DEVICE_STATE, answering) >= 0; }, kSettle));
    EXPECT_EQ(answering, QueryDeviceState(monitor.window()));
    EXPECT_TRUE(
        WaitUntil([] { return SomeTipHas(L" CPI") && !SomeTipHas(L"not answering"); }, kSettle));
}

// Installed programs never use the stand-in: only a process asked for it does.
TEST(MonitorWithoutTheVirtualMouseAsked, NeverOpensItAndTakesTheRealPath) {
    ProgramFolder folder;
    VirtualMouse mouse{folder};
    ASSERT_TRUE(mouse.Start());
    MonitorProgram monitor{folder};
    {
        WithoutEnvironmentVariable notAsked(vmouse::kVirtualMouseVariable);
        ASSERT_TRUE(monitor.Start());
    }
    ASSERT_TRUE(WaitUntil([&] { return ReadConfigInt(folder, "Device", -1) == 0; }, kSettle))
        << Observed(folder, mouse);
    // Time for any look at the virtual mouse (it is watched without delay).
    WaitUntil([] { return false; }, 1000);
    EXPECT_EQ(0, mouse.LibrarySubscriptions()) << mouse.State();
    EXPECT_NE(std::string::npos, mouse.State().find("channel opens: feature 0, report 0\n"))
        << mouse.State();
    EXPECT_FALSE(HasNotificationIcon(monitor.window(), kTrayIconId));
}

// Anyone can create a pipe of the virtual mouse's name first: the library
// speaks only to a server of its own user, and the pipe admits no one else.
TEST(VirtualMousePipe, OnlyItsOwnUserMaySpeakForTheMouse) {
    ProgramFolder folder;
    VirtualMouse mouse{folder};
    ASSERT_TRUE(mouse.Start());
    vmouse::MessagePipe pipe;
    ASSERT_TRUE(pipe.Connect(2000));
    EXPECT_FALSE(vmouse::MessagePipe().Connect(2000, "S-1-5-18"));

    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL dacl = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, GetSecurityInfo(pipe.Handle(), SE_KERNEL_OBJECT,
                                             DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                             nullptr, &descriptor));
    ASSERT_NE(nullptr, dacl);
    ASSERT_EQ(1, dacl->AceCount);
    void* ace = nullptr;
    ASSERT_TRUE(GetAce(dacl, 0, &ace));
    char* who = nullptr;
    ASSERT_TRUE(ConvertSidToStringSidA(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart, &who));
    EXPECT_EQ(vmouse::ProcessUserSid(GetCurrentProcess()), who);
    LocalFree(who);
    LocalFree(descriptor);
}

std::string FileText(const std::string& path) {
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

// `Monitor.exe /devices` as a user runs it from a script: the report reaches
// the pipe it was given, the same text is saved, and beside a running
// Monitor it asks that Monitor, not the mouse.
TEST(DeviceReport, ReachesItsPipeAndAFileAndAsksARunningMonitor) {
    ProgramFolder folder;
    VirtualMouse mouse{folder};
    ASSERT_TRUE(mouse.Start());
    const RunResult alone = e2e::Run(folder.File("Monitor.exe"), "/devices");
    EXPECT_EQ(0, alone.exitCode);
    EXPECT_NE(std::string::npos, alone.output.find("HID interfaces: ")) << alone.output;
    EXPECT_NE(std::string::npos,
              alone.output.find("Virtual mouse (KESTRA_VIRTUAL_MOUSE=1): running, plugged in"))
        << alone.output;
    EXPECT_NE(std::string::npos, alone.output.find("\r\nFirmware: 2.3 (expected 2.3)\r\n"))
        << alone.output;
    const size_t saved = alone.output.rfind("Saved to: ");
    ASSERT_NE(std::string::npos, saved) << alone.output;
    const std::string path = alone.output.substr(saved + 10, alone.output.size() - saved - 12);
    EXPECT_EQ(alone.output.substr(0, saved), FileText(path)) << path;
    DeleteFileA(path.c_str());

    MonitorProgram monitor{folder};
    ASSERT_TRUE(monitor.Start());
    const unsigned long answering = PackDeviceState(kMouseAnswering, true, 2, 3);
    ASSERT_TRUE(WaitUntil([&] { return QueryDeviceState(monitor.window()) == answering; }, kSettle))
        << Observed(folder, mouse);
    ASSERT_TRUE(mouse.ClearLog());
    const RunResult beside = e2e::Run(folder.File("Monitor.exe"), " /DEVICES ");
    EXPECT_EQ(0, beside.exitCode);
    EXPECT_NE(
        std::string::npos,
        beside.output.find(
            "Monitor: running; the mouse as it sees it: answering, firmware 2.3 (expected 2.3)"))
        << beside.output;
    EXPECT_TRUE(mouse.Log().empty());
    EXPECT_TRUE(monitor.process().running());
    const size_t besideSaved = beside.output.rfind("Saved to: ");
    if (besideSaved != std::string::npos) {
        DeleteFileA(beside.output.substr(besideSaved + 10, beside.output.size() - besideSaved - 12)
                        .c_str());
    }
}

}  // namespace
}  // namespace e2e
}  // namespace kestra
