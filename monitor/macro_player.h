// Plays a recorded macro: key and mouse-button steps with their delays, a
// repeat count, the keyboard's auto-repeat for long holds, and a cancel that
// releases whatever the macro still holds down. Runs on Monitor's macro
// thread; injection and time go through interfaces.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "keys/key_names.h"
#include "settings/settings_record.h"

namespace kestra {

class InputInjector {
public:
    virtual ~InputInjector() = default;
    virtual void Key(uint32_t virtualKey, uint32_t scanCode, bool up) = 0;
    // mouseKey is a MouseKeyIndex 240..244.
    virtual void MouseButton(uint8_t mouseKey, bool down) = 0;
    virtual void Debug(const std::string& line) { (void)line; }
};

// Milliseconds on a monotonic clock. Waiting against absolute deadlines keeps
// recorded delays from adding up scheduling drift.
class MacroClock {
public:
    virtual ~MacroClock() = default;
    virtual int64_t NowMs() = 0;
    virtual void WaitUntilMs(int64_t deadline) = 0;
    // The same, but ended by Interrupt, from any thread, whether it comes
    // during the wait or came before it (since the last Rearm): a cancel
    // never waits out a step of up to 65 s.
    virtual void WaitUntilMsOrInterrupt(int64_t deadline) { WaitUntilMs(deadline); }
    virtual void Interrupt() {}
    virtual void Rearm() {}
};

class MacroPlayer {
public:
    MacroPlayer(InputInjector& injector, MacroClock& clock, const KeyboardLayout& layout);

    // Window thread, for a pressed macro button; one decision, taken whole.
    // While a macro is handed over or plays, the press only cancels it and
    // false is returned. Otherwise the button's macro is loaded, the player
    // counts as playing from this moment, and true tells the caller to hand
    // playback to the macro thread (or to Abandon it when it cannot).
    bool Start(const ButtonAssignment& button);
    // Window thread: the playback Start handed out never reached the macro
    // thread.
    void Abandon() { playing_.store(0); }

    // Macro thread: plays the loaded macro from its current step.
    void Play();

    // From Start's true until Play has ended (or Abandon).
    bool playing() const { return playing_.load() != 0; }
    // Stops playback at once, a step's wait included; what the macro holds
    // down is still released at its pace.
    void Cancel();
    int currentStep() const { return currentStep_; }

private:
    // A step's wait ends on a cancel; the pauses between releases do not.
    void Wait(int milliseconds, bool interruptible = true);
    void InjectKey(uint8_t key, bool up);
    void ReleaseHeld(int limit);

    InputInjector& injector_;
    MacroClock& clock_;
    const KeyboardLayout& layout_;

    MacroStep steps_[kMacroStepSlots] = {};
    int stepCount_ = 0;
    int repeatCount_ = 1;
    int currentStep_ = 0;
    std::atomic<int> playing_{0};
    std::atomic<int> cancel_{0};
    std::vector<uint8_t> held_;
    int64_t deadline_ = 0;
};

}  // namespace kestra
