#include "monitor/input_win.h"

#include <mmsystem.h>

namespace kestra {

void SystemInputInjector::Key(uint32_t virtualKey, uint32_t scanCode, bool up) {
    keybd_event(static_cast<BYTE>(virtualKey), static_cast<BYTE>(scanCode), up ? KEYEVENTF_KEYUP : 0,
                0);
}

void SystemInputInjector::Key(uint32_t virtualKey, bool up) {
    Key(virtualKey, MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC), up);
}

void SystemInputInjector::MouseButton(uint8_t mouseKey, bool down) {
    DWORD flags = 0, data = 0;
    switch (mouseKey) {
    case 240: flags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP; break;
    case 241: flags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP; break;
    case 242: flags = down ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP; break;
    case 243: flags = down ? MOUSEEVENTF_XDOWN : MOUSEEVENTF_XUP; data = XBUTTON2; break;
    case 244: flags = down ? MOUSEEVENTF_XDOWN : MOUSEEVENTF_XUP; data = XBUTTON1; break;
    default: return;
    }
    mouse_event(flags, 0, 0, data, GetMessageExtraInfo());
}

void SystemInputInjector::Debug(const std::string& line) { OutputDebugStringA(line.c_str()); }

void SystemInputInjector::PauseMs(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

ScopedTimerResolution::ScopedTimerResolution() : raised_(timeBeginPeriod(1) == TIMERR_NOERROR) {}

ScopedTimerResolution::~ScopedTimerResolution() {
    if (raised_) timeEndPeriod(1);
}

PrecisionClock::PrecisionClock() : interrupt_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    ticksPerMs_ = static_cast<double>(frequency.QuadPart) / 1000.0;
}

PrecisionClock::~PrecisionClock() {
    if (interrupt_) CloseHandle(interrupt_);
}

int64_t PrecisionClock::NowMs() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<int64_t>(static_cast<double>(counter.QuadPart) / ticksPerMs_);
}

bool PrecisionClock::SleepOrInterrupt(DWORD ms, HANDLE interrupt) {
    if (interrupt && WaitForSingleObject(interrupt, ms) == WAIT_OBJECT_0) return true;
    // A wait of 0 returns at once; the sleep yields the processor. Without an
    // event (none could be made) the wait is a plain sleep.
    if (!interrupt || ms == 0) Sleep(ms);
    return false;
}

void PrecisionClock::Wait(int64_t deadline, HANDLE interrupt) {
    for (;;) {
        const int64_t left = deadline - NowMs();
        if (left <= 0) return;
        // Sleep while a whole tick of the raised resolution fits, then yield.
        if (SleepOrInterrupt(left > 2 ? static_cast<DWORD>(left - 2) : 0, interrupt)) return;
    }
}

void PrecisionClock::WaitUntilMs(int64_t deadline) {
    Wait(deadline, nullptr);
}

void PrecisionClock::WaitUntilMsOrInterrupt(int64_t deadline) {
    Wait(deadline, interrupt_);
}

void PrecisionClock::Interrupt() {
    if (interrupt_) SetEvent(interrupt_);
}

void PrecisionClock::Rearm() {
    if (interrupt_) ResetEvent(interrupt_);
}

}  // namespace kestra
