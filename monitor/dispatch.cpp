#include "monitor/dispatch.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace kestra {
namespace {

constexpr uint32_t kVkShift = 0x10, kVkControl = 0x11, kVkMenu = 0x12, kVkLeftWindows = 0x5B;

ProfileSettings& Current(SettingsStore& store) {
    const int index = (store.CurrentProfile >= 0 && store.CurrentProfile < kProfileCount)
                          ? store.CurrentProfile
                          : 0;
    return store.profiles[index];
}

// Modifier slots of a combination in press order; empty slots are 0.
void ModifierSlots(uint16_t word, uint32_t slots[4]) {
    slots[0] = slots[1] = slots[2] = slots[3] = 0;
    if (word & 0x100) return;  // the key alone
    if (word & 0x400) slots[0] = kVkControl;
    if (word & 0x200) slots[1] = kVkShift;
    if (word & 0x800) slots[2] = kVkMenu;
    if (word & 0x1000) slots[3] = kVkLeftWindows;
}

// The main key, with left/right modifier codes folded into the generic ones.
uint32_t MainKey(uint16_t word, const KeyboardLayout& layout) {
    uint32_t vk = 0;
    KeyIndexToVirtualKey(static_cast<uint8_t>(word & 0xFF), layout, vk);
    if (vk == 0xA0 || vk == 0xA1) return kVkShift;
    if (vk == 0xA2 || vk == 0xA3) return kVkControl;
    if (vk == 0xA4 || vk == 0xA5) return kVkMenu;
    return vk;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

uint32_t MakeEventWord(uintptr_t code, uintptr_t value) {
    return static_cast<uint32_t>(((code & 0xFFFF) << 16) | (value & 0xFFFF));
}

EventDecision DecideEvent(uint32_t eventWord) {
    EventDecision d;
    const uint16_t code = static_cast<uint16_t>(eventWord >> 16);
    const uint16_t v = static_cast<uint16_t>(eventWord & 0xFFFF);
    const int lo = v & 0xFF, hi = v >> 8;
    d.value = v;
    if (code == 0x7F00) {
        d.kind = EventKind::kPresence;
    } else if (code == 0x1000) {
        if (v == 1) d.kind = EventKind::kTiltRight;
        else if (v == 255) d.kind = EventKind::kTiltLeft;
    } else if (code == 0x01F2) {
        if (v >= 1 && v <= 8) d.kind = EventKind::kReportRate;
    } else if ((code & 0xFF00) == 0x0800) {
        d.kind = EventKind::kProfile;
    } else if (code == 0x4000 || code == 0x5000) {
        if (lo >= 1 && lo <= 16) {
            d.kind = EventKind::kButton;
            d.button = lo;
            d.pressed = hi == 0;
            d.announceMacro = code == 0x4000 && hi == 0;
        }
    } else if (code == 0x000A) {
        if (lo >= 1 && lo <= 16 && hi == 0) {
            d.kind = EventKind::kLaunchProgram;
            d.button = lo;
            d.pressed = true;
        }
    } else if (code == 0x00A0) {
        d.kind = EventKind::kOpenOption;
    } else if ((code & 0xFF00) == 0x0700) {
        if (v >= 1 && v <= 8) d.kind = EventKind::kDpiLevel;
    } else if (code == 0xC000) {
        d.kind = EventKind::kSensitivity;
    } else if (code == 0xF000) {
        if (lo >= 32 && lo <= 39) {
            d.kind = EventKind::kMedia;
            d.mediaFunction = lo;
            d.mediaReleased = hi != 0;
        }
    }
    return d;
}

bool ApplyDeviceChange(SettingsStore& store, EventKind kind, uint16_t v) {
    ProfileSettings& p = Current(store);
    switch (kind) {
    case EventKind::kProfile:
        if (v < 1 || v > 5) return false;
        store.CurrentProfile = v - 1;
        return true;
    case EventKind::kDpiLevel:
        if (v < 1 || v > 8) return false;
        p.CpiStep = v - 1;
        return true;
    case EventKind::kSensitivity: {
        const int lo = v & 0xFF, hi = v >> 8;
        bool accepted = false;
        if (lo >= 1 && lo <= 20) {
            p.Sensitivity_X = lo;
            accepted = true;
        }
        if (hi >= 1 && hi <= 20) {
            p.Sensitivity_Y = hi;
            accepted = true;
        }
        return accepted;
    }
    case EventKind::kReportRate:
        switch (v) {
        case 8: p.PollingRate = 0; return true;
        case 4: p.PollingRate = 1; return true;
        case 2: p.PollingRate = 2; return true;
        case 1: p.PollingRate = 3; return true;
        // No rate code means these intervals: the stored rate stays, but the
        // change is still reported so that Option re-reads the block.
        case 3: case 5: case 6: case 7: return true;
        default: return false;
        }
    default:
        return false;
    }
}

uint16_t CombinationWord(const ButtonAssignment& button) {
    return static_cast<uint16_t>(button.steps[0].key | (button.steps[0].action << 8));
}

void PressCombination(uint16_t word, KeyInjector& injector, const KeyboardLayout& layout) {
    uint32_t slots[4];
    ModifierSlots(word, slots);
    for (uint32_t vk : slots) {
        if (!vk) continue;
        injector.Key(vk, false);
        injector.PauseMs(1);
    }
    const uint32_t main = MainKey(word, layout);
    if (main) injector.Key(main, false);
}

void ReleaseCombination(uint16_t word, KeyInjector& injector, const KeyboardLayout& layout) {
    const uint32_t main = MainKey(word, layout);
    if (main) injector.Key(main, true);
    uint32_t slots[4];
    ModifierSlots(word, slots);
    for (int i = 3; i >= 0; --i) {
        if (!slots[i]) continue;
        injector.PauseMs(1);
        injector.Key(slots[i], true);
    }
}

uint32_t RepeatKey(uint16_t word, const KeyboardLayout& layout) {
    uint32_t vk = 0;
    KeyIndexToVirtualKey(static_cast<uint8_t>(word & 0xFF), layout, vk);
    if (vk == 0 || (vk >= 0xA0 && vk <= 0xA5) || vk == 0x5B || vk == 0x5C) return 0;
    return MainKey(word, layout);
}

int KeyRepeat::Press(uint16_t word) {
    word_ = word;
    firstRepeat_ = true;
    held_ = true;
    return 1000;
}

KeyRepeat::Expiry KeyRepeat::OnTimer(const KeyboardLayout& layout) {
    Expiry e{false, 0, 0};
    if (firstRepeat_) {
        firstRepeat_ = false;
        e.rearm = true;
        e.periodMs = 100;
    }
    e.resend = RepeatKey(word_, layout);
    return e;
}

std::string BoundProgramName(const ProfileSettings& profile) {
    std::string game(profile.GameFile, strnlen(profile.GameFile, kGameFileSize));
    const size_t first = game.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    game = game.substr(first, game.find_last_not_of(' ') - first + 1);
    const size_t slash = game.find_last_of("\\/");
    if (slash != std::string::npos) game = game.substr(slash + 1);
    return game;
}

int MatchProfileByProgram(const SettingsStore& store, const std::string& foregroundExe) {
    const std::string target = Lower(foregroundExe);
    if (target.empty()) return -1;
    for (int i = 0; i < kProfileCount; ++i) {
        const std::string game = BoundProgramName(store.profiles[i]);
        if (!game.empty() && Lower(game) == target) return i;
    }
    return -1;
}

int MacroIndicationNumber(int button) {
    const int number = button - 1;
    if (number == 13) return 3;
    if (number == 14) return 4;
    return number;
}

std::string DpiLevelText(const ProfileSettings& profile, int level) {
    if (level < 1 || level > 5) return std::string();
    char text[32];
    snprintf(text, sizeof text, "CPI: %d", profile.CpiLevel_X[level - 1] * 100);
    return text;
}

}  // namespace kestra
