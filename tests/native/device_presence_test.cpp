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
    void Sleep(int ms) override { steps.push_back("sleep " + std::to_string(ms)); }
    void OpenFeatureDevice() override { steps.push_back("open feature"); }
    void OpenReportDevice() override { steps.push_back("open report"); }
    void CloseFeatureDevice() override { steps.push_back("close feature"); }
    void CloseReportDevice() override { steps.push_back("close report"); }
    void MarkAllChanged() override { steps.push_back("mark all"); }
    void PostFirmwareCheck() override { steps.push_back("post firmware check"); }
    void AddTrayIcon() override { steps.push_back("add tray"); }
    void RemoveTrayIcon() override { steps.push_back("remove tray"); }
    void StartAppWatchTimer() override { steps.push_back("start watch"); }
    void KillAppWatchTimer() override { steps.push_back("kill watch"); }
    void WriteDeviceKey(int value) override { steps.push_back("Device=" + std::to_string(value)); }
    void CloseOptionWindow() override { steps.push_back("close option"); }

    std::vector<std::string> steps;
};

const std::vector<std::string> kArrival = {
    "sleep 1000",          "open feature", "open report", "mark all",
    "post firmware check", "add tray",     "Device=1",    "start watch",
};
const std::vector<std::string> kRemoval = {
    "close feature", "close report", "remove tray", "kill watch", "Device=0", "close option",
};

TEST(DevicePresence, ArrivalAndRemovalStepsInOrderAndOnlyOnChange) {
    RecordingPresenceEffects effects;
    DeviceFlags flags;
    DevicePresence presence(effects, flags);

    presence.OnPresenceMessage(kPresenceArrival);
    EXPECT_EQ(kArrival, effects.steps);
    EXPECT_EQ(kDevicePresent, flags.connected);

    effects.steps.clear();
    presence.OnPresenceMessage(kPresenceArrival);
    EXPECT_TRUE(effects.steps.empty());

    presence.OnPresenceMessage(kPresenceRemoval);
    EXPECT_EQ(kRemoval, effects.steps);
    EXPECT_EQ(kDeviceRemoved, flags.connected);
    EXPECT_EQ(0, flags.abort);  // nothing was running

    effects.steps.clear();
    presence.OnPresenceMessage(kPresenceRemoval);
    presence.OnPresenceMessage(2);
    presence.OnPresenceMessage(static_cast<uintptr_t>(-1));
    EXPECT_TRUE(effects.steps.empty());
    EXPECT_EQ(kDeviceRemoved, flags.connected);

    presence.OnPresenceMessage(kPresenceArrival);
    EXPECT_EQ(kArrival, effects.steps);
}

TEST(DevicePresence, RemovalAbortsABusyDeviceThreadAndWorksFromStartUp) {
    RecordingPresenceEffects effects;
    DeviceFlags flags;
    DevicePresence presence(effects, flags);
    flags.busy = 1;
    // A mouse that was never seen can still be reported gone.
    presence.OnPresenceMessage(kPresenceRemoval);
    EXPECT_EQ(kRemoval, effects.steps);
    EXPECT_EQ(1, flags.abort);

    // Start-up found the mouse: a first arrival message changes nothing.
    effects.steps.clear();
    flags.connected = kDevicePresent;
    presence.OnPresenceMessage(kPresenceArrival);
    EXPECT_TRUE(effects.steps.empty());
}

class RecordingFirmwareEffects : public FirmwareEffects {
public:
    void DebugLine(const char* line) override { debug += line; }
    bool AskOkCancel(const char* text, const char* caption) override {
        steps.push_back(std::string("ask ") + caption + ": " + text);
        return answerOk;
    }
    void ShellOpen(const char* path) override { steps.push_back(std::string("open ") + path); }
    void CloseMonitor() override { steps.push_back("close monitor"); }

    bool answerOk = false;
    std::string debug;
    std::vector<std::string> steps;
};

struct FirmwareFixture {
    VirtualClock clock;
    DeviceFlags flags;
    RecordingLink link{clock};
    VirtualWaiter waiter{clock, flags};
    RecordingFirmwareEffects effects;

    int Check(uint8_t major, uint8_t minor) {
        link.answer = {0x80, major, minor, 0, 0, 0, 0, 0};
        return CheckFirmware(link, waiter, effects, FirmwareVersion{}, "C:\\Mouse\\");
    }
};

const char kAsk[] =
    "ask Update F / W: Please update F / W, otherwise the driver will not work properly.Do not "
    "remove the mouse or turn off the computer during the upgrade process.";

TEST(FirmwareCheck, ExpectedVersionKeepsMonitorRunning) {
    FirmwareFixture f;
    f.link.getResult = 9;
    EXPECT_EQ(9, f.Check(2, 3));
    const std::vector<std::string> expected = {
        "t=0 set 80 00 00 00 00 00 00 7F",
        "t=10 get 80 00 00 00 00 00 00 7F",
    };
    EXPECT_EQ(expected, f.link.Trace());
    EXPECT_EQ("buffer[1] = 2\nbuffer[2] = 3\nNewHFWVersion = 2\nNewLFWVersion = 3\n",
              f.effects.debug);
    EXPECT_TRUE(f.effects.steps.empty());
}

TEST(FirmwareCheck, OtherVersionsAskAndAlwaysCloseMonitor) {
    FirmwareFixture cancel;
    EXPECT_EQ(0, cancel.Check(2, 2));
    EXPECT_EQ((std::vector<std::string>{kAsk, "close monitor"}), cancel.effects.steps);
    EXPECT_EQ("buffer[1] = 2\nbuffer[2] = 2\nNewHFWVersion = 2\nNewLFWVersion = 3\n",
              cancel.effects.debug);

    FirmwareFixture ok;
    ok.effects.answerOk = true;
    EXPECT_EQ(0, ok.Check(3, 3));
    EXPECT_EQ(
        (std::vector<std::string>{kAsk, "open C:\\Mouse\\\\Flasher\\Flasher.exe", "close monitor"}),
        ok.effects.steps);

    // A read that returns nothing leaves the request bytes: not the expected version.
    FirmwareFixture silent;
    silent.link.answer.clear();
    silent.link.getResult = 0;
    EXPECT_EQ(0, CheckFirmware(silent.link, silent.waiter, silent.effects, FirmwareVersion{},
                               "C:\\Mouse\\"));
    EXPECT_EQ((std::vector<std::string>{kAsk, "close monitor"}), silent.effects.steps);
}

}  // namespace
}  // namespace kestra
