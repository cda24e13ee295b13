// The Win32 side of key and button injection, the keyboard layout and the
// macro clock.
#pragma once

#include <windows.h>

#include "monitor/dispatch.h"
#include "monitor/macro_player.h"
#include "keys/key_names_win.h"

namespace kestra {

// keybd_event / mouse_event, as the receiving programs expect them.
class SystemInputInjector : public InputInjector, public KeyInjector {
public:
    // InputInjector (macro playback): the scan code comes with the step.
    void Key(uint32_t virtualKey, uint32_t scanCode, bool up) override;
    void MouseButton(uint8_t mouseKey, bool down) override;
    void Debug(const std::string& line) override;
    // KeyInjector (key combinations): the scan code is looked up here.
    void Key(uint32_t virtualKey, bool up) override;
    void PauseMs(int milliseconds) override;
};

// Raises the system timer resolution to 1 ms for as long as it lives: only
// while a macro plays, since a raised resolution costs power system-wide.
class ScopedTimerResolution {
public:
    ScopedTimerResolution();
    ~ScopedTimerResolution();
    ScopedTimerResolution(const ScopedTimerResolution&) = delete;
    ScopedTimerResolution& operator=(const ScopedTimerResolution&) = delete;

private:
    bool raised_;
};

// A monotonic millisecond clock that sleeps close to a deadline and yields for
// the last stretch, so that waits end on time instead of a tick later. Its
// interruptible waits sleep on an event that Interrupt sets.
class PrecisionClock : public MacroClock {
public:
    PrecisionClock();
    ~PrecisionClock() override;
    PrecisionClock(const PrecisionClock&) = delete;
    PrecisionClock& operator=(const PrecisionClock&) = delete;
    int64_t NowMs() override;
    void WaitUntilMs(int64_t deadline) override;
    void WaitUntilMsOrInterrupt(int64_t deadline) override;
    void Interrupt() override;
    void Rearm() override;

private:
    // Waits for `ms` or until `interrupt`, when there is one; true when
    // interrupted.
    static bool SleepOrInterrupt(DWORD ms, HANDLE interrupt);
    void Wait(int64_t deadline, HANDLE interrupt);

    double ticksPerMs_;
    HANDLE interrupt_;  // manual reset: set from Interrupt until Rearm
};

}  // namespace kestra
