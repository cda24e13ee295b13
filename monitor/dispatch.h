// What Monitor does with an event the mouse reports: the decision only. The
// window thread carries it out (injection, messages, files).
#pragma once

#include <cstdint>
#include <string>

#include "monitor/macro_player.h"
#include "keys/key_names.h"
#include "settings/settings_record.h"

namespace kestra {

enum class EventKind {
    kNone,
    kPresence,        // code 0x7F00
    kTiltRight,       // 0x1000 value 1
    kTiltLeft,        // 0x1000 value 255
    kReportRate,      // 0x01F2
    kProfile,         // 0x08xx
    kButton,          // 0x4000 and 0x5000
    kLaunchProgram,   // 0x000A
    kOpenOption,      // 0x00A0
    kDpiLevel,        // 0x07xx
    kSensitivity,     // 0xC000
    kMedia,           // 0xF000
};

struct EventDecision {
    EventKind kind = EventKind::kNone;
    uint16_t value = 0;
    int button = 0;              // 1..16 for button and launch events
    bool pressed = false;        // button events: high byte 0
    bool announceMacro = false;  // a 0x4000 press also shows the macro indication
    int mediaFunction = 0;       // 32..39
    bool mediaReleased = false;
};

uint32_t MakeEventWord(uintptr_t code, uintptr_t value);
EventDecision DecideEvent(uint32_t eventWord);

// A settings change the mouse made itself, applied to the current profile of
// the working copy. False when the value is not accepted (then nothing is
// written or posted).
bool ApplyDeviceChange(SettingsStore& store, EventKind kind, uint16_t value);

// The combination word of a key-combination button: the main key in bits 0..7,
// the modifier flags in bits 8..15 (bit 8: no modifiers at all).
uint16_t CombinationWord(const ButtonAssignment& button);

// Presses and releases of a combination, in the order the keys go down and up.
// Modifier keys are pressed Ctrl, Shift, Alt, Windows and released in reverse,
// each with a 1 ms pause; the waits go through the callback.
class KeyInjector {
public:
    virtual ~KeyInjector() = default;
    virtual void Key(uint32_t virtualKey, bool up) = 0;
    virtual void PauseMs(int milliseconds) = 0;
};
void PressCombination(uint16_t word, KeyInjector& injector, const KeyboardLayout& layout);
void ReleaseCombination(uint16_t word, KeyInjector& injector, const KeyboardLayout& layout);
// The key the repeat timer re-sends, or 0 when it sends nothing (no key, or a
// modifier held alone).
uint32_t RepeatKey(uint16_t word, const KeyboardLayout& layout);

// The held-combination state behind the repeat timer: 1000 ms to the first
// repeat, then every 100 ms.
class KeyRepeat {
public:
    // Returns the first timer period.
    int Press(uint16_t word);
    void Release() { held_ = false; }
    struct Expiry {
        bool rearm;        // restart the timer with the new period
        int periodMs;
        uint32_t resend;   // key to release and press again, 0 = none
    };
    Expiry OnTimer(const KeyboardLayout& layout);
    bool held() const { return held_; }

private:
    uint16_t word_ = 0;
    bool firstRepeat_ = false;
    bool held_ = false;
};

// The program a profile is bound to, as the watch compares it: its game
// file with blanks trimmed and the folder dropped; empty when unbound.
std::string BoundProgramName(const ProfileSettings& profile);
// Program watch: the first profile whose game file names the foreground
// program (file name and extension, blanks trimmed, case ignored); -1 if none.
int MatchProfileByProgram(const SettingsStore& store, const std::string& foregroundExe);

// The number under which the macro indication announces button n (1..16).
int MacroIndicationNumber(int button);
// The text of the DPI indication for level v (1..8).
std::string DpiLevelText(const ProfileSettings& profile, int level);

}  // namespace kestra
