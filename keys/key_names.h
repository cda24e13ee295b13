// Key numbers of macros and key combinations (the mouse firmware's numbering:
// USB keyboard usages, 240..244 the mouse buttons) and their conversion to and
// from virtual-key codes, their display names and the text of a combination.
// Shared by Monitor (playback) and Option (editors).
#pragma once

#include <cstdint>
#include <string>

namespace kestra {

// The keyboard layout's scan code mapping (MapVirtualKeyA types 3 and 0),
// behind an interface so that the conversions are testable anywhere.
class KeyboardLayout {
public:
    virtual ~KeyboardLayout() = default;
    virtual uint32_t ScanCodeToVirtualKey(uint32_t scanCode) const = 0;  // left/right kept apart
    virtual uint32_t VirtualKeyToScanCode(uint32_t virtualKey) const = 0;
};

// The US layout, for tests and where no system layout exists.
class UsKeyboardLayout : public KeyboardLayout {
public:
    uint32_t ScanCodeToVirtualKey(uint32_t scanCode) const override;
    uint32_t VirtualKeyToScanCode(uint32_t virtualKey) const override;
};

struct KeyRow {
    uint8_t virtualKey;
    uint8_t keyIndex;
    uint8_t scanCode;
};

// The 109 rows, in the order that decides which row a search finds first.
const KeyRow* KeyTable(int& count);

// KeyIndex -> virtual key; false (and 0) when the index has no row.
bool KeyIndexToVirtualKey(uint8_t keyIndex, const KeyboardLayout& layout, uint32_t& virtualKey);
// Virtual key -> KeyIndex; false (and 0) when the code has no row.
bool VirtualKeyToKeyIndex(uint32_t virtualKey, const KeyboardLayout& layout, uint8_t& keyIndex);

// Display name of a virtual-key code; empty for codes without a name.
std::string KeyName(uint32_t virtualKey);

// Modifier flags of a key combination.
enum ModifierFlag : uint8_t {
    kKeyAlone = 1 << 0,
    kShift = 1 << 1,
    kCtrl = 1 << 2,
    kAlt = 1 << 3,
    kWindowsKey = 1 << 4,
};

// "Shift+Alt+A"-style text; empty when the step count is 0.
std::string CombinationText(uint8_t keyIndex, uint8_t modifierFlags, uint16_t stepCount,
                            const KeyboardLayout& layout);

}  // namespace kestra
