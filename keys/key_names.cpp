#include "keys/key_names.h"

#include <cstdio>

namespace kestra {
namespace {

// Built once from the ranges of the table; the order of the rows matters.
struct Table {
    KeyRow rows[128];
    int count = 0;

    void Add(int virtualKey, int keyIndex, int scanCode) {
        rows[count++] = KeyRow{static_cast<uint8_t>(virtualKey), static_cast<uint8_t>(keyIndex),
                               static_cast<uint8_t>(scanCode)};
    }

    Table() {
        static const uint8_t kLetterScans[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                                 49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};
        for (int i = 0; i < 26; ++i) Add(0x41 + i, 4 + i, kLetterScans[i]);
        for (int i = 0; i < 9; ++i) Add(0x31 + i, 30 + i, 2 + i);
        Add(0x30, 39, 11);
        Add(0x0D, 40, 28);
        Add(0x1B, 41, 1);
        Add(0x08, 42, 14);
        Add(0x09, 43, 15);
        Add(0x20, 44, 57);
        Add(0xBD, 45, 12);
        Add(0xBB, 46, 13);
        Add(0xDB, 47, 26);
        Add(0xDD, 48, 27);
        Add(0xDC, 49, 43);
        Add(0xBA, 51, 39);
        Add(0xDE, 52, 40);
        Add(0xC0, 53, 41);
        Add(0xBC, 54, 51);
        Add(0xBE, 55, 52);
        Add(0xBF, 56, 53);
        Add(0x14, 57, 58);
        for (int i = 0; i < 10; ++i) Add(0x70 + i, 58 + i, 59 + i);
        Add(0x7A, 68, 87);
        Add(0x7B, 69, 88);
        const int fixed[][2] = {{0x2C, 70}, {0x91, 71}, {0x13, 72}, {0x2D, 73}, {0x24, 74},
                                {0x21, 75}, {0x2E, 76}, {0x23, 77}, {0x22, 78}, {0x27, 79},
                                {0x25, 80}, {0x28, 81}, {0x26, 82}, {0x90, 83}, {0x6F, 84},
                                {0x6A, 85}, {0x6D, 86}, {0x6B, 87}, {0x6C, 88}};
        for (const auto& row : fixed) Add(row[0], row[1], 0);
        for (int i = 0; i < 5; ++i) Add(0x61 + i, 89 + i, 0);
        Add(0x67, 95, 0);
        Add(0x66, 94, 0);
        Add(0x68, 96, 0);
        Add(0x69, 97, 0);
        Add(0x60, 98, 0);
        Add(0x6E, 99, 0);
        Add(0x5D, 101, 0);
        const int modifiers[8] = {0xA2, 0xA0, 0xA4, 0x5B, 0xA3, 0xA1, 0xA5, 0x5C};
        for (int i = 0; i < 8; ++i) Add(modifiers[i], 224 + i, 0);
        for (int i = 0; i < 5; ++i) Add(0xF0 + i, 240 + i, 0);
    }
};

const Table& TheTable() {
    static const Table table;
    return table;
}

// Keys identified by their position: the layout decides what they produce.
bool IsPositionalKey(uint8_t keyIndex) { return keyIndex >= 4 && keyIndex <= 69; }

}  // namespace

const KeyRow* KeyTable(int& count) {
    count = TheTable().count;
    return TheTable().rows;
}

uint32_t UsKeyboardLayout::ScanCodeToVirtualKey(uint32_t scanCode) const {
    int count;
    const KeyRow* rows = KeyTable(count);
    for (int i = 0; i < count; ++i)
        if (rows[i].scanCode == scanCode && IsPositionalKey(rows[i].keyIndex)) return rows[i].virtualKey;
    return 0;
}

uint32_t UsKeyboardLayout::VirtualKeyToScanCode(uint32_t virtualKey) const {
    int count;
    const KeyRow* rows = KeyTable(count);
    for (int i = 0; i < count; ++i)
        if (rows[i].virtualKey == virtualKey && rows[i].scanCode != 0) return rows[i].scanCode;
    return 0;
}

bool KeyIndexToVirtualKey(uint8_t keyIndex, const KeyboardLayout& layout, uint32_t& virtualKey) {
    virtualKey = 0;
    int count;
    const KeyRow* rows = KeyTable(count);
    for (int i = 0; i < count; ++i) {
        if (rows[i].keyIndex != keyIndex) continue;
        virtualKey = IsPositionalKey(keyIndex) ? layout.ScanCodeToVirtualKey(rows[i].scanCode)
                                               : rows[i].virtualKey;
        return true;
    }
    return false;
}

bool VirtualKeyToKeyIndex(uint32_t virtualKey, const KeyboardLayout& layout, uint8_t& keyIndex) {
    keyIndex = 0;
    int count;
    const KeyRow* rows = KeyTable(count);
    for (int i = 0; i < count; ++i) {
        if (rows[i].virtualKey != virtualKey) continue;
        keyIndex = rows[i].keyIndex;
        if (IsPositionalKey(keyIndex)) {
            const uint32_t scanCode = layout.VirtualKeyToScanCode(virtualKey);
            for (int j = 0; j < count; ++j) {
                if (scanCode != 0 && rows[j].scanCode == scanCode) {
                    keyIndex = rows[j].keyIndex;
                    break;
                }
            }
        }
        return true;
    }
    return false;
}

std::string KeyName(uint32_t vk) {
    char text[8];
    if (vk >= 0x30 && vk <= 0x39) return std::string(1, static_cast<char>(vk));
    if (vk >= 0x41 && vk <= 0x5A) return std::string(1, static_cast<char>(vk));
    if (vk >= 0x60 && vk <= 0x69) return "Num_" + std::to_string(vk - 0x60);
    if (vk >= 0x70 && vk <= 0x7B) {
        snprintf(text, sizeof text, "F%u", static_cast<unsigned>(vk - 0x70 + 1));
        return text;
    }
    switch (vk) {
    case 0x08: return "BackSpace";
    case 0x09: return "Tab";
    case 0x0D: return "Enter";
    case 0x13: return "Pause";
    case 0x14: return "CapsLock";
    case 0x1B: return "Esc";
    case 0x20: return "Space";
    case 0x21: return "Page UP";
    case 0x22: return "Page Down";
    case 0x23: return "End";
    case 0x24: return "Home";
    case 0x25: return "Left";
    case 0x26: return "Up";
    case 0x27: return "Right";
    case 0x28: return "Down";
    case 0x29: return "Select";
    case 0x2B: return "Execute";
    case 0x2C: return "Print Screen";
    case 0x2D: return "Insert";
    case 0x2E: return "Delete";
    case 0x2F: return "Help";
    case 0x5B: return "L_WIN";
    case 0x5C: return "R_WIN";
    case 0x5D: return "APP";
    case 0x6A: return "Num_*";
    case 0x6B: return "Num_+";
    case 0x6C: return "Num_ ";
    case 0x6D: return "Num_-";
    case 0x6E: return "Num_.";
    case 0x6F: return "Num_/";
    case 0x90: return "Number Lock";
    case 0x91: return "Scroll Lock";
    case 0xA0: return "Left Shift";
    case 0xA1: return "Right Shift";
    case 0xA2: return "Left Ctrl";
    case 0xA3: return "Right Ctrl";
    case 0xA4: return "Left Alt";
    case 0xA5: return "Right Alt";
    case 0xBA: return ";";
    case 0xBB: return "=";
    case 0xBC: return ",";
    case 0xBD: return "-";
    case 0xBE: return ".";
    case 0xBF: return "/";
    case 0xC0: return "`";
    case 0xDB: return "[";
    case 0xDC: return "\\";
    case 0xDD: return "]";
    case 0xDE: return "'";
    case 0xF0: return "Left";
    case 0xF1: return "Right";
    case 0xF2: return "Wheel";
    case 0xF3: return "Backward";
    case 0xF4: return "Forward";
    default: return std::string();
    }
}

std::string CombinationText(uint8_t keyIndex, uint8_t flags, uint16_t stepCount,
                            const KeyboardLayout& layout) {
    if (stepCount == 0) return std::string();
    std::string text;
    if (!(flags & kKeyAlone)) {
        if (flags & kShift) text += "Shift+";
        if (flags & kCtrl) text += "Ctrl+";
        if (flags & kAlt) text += "Alt+";
        if (flags & kWindowsKey) text += "Win+";
    }
    uint32_t virtualKey = 0;
    KeyIndexToVirtualKey(keyIndex, layout, virtualKey);
    return text + KeyName(virtualKey);
}

}  // namespace kestra
