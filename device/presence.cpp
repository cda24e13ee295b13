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
    if (flags_.connected == kDevicePresent || arrivalPending_) return;
    // Give the mouse time to finish its own start before talking to it; the
    // window thread goes on meanwhile, so a removal is seen at once.
    arrivalPending_ = true;
    effects_.StartArrivalTimer();
}

void DevicePresence::OnArrivalSettled() {
    effects_.KillArrivalTimer();
    if (!arrivalPending_) return;  // a late expiry after a removal
    arrivalPending_ = false;
    if (flags_.connected == kDevicePresent) return;
    flags_.connected = kDevicePresent;
    const int connection = ++flags_.connection;
    effects_.OpenFeatureDevice();
    effects_.OpenReportDevice();
    effects_.MarkAllChanged();
    effects_.PostFirmwareCheck(connection);
    effects_.AddTrayIcon();
    effects_.WriteDeviceKey(1);
    effects_.StartProgramWatch();
}

void DevicePresence::OnRemoval() {
    if (arrivalPending_) {
        arrivalPending_ = false;
        effects_.KillArrivalTimer();
    }
    if (flags_.connected == kDeviceRemoved) return;
    flags_.connected = kDeviceRemoved;
    effects_.CloseFeatureDevice();
    effects_.CloseReportDevice();
    if (flags_.busy) flags_.abort = 1;
    effects_.RemoveTrayIcon();
    effects_.StopProgramWatch();
    effects_.WriteDeviceKey(0);
    effects_.CloseOptionWindow();
}

FirmwareCheck CheckFirmware(ReportLink& link, Waiter& waiter, FirmwareEffects& effects,
                            const FirmwareVersion& expected, const char* programFolder) {
    const FeatureReport request = MakeFeatureReport(kCmdFirmwareVersion);
    FeatureReport answer = request;
    for (int attempt = 1;; ++attempt) {
        link.SetFeature(request.data(), kFeatureReportSize);
        waiter.Sleep(10);
        answer = request;
        if (link.GetFeature(answer.data(), kFeatureReportSize)) break;
        // Unanswered, the request bytes would pass for version 0.0 and end
        // Monitor over a mouse that merely went away in the middle.
        if (attempt == kFirmwareAttempts || !PauseUnlessAborted(waiter, kFirmwareRetryMs)) {
            effects.DebugLine("Firmware check: no answer\n");
            return FirmwareCheck::kNoAnswer;
        }
    }

    char line[64];
    snprintf(line, sizeof line, "buffer[1] = %d\n", answer[1]);
    effects.DebugLine(line);
    snprintf(line, sizeof line, "buffer[2] = %d\n", answer[2]);
    effects.DebugLine(line);
    snprintf(line, sizeof line, "NewHFWVersion = %d\n", expected.major);
    effects.DebugLine(line);
    snprintf(line, sizeof line, "NewLFWVersion = %d\n", expected.minor);
    effects.DebugLine(line);

    if (answer[1] == expected.major && answer[2] == expected.minor) return FirmwareCheck::kMatches;

    if (effects.AskOkCancel(kFirmwareUpdateText, kFirmwareUpdateCaption)) {
        std::string path = programFolder ? programFolder : "";
        // The folder already ends in a backslash; the doubled separator is
        // harmless to the shell and keeps a folder given without one working.
        path += "\\Flasher\\Flasher.exe";
        effects.ShellOpen(path.c_str());
    }
    effects.CloseMonitor();
    return FirmwareCheck::kMismatch;
}

}  // namespace kestra
