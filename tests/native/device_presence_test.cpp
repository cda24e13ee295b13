#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/presence.h"
#include "tests/native/device_fakes.h"

namespace kestra {
namespace {

using kestra_test::RecordingLink;
using kestra_test::VirtualClock;
using kestra_test::VirtualWaiter;

class RecordingPresenceEffects : public PresenceEffects {
public:
    void StartArrivalTimer() override { steps.push_back("start settle"); }
    void KillArrivalTimer() override { steps.push_back("kill settle"); }
    void OpenFeatureDevice() override { steps.push_back("open feature"); }
    void OpenReportDevice() override { steps.push_back("open report"); }
    void CloseFeatureDevice() override { steps.push_back("close feature"); }
    void CloseReportDevice() override { steps.push_back("close report"); }
    void MarkAllChanged() override { steps.push_back("mark all"); }
    void PostFirmwareCheck(int connection) override {
        steps.push_back("post firmware check " + std::to_string(connection));
    }
    void AddTrayIcon() override { steps.push_back("add tray"); }
    void RemoveTrayIcon() override { steps.push_back("remove tray"); }
    void StartProgramWatch() override { steps.push_back("start watch"); }
    void StopProgramWatch() override { steps.push_back("kill watch"); }
    void WriteDeviceKey(int value) override { steps.push_back("Device=" + std::to_string(value)); }
    void CloseOptionWindow() override { steps.push_back("close option"); }
    void DeviceStateChanged() override { steps.push_back("state changed"); }

    std::vector<std::string> steps;
};

std::vector<std::string> Settled(int connection) {
    return {"kill settle",
            "open feature",
            "open report",
            "mark all",
            "post firmware check " + std::to_string(connection),
            "add tray",
            "state changed",
            "Device=1",
            "start watch"};
}
const std::vector<std::string> kRemoval = {
    "close feature", "close report", "remove tray", "kill watch", "Device=0", "close option",
};

struct PresenceFixture {
    RecordingPresenceEffects effects;
    DeviceFlags flags;
    DevicePresence presence{effects, flags};

