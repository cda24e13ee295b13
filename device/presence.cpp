#include "device/presence.h"

#include <cstdio>
#include <string>

#include "device/device_commands.h"

namespace kestra {

const char kFirmwareUpdateText[] =
    "Please update F / W, otherwise the driver will not work properly.Do not remove the mouse "
    "or turn off the computer during the upgrade process.";
const char kFirmwareUpdateCaption[] = "Update F / W";

DevicePresence::DevicePresence(PresenceEffects& effects, DeviceFlags& flags)
    : effects_(effects), flags_(flags) {}

void DevicePresence::OnPresenceMessage(uintptr_t wParam) {
    if (wParam == kPresenceArrival) {
        OnArrival();
    } else if (wParam == kPresenceRemoval) {
        OnRemoval();
    }
}

void DevicePresence::OnArrival() {
    if (flags_.connected == kDevicePresent) return;
    // Give the mouse time to finish its own start before talking to it.
    effects_.Sleep(1000);
    flags_.connected = kDevicePresent;
    effects_.OpenFeatureDevice();
    effects_.OpenReportDevice();
    effects_.MarkAllChanged();
    effects_.PostFirmwareCheck();
    effects_.AddTrayIcon();
    effects_.WriteDeviceKey(1);
    effects_.StartAppWatchTimer();
}

void DevicePresence::OnRemoval() {
    if (flags_.connected == kDeviceRemoved) return;
    flags_.connected = kDeviceRemoved;
    effects_.CloseFeatureDevice();
    effects_.CloseReportDevice();
    if (flags_.busy) flags_.abort = 1;
    effects_.RemoveTrayIcon();
    effects_.KillAppWatchTimer();
    effects_.WriteDeviceKey(0);
    effects_.CloseOptionWindow();
}

int CheckFirmware(ReportLink& link, Waiter& waiter, FirmwareEffects& effects,
                  const FirmwareVersion& expected, const char* programFolder) {
    const FeatureReport request = MakeFeatureReport(kCmdFirmwareVersion);
    link.SetFeature(request.data(), kFeatureReportSize);
    waiter.Sleep(10);
    FeatureReport answer = request;
    const int result = link.GetFeature(answer.data(), kFeatureReportSize);

    char line[64];
    snprintf(line, sizeof line, "buffer[1] = %d\n", answer[1]);
    effects.DebugLine(line);
    snprintf(line, sizeof line, "buffer[2] = %d\n", answer[2]);
    effects.DebugLine(line);
    snprintf(line, sizeof line, "NewHFWVersion = %d\n", expected.major);
    effects.DebugLine(line);
    snprintf(line, sizeof line, "NewLFWVersion = %d\n", expected.minor);
    effects.DebugLine(line);

    if (answer[1] == expected.major && answer[2] == expected.minor) return result;

    if (effects.AskOkCancel(kFirmwareUpdateText, kFirmwareUpdateCaption)) {
        std::string path = programFolder ? programFolder : "";
        // The folder already ends in a backslash; the doubled separator is
        // harmless to the shell and keeps a folder given without one working.
        path += "\\Flasher\\Flasher.exe";
        effects.ShellOpen(path.c_str());
    }
    effects.CloseMonitor();
    return 0;
}

}  // namespace kestra
