// Following the mouse's arrival and removal, and the firmware version check.
// The decisions live here; every effect on windows, timers, files and the
// library goes through an interface, so the order of steps is testable.
#pragma once

#include <cstdint>

#include "device/report_link.h"

namespace kestra {

enum PresenceState : int {
    kDeviceNeverConnected = 0,
    kDevicePresent = 1,
    kDeviceRemoved = 2,
};

constexpr uintptr_t kPresenceRemoval = 0;
constexpr uintptr_t kPresenceArrival = 1;

class PresenceEffects {
public:
    virtual ~PresenceEffects() = default;
    virtual void Sleep(int ms) = 0;
    virtual void OpenFeatureDevice() = 0;
    virtual void OpenReportDevice() = 0;
    virtual void CloseFeatureDevice() = 0;
    virtual void CloseReportDevice() = 0;
    virtual void MarkAllChanged() = 0;
    virtual void PostFirmwareCheck() = 0;
    virtual void AddTrayIcon() = 0;
    virtual void RemoveTrayIcon() = 0;
    virtual void StartAppWatchTimer() = 0;
    virtual void KillAppWatchTimer() = 0;
    virtual void WriteDeviceKey(int value) = 0;
    // Posts WM_CLOSE to Option's main window when it exists.
    virtual void CloseOptionWindow() = 0;
};

class DevicePresence {
public:
    DevicePresence(PresenceEffects& effects, DeviceFlags& flags);

    // UM_DEVICE_PRESENCE: 1 arrival, 0 removal, anything else is ignored.
    void OnPresenceMessage(uintptr_t wParam);
    void OnArrival();
    void OnRemoval();

private:
    PresenceEffects& effects_;
    DeviceFlags& flags_;
};

struct FirmwareVersion {
    int major = 2;  // NewHFWVersion
    int minor = 3;  // NewLFWVersion
};

class FirmwareEffects {
public:
    virtual ~FirmwareEffects() = default;
    virtual void DebugLine(const char* line) = 0;
    // Modal OK/Cancel question owned by Monitor's window; true for OK.
    virtual bool AskOkCancel(const char* text, const char* caption) = 0;
    // Opens a file with the shell verb "open", shown normally.
    virtual void ShellOpen(const char* path) = 0;
    // Closes Monitor's main window, which ends the program.
    virtual void CloseMonitor() = 0;
};

extern const char kFirmwareUpdateText[];
extern const char kFirmwareUpdateCaption[];

// Asks the mouse for its firmware version. A match returns the result of the
// read; any other answer asks to update, starts the updater on OK and closes
// Monitor either way, returning 0.
int CheckFirmware(ReportLink& link, Waiter& waiter, FirmwareEffects& effects,
                  const FirmwareVersion& expected, const char* programFolder);

}  // namespace kestra
