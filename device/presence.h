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
    // The one-shot pause between an arrival and talking to the mouse; its
    // expiry calls DevicePresence::OnArrivalSettled.
    virtual void StartArrivalTimer() = 0;
    virtual void KillArrivalTimer() = 0;
    virtual void OpenFeatureDevice() = 0;
    virtual void OpenReportDevice() = 0;
    virtual void CloseFeatureDevice() = 0;
    virtual void CloseReportDevice() = 0;
    virtual void MarkAllChanged() = 0;
    // `connection` tells the device thread which arrival the check is for.
    virtual void PostFirmwareCheck(int connection) = 0;
    virtual void AddTrayIcon() = 0;
    virtual void RemoveTrayIcon() = 0;
    virtual void StartProgramWatch() = 0;
    virtual void StopProgramWatch() = 0;
    virtual void WriteDeviceKey(int value) = 0;
    // Posts WM_CLOSE to Option's main window when it exists.
    virtual void CloseOptionWindow() = 0;
    // What is known of the mouse (DeviceFlags::answer) changed: the tray
    // and Option are told, on the window thread.
    virtual void DeviceStateChanged() = 0;
};

class DevicePresence {
public:
    DevicePresence(PresenceEffects& effects, DeviceFlags& flags);

    // UM_DEVICE_PRESENCE: 1 arrival, 0 removal, anything else is ignored.
    void OnPresenceMessage(uintptr_t wParam);
    // An arrival only starts the pause; a removal within it cancels the
    // arrival, so that a connection that bounces (a worn cable, a hub, a
    // switch) is taken up once, after its last arrival, and never while it
    // is still coming and going.
    void OnArrival();
    // The pause after an arrival is over: the mouse is taken up.
    void OnArrivalSettled();
    void OnRemoval();
    bool arrivalPending() const { return arrivalPending_; }

private:
    PresenceEffects& effects_;
    DeviceFlags& flags_;
    bool arrivalPending_ = false;
};

struct FirmwareVersion {
    int major = 2;  // NewHFWVersion
    int minor = 3;  // NewLFWVersion
};

// The device thread's side of the firmware check. It shows no window: a
// thread that shows one cannot be waited for safely, and shut-down waits for
// the device thread.
class FirmwareEffects {
public:
    virtual ~FirmwareEffects() = default;
    virtual void DebugLine(const char* line) = 0;
    // The mouse has another firmware: tells the window thread, which asks
    // the user (AskToUpdateFirmware).
    virtual void ReportWrongFirmware() = 0;
};

enum class FirmwareAnswer {
    kUpdate,  // OK
    kCancel,
    // Monitor's window went away while the question was up (Exit, WM_CLOSE,
    // logoff): Monitor is ending already and nothing is to be done.
    kClosed,
};

// The window thread's side: the question and what follows it.
class FirmwarePrompt {
public:
    virtual ~FirmwarePrompt() = default;
    // Modal OK/Cancel question owned by Monitor's window, on its thread.
    virtual FirmwareAnswer AskOkCancel(const char* text, const char* caption) = 0;
    // Opens a file with the shell verb "open", shown normally.
    virtual void ShellOpen(const char* path) = 0;
    // Closes Monitor's main window, which ends the program.
    virtual void CloseMonitor() = 0;
};

extern const char kFirmwareUpdateText[];
extern const char kFirmwareUpdateCaption[];

// What Monitor tells of the mouse (UM_DEVICE_STATE, UM_QUERY_DEVICE_STATE):
// an absent mouse is absent whatever its last check said.
unsigned long DeviceStateWord(const DeviceFlags& flags);

enum class FirmwareCheck {
    kMatches,
    // The mouse did not answer (it went away in the middle, or it is found
    // but silent): no verdict, nothing asked; the next arrival and the next
    // Apply check again.
    kNoAnswer,
    // Another version: reported to the window thread, which asks the user
    // to update and closes Monitor.
    kMismatch,
};

// How often an unanswered version request is repeated, and the pause between.
constexpr int kFirmwareAttempts = 3;
constexpr int kFirmwareRetryMs = 100;

// Asks the mouse for its firmware version (tried again when unanswered,
// unless aborted); false when it never answered. Writes no debug lines.
bool ReadFirmwareVersion(ReportLink& link, Waiter& waiter, FirmwareVersion* seen);

// Asks the mouse for its firmware version. Another version is reported
// (FirmwareEffects::ReportWrongFirmware) and asked about by the window
// thread. A read that fails is no version at all: it is tried again, unless
// aborted, and then reported as no answer, which the caller shows. `seen`
// (may be null) gets the version that came.
FirmwareCheck CheckFirmware(ReportLink& link, Waiter& waiter, FirmwareEffects& effects,
                            const FirmwareVersion& expected, FirmwareVersion* seen = nullptr);

// The question about a wrong firmware: OK starts the updater, and Monitor
// closes on either answer; nothing when its window went away meanwhile.
void AskToUpdateFirmware(FirmwarePrompt& prompt, const char* programFolder);

}  // namespace kestra