    // The steps since the last call.
    std::vector<std::string> Steps() {
        std::vector<std::string> s;
        s.swap(effects.steps);
        return s;
    }
};

TEST(DevicePresence, ArrivalSettlesAfterItsPauseAndRemovalActsAtOnceOnlyOnChange) {
    PresenceFixture f;
    f.presence.OnPresenceMessage(kPresenceArrival);
    EXPECT_EQ((std::vector<std::string>{"start settle"}), f.Steps());
    EXPECT_NE(kDevicePresent, f.flags.connected);
    // The second of two arrivals in a row neither restarts the pause nor
    // opens anything twice.
    f.presence.OnPresenceMessage(kPresenceArrival);
    EXPECT_TRUE(f.Steps().empty());
    f.presence.OnArrivalSettled();
    EXPECT_EQ(Settled(1), f.Steps());
    EXPECT_EQ(kDevicePresent, f.flags.connected);
    f.presence.OnPresenceMessage(kPresenceArrival);
    f.presence.OnArrivalSettled();  // a late expiry
    EXPECT_EQ((std::vector<std::string>{"kill settle"}), f.Steps());

    f.presence.OnPresenceMessage(kPresenceRemoval);
    EXPECT_EQ(kRemoval, f.Steps());
    EXPECT_EQ(kDeviceRemoved, f.flags.connected);
    EXPECT_EQ(0, f.flags.abort);  // nothing was running
    f.presence.OnPresenceMessage(kPresenceRemoval);
    f.presence.OnPresenceMessage(2);
    f.presence.OnPresenceMessage(static_cast<uintptr_t>(-1));
    EXPECT_TRUE(f.Steps().empty());
    EXPECT_EQ(kDeviceRemoved, f.flags.connected);

    // Each settled arrival is a connection of its own.
    f.presence.OnPresenceMessage(kPresenceArrival);
    f.presence.OnArrivalSettled();
    std::vector<std::string> expected = {"start settle"};
    for (const std::string& step : Settled(2)) expected.push_back(step);
    EXPECT_EQ(expected, f.Steps());
}

TEST(DevicePresence, ABouncingConnectionIsTakenUpOnceAfterItsLastArrival) {
    PresenceFixture f;
    f.flags.connected = kDevicePresent;
    f.flags.connection = 1;
    f.presence.OnPresenceMessage(kPresenceRemoval);
    EXPECT_EQ(kRemoval, f.Steps());
    // Eighteen bounces: each arrival's pause is cut short by the removal
    // behind it, which has nothing left to close.
    for (int i = 0; i < 18; ++i) {
        f.presence.OnPresenceMessage(kPresenceArrival);
        f.presence.OnPresenceMessage(kPresenceRemoval);
        EXPECT_EQ((std::vector<std::string>{"start settle", "kill settle"}), f.Steps());
    }
    f.presence.OnArrivalSettled();  // an expiry already queued at the removal
    EXPECT_EQ((std::vector<std::string>{"kill settle"}), f.Steps());
    EXPECT_EQ(kDeviceRemoved, f.flags.connected);

    f.presence.OnPresenceMessage(kPresenceArrival);
    f.presence.OnArrivalSettled();
    std::vector<std::string> expected = {"start settle"};
    for (const std::string& step : Settled(2)) expected.push_back(step);
    EXPECT_EQ(expected, f.Steps());
    EXPECT_EQ(kDevicePresent, f.flags.connected);
}

TEST(DevicePresence, RemovalAbortsABusyDeviceThreadAndWorksFromStartUp) {
    PresenceFixture f;
    f.flags.busy = 1;
    // A mouse that was never seen can still be reported gone.
    f.presence.OnPresenceMessage(kPresenceRemoval);
    EXPECT_EQ(kRemoval, f.Steps());
    EXPECT_EQ(1, f.flags.abort);

    // Start-up found the mouse: a first arrival message changes nothing.
    f.flags.connected = kDevicePresent;
    f.presence.OnPresenceMessage(kPresenceArrival);
    EXPECT_TRUE(f.Steps().empty());
}

// The checking thread's effects and the window thread's question, in one
// list of steps.
class RecordingFirmwareEffects : public FirmwareEffects, public FirmwarePrompt {
public:
    void DebugLine(const char* line) override { debug += line; }
    void ReportWrongFirmware() override { steps.push_back("report wrong firmware"); }
    FirmwareAnswer AskOkCancel(const char* text, const char* caption) override {
        steps.push_back(std::string("ask ") + caption + ": " + text);
        return answer;
    }
    void ShellOpen(const char* path) override { steps.push_back(std::string("open ") + path); }
    void CloseMonitor() override { steps.push_back("close monitor"); }

    FirmwareAnswer answer = FirmwareAnswer::kCancel;
    std::string debug;
    std::vector<std::string> steps;
};

struct FirmwareFixture {
    VirtualClock clock;
    DeviceFlags flags;
    RecordingLink link{clock};
    VirtualWaiter waiter{clock, flags};
    RecordingFirmwareEffects effects;

