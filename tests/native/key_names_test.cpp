#include <gtest/gtest.h>

#include <set>

#include "option/key_names.h"

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
    uint32_t vk;
    uint8_t index;
    EXPECT_TRUE(VirtualKeyToKeyIndex(0x41, us, index));
    EXPECT_EQ(4, index);
    EXPECT_TRUE(KeyIndexToVirtualKey(4, us, vk));
    EXPECT_EQ(0x41u, vk);
    EXPECT_TRUE(VirtualKeyToKeyIndex(0xA0, us, index));
    EXPECT_EQ(225, index);
    EXPECT_TRUE(KeyIndexToVirtualKey(88, us, vk));  // keypad Enter is not Enter
    EXPECT_EQ(0x6Cu, vk);
    EXPECT_TRUE(KeyIndexToVirtualKey(240, us, vk));
    EXPECT_EQ(0xF0u, vk);
    EXPECT_FALSE(KeyIndexToVirtualKey(50, us, vk));
    EXPECT_EQ(0u, vk);
    EXPECT_FALSE(VirtualKeyToKeyIndex(0x7C, us, index));  // F13 cannot be stored
    EXPECT_EQ(0, index);

    // Letters are stored by position: Q typed on the swapped layout is the
    // key at A's place, shown and played as what that place produces there.
    SwappedLayout swapped;
    EXPECT_TRUE(VirtualKeyToKeyIndex(0x51, swapped, index));
    EXPECT_EQ(4, index);
    EXPECT_TRUE(KeyIndexToVirtualKey(4, swapped, vk));
    EXPECT_EQ(0x51u, vk);
    // Fixed keys ignore the layout.
    EXPECT_TRUE(KeyIndexToVirtualKey(80, swapped, vk));
    EXPECT_EQ(0x25u, vk);
}

TEST(KeyNames, NamesAndCombinations) {
    UsKeyboardLayout us;
    uint32_t vk;
    KeyIndexToVirtualKey(240, us, vk);
    EXPECT_EQ("Left", KeyName(vk));
    EXPECT_EQ("Left", KeyName(0x25));
    EXPECT_EQ("Right", KeyName(0xF1));
    EXPECT_EQ("Right", KeyName(0x27));
    EXPECT_EQ("Num_ ", KeyName(0x6C));
    EXPECT_EQ("Num_7", KeyName(0x67));
    EXPECT_EQ("F12", KeyName(0x7B));
    EXPECT_EQ("\\", KeyName(0xDC));
    EXPECT_EQ("", KeyName(0x7C));

    EXPECT_EQ("Shift+Alt+A", CombinationText(4, kShift | kAlt, 1, us));
    EXPECT_EQ("F1", CombinationText(58, kKeyAlone | kCtrl, 1, us));
    EXPECT_EQ("A", CombinationText(4, kKeyAlone | kShift, 1, us));
    EXPECT_EQ("Ctrl+A", CombinationText(4, kCtrl, 1, us));
    EXPECT_EQ("", CombinationText(4, kShift, 0, us));
    EXPECT_EQ("Ctrl+Win+", CombinationText(50, kCtrl | kWindowsKey, 1, us));
}

}  // namespace
}  // namespace kestra
