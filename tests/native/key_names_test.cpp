#include "keys/key_names.h"

#include <gtest/gtest.h>

#include <set>

namespace kestra {
namespace {

// A layout whose A and Q keys trade places, like a French keyboard.
class SwappedLayout : public KeyboardLayout {
public:
    uint32_t ScanCodeToVirtualKey(uint32_t scanCode) const override {
        if (scanCode == 30) return 0x51;  // the key at A's place produces Q
        if (scanCode == 16) return 0x41;
        return us_.ScanCodeToVirtualKey(scanCode);
    }
    uint32_t VirtualKeyToScanCode(uint32_t virtualKey) const override {
        if (virtualKey == 0x51) return 30;
        if (virtualKey == 0x41) return 16;
        return us_.VirtualKeyToScanCode(virtualKey);
    }

private:
    UsKeyboardLayout us_;
};

TEST(KeyTable, HasEveryRowOnce) {
    int count;
    const KeyRow* rows = KeyTable(count);
    EXPECT_EQ(109, count);
    std::set<int> indexes;
    for (int i = 0; i < count; ++i) indexes.insert(rows[i].keyIndex);
    EXPECT_EQ(109u, indexes.size());
    EXPECT_EQ(0u, indexes.count(50));
    EXPECT_EQ(0u, indexes.count(100));
    EXPECT_EQ(0u, indexes.count(102));
    int at95 = -1, at94 = -1;
    for (int i = 0; i < count; ++i) {
        if (rows[i].keyIndex == 95) at95 = i;
        if (rows[i].keyIndex == 94) at94 = i;
    }
    EXPECT_EQ(at95 + 1, at94);  // keypad 7 stands before keypad 6
}

TEST(KeyTable, ConversionsBothWays) {
    UsKeyboardLayout us;
    SwappedLayout swapped;
    // Letters are stored by position: Q typed on the swapped layout is the
    // key at A's place, shown and played as what that place produces there.
    // Fixed keys (the arrows, keypad Enter, the mouse keys) ignore the layout.
    const struct {
        const KeyboardLayout& layout;
        uint32_t vk;
        uint8_t index;
        bool both;  // also from the virtual key to the index
    } rows[] = {
        {us, 0x41, 4, true},    {us, 0xA0, 225, true},    {us, 0x6C, 88, false},
        {us, 0xF0, 240, false}, {swapped, 0x51, 4, true}, {swapped, 0x25, 80, false},
    };
    for (const auto& r : rows) {
        uint32_t vk = 0;
        EXPECT_TRUE(KeyIndexToVirtualKey(r.index, r.layout, vk)) << int(r.index);
        EXPECT_EQ(r.vk, vk) << int(r.index);
        uint8_t index = 0;
        EXPECT_TRUE(!r.both || (VirtualKeyToKeyIndex(r.vk, r.layout, index) && index == r.index))
            << r.vk;
    }
    uint32_t vk = 7;
    uint8_t index = 7;
    EXPECT_FALSE(KeyIndexToVirtualKey(50, us, vk));
    EXPECT_EQ(0u, vk);
    EXPECT_FALSE(VirtualKeyToKeyIndex(0x7C, us, index));  // F13 cannot be stored
    EXPECT_EQ(0, index);
}

TEST(KeyNames, NamesAndCombinations) {
    UsKeyboardLayout us;
    const std::pair<uint32_t, const char*> names[] = {
        {0xF0, "Left"},  {0x25, "Left"}, {0xF1, "Right"}, {0x27, "Right"}, {0x6C, "Num_ "},
        {0x67, "Num_7"}, {0x7B, "F12"},  {0xDC, "\\"},    {0x7C, ""},
    };
    for (const auto& [vk, name] : names) EXPECT_EQ(name, KeyName(vk)) << vk;

    EXPECT_EQ("Shift+Alt+A", CombinationText(4, kShift | kAlt, 1, us));
    EXPECT_EQ("F1", CombinationText(58, kKeyAlone | kCtrl, 1, us));
    EXPECT_EQ("A", CombinationText(4, kKeyAlone | kShift, 1, us));
    EXPECT_EQ("Ctrl+A", CombinationText(4, kCtrl, 1, us));
    EXPECT_EQ("", CombinationText(4, kShift, 0, us));
    EXPECT_EQ("Ctrl+Win+", CombinationText(50, kCtrl | kWindowsKey, 1, us));
}

}  // namespace
}  // namespace kestra