    FirmwareCheck Check(uint8_t major, uint8_t minor) {
        link.answer = {0x80, major, minor, 0, 0, 0, 0, 0};
        return CheckFirmware(link, waiter, effects, FirmwareVersion{});
    }
};

const char kAsk[] =
    "ask Update F / W: Please update F / W, otherwise the driver will not work properly.Do not "
    "remove the mouse or turn off the computer during the upgrade process.";

TEST(FirmwareCheck, ExpectedVersionKeepsMonitorRunning) {
    FirmwareFixture f;
    EXPECT_EQ(FirmwareCheck::kMatches, f.Check(2, 3));
    const std::vector<std::string> expected = {
        "t=0 set 80 00 00 00 00 00 00 7F",
        "t=10 get 80 00 00 00 00 00 00 7F",
    };
    EXPECT_EQ(expected, f.link.Trace());
    EXPECT_EQ("buffer[1] = 2\nbuffer[2] = 3\nNewHFWVersion = 2\nNewLFWVersion = 3\n",
              f.effects.debug);
    EXPECT_TRUE(f.effects.steps.empty());
}

TEST(FirmwareCheck, OtherVersionsAreReportedNotAsked) {
    // The checking thread shows no window: the question is the window
    // thread's.
    for (const uint8_t minor : {2, 4}) {
        FirmwareFixture f;
        EXPECT_EQ(FirmwareCheck::kMismatch, f.Check(2, minor));
        EXPECT_EQ(std::vector<std::string>{"report wrong firmware"}, f.effects.steps);
        EXPECT_EQ("buffer[1] = 2\nbuffer[2] = " + std::to_string(minor) +
                      "\nNewHFWVersion = 2\nNewLFWVersion = 3\n",
                  f.effects.debug);
    }
}

TEST(FirmwareCheck, TheQuestionStartsTheUpdaterOnOkAndEitherAnswerClosesMonitor) {
    RecordingFirmwareEffects cancel;
    AskToUpdateFirmware(cancel, "C:\\Mouse\\");
    EXPECT_EQ((std::vector<std::string>{kAsk, "close monitor"}), cancel.steps);

    RecordingFirmwareEffects ok;
    ok.answer = FirmwareAnswer::kUpdate;
    AskToUpdateFirmware(ok, "C:\\Mouse\\");
    EXPECT_EQ(
        (std::vector<std::string>{kAsk, "open C:\\Mouse\\\\Flasher\\Flasher.exe", "close monitor"}),
        ok.steps);

    // Monitor ended while it asked: nothing is started, nothing closed again.
    RecordingFirmwareEffects closed;
    closed.answer = FirmwareAnswer::kClosed;
    AskToUpdateFirmware(closed, "C:\\Mouse\\");
    EXPECT_EQ(std::vector<std::string>{kAsk}, closed.steps);
}

TEST(FirmwareCheck, AnUnansweredRequestIsRepeatedAndNeverTakenForAVersion) {
    // A mouse that went away in the middle of its check: three tries, 100 ms
    // apart, then nothing asked and Monitor left running.
    FirmwareFixture silent;
    silent.link.getResult = 0;
    EXPECT_EQ(FirmwareCheck::kNoAnswer, silent.Check(0, 0));
    EXPECT_EQ((std::vector<std::string>{
                  "t=0 set 80 00 00 00 00 00 00 7F", "t=10 get 80 00 00 00 00 00 00 7F",
                  "t=110 set 80 00 00 00 00 00 00 7F", "t=120 get 80 00 00 00 00 00 00 7F",
                  "t=220 set 80 00 00 00 00 00 00 7F", "t=230 get 80 00 00 00 00 00 00 7F"}),
              silent.link.Trace());
    EXPECT_TRUE(silent.effects.steps.empty());
    EXPECT_EQ("Firmware check: no answer\n", silent.effects.debug);

    // A removal stops the tries at once.
    FirmwareFixture removed;
    removed.link.getResult = 0;
    removed.flags.abort = 1;
    EXPECT_EQ(FirmwareCheck::kNoAnswer, removed.Check(0, 0));
    EXPECT_EQ(2u, removed.link.Trace().size());
    EXPECT_TRUE(removed.effects.steps.empty());

    // A second try that is answered counts.
    FirmwareFixture late;
    late.link.getResult = 0;
    late.link.afterReport = [&] {
        if (late.link.reports.size() == 3) late.link.getResult = 1;
    };
    EXPECT_EQ(FirmwareCheck::kMatches, late.Check(2, 3));
    EXPECT_EQ(4u, late.link.Trace().size());
}

}  // namespace
}  // namespace kestra
