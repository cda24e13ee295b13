#include "device/presence.h"

#include <cstdio>
#include <string>

#include "device/device_commands.h"
#include "settings/ipc_names.h"

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
    flags_.answer = kMouseNotChecked;
    flags_.firmware = -1;
    effects_.OpenFeatureDevice();
    effects_.OpenReportDevice();
    effects_.MarkAllChanged();
    effects_.PostFirmwareCheck(connection);
    effects_.AddTrayIcon();
    effects_.DeviceStateChanged();
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
    flags_.answer = kMouseAbsent;
    effects_.CloseFeatureDevice();
    effects_.CloseReportDevice();
    if (flags_.busy) flags_.abort = 1;
    effects_.RemoveTrayIcon();
    effects_.StopProgramWatch();
    effects_.WriteDeviceKey(0);
    effects_.CloseOptionWindow();
}

unsigned long DeviceStateWord(const DeviceFlags& flags) {
    if (flags.connected != kDevicePresent) return PackDeviceState(kMouseAbsent, false, 0, 0);
    const int answer = flags.answer;
    const int firmware = flags.firmware;
    const unsigned shown = answer == kMouseAnswering || answer == kMouseNotAnswering
                               ? static_cast<unsigned>(answer)
                               : kMouseNotChecked;
    if (firmware < 0) return PackDeviceState(shown, false, 0, 0);
    return PackDeviceState(shown, true, static_cast<unsigned>(firmware >> 8) & 0xFF,
                           static_cast<unsigned>(firmware) & 0xFF);
}

bool ReadFirmwareVersion(ReportLink& link, Waiter& waiter, FirmwareVersion* seen) {
    const FeatureReport request = MakeFeatureReport(kCmdFirmwareVersion);
    for (int attempt = 1;; ++attempt) {
        link.SetFeature(request.data(), kFeatureReportSize);
        waiter.Sleep(10);
        FeatureReport answer = request;
        if (link.GetFeature(answer.data(), kFeatureReportSize)) {
            seen->major = answer[1];
            seen->minor = answer[2];
            return true;
        }
        // Unanswered, the request bytes would pass for version 0.0 and end
        // Monitor over a mouse that merely went away in the middle.
        if (attempt == kFirmwareAttempts || !PauseUnlessAborted(waiter, kFirmwareRetryMs)) {
            return false;
        }
    }
}

FirmwareCheck CheckFirmware(ReportLink& link, Waiter& waiter, FirmwareEffects& effects,
                            const FirmwareVersion& expected, FirmwareVersion* seen) {
    FirmwareVersion version;
    if (!ReadFirmwareVersion(link, waiter, &version)) {
        effects.DebugLine("Firmware check: no answer\n");
        return FirmwareCheck::kNoAnswer;
    }
    if (seen) *seen = version;

    char line[64];
    snprintf(line, sizeof line, "buffer[1] = %d\n", version.major);
    effects.DebugLine(line);
    snprintf(line, sizeof line, "buffer[2] = %d\n", version.minor);
    effects.DebugLine(line);
    snprintf(line, sizeof line, "NewHFWVersion = %d\n", expected.major);
    effects.DebugLine(line);
    snprintf(line, sizeof line, "NewLFWVersion = %d\n", expected.minor);
    effects.DebugLine(line);

    if (version.major == expected.major && version.minor == expected.minor) {
        return FirmwareCheck::kMatches;
    }

    effects.ReportWrongFirmware();
    return FirmwareCheck::kMismatch;
}

void AskToUpdateFirmware(FirmwarePrompt& prompt, const char* programFolder) {
    const FirmwareAnswer answer = prompt.AskOkCancel(kFirmwareUpdateText, kFirmwareUpdateCaption);
    if (answer == FirmwareAnswer::kClosed) return;
    if (answer == FirmwareAnswer::kUpdate) {
        std::string path = programFolder ? programFolder : "";
        // The folder already ends in a backslash; the doubled separator is
        // harmless to the shell and keeps a folder given without one working.
        path += "\\Flasher\\Flasher.exe";
        prompt.ShellOpen(path.c_str());
    }
    prompt.CloseMonitor();
}

}  // namespace kestra
