// The arithmetic and text rules of the value controls: the numeric entry
// field, sliders, spin fields and scroll bars.
#include <gtest/gtest.h>

#include <string>

#include "skin/bitmap_edit.h"

namespace kestra {
namespace {

TEST(NumericEdit, KeysAreTheDigitsAndTheEditingKeys) {
    for (unsigned key = '0'; key <= '9'; ++key)
        EXPECT_TRUE(NumericEditAcceptsKey(key, false, false));
    for (unsigned key : {8u, 13u, 35u, 36u, 37u, 39u, 46u, 188u, 190u}) {
        EXPECT_TRUE(NumericEditAcceptsKey(key, false, false)) << key;
    }
    // Letters, Up/Down, Space, Insert, the numeric pad and minus are swallowed.
    for (unsigned key : {unsigned('A'), unsigned('Z'), 38u, 40u, 32u, 45u, 0x60u, 0x69u, 189u}) {
        EXPECT_FALSE(NumericEditAcceptsKey(key, false, false)) << key;
    }
    // Ctrl shortcuts pass (their text is filtered afterwards); AltGr does not.
    EXPECT_TRUE(NumericEditAcceptsKey('V', true, false));
    EXPECT_FALSE(NumericEditAcceptsKey('V', true, true));

    EXPECT_TRUE(NumericEditAcceptsChar('7'));
    EXPECT_TRUE(NumericEditAcceptsChar(','));
    EXPECT_TRUE(NumericEditAcceptsChar(8));     // Backspace
    EXPECT_TRUE(NumericEditAcceptsChar(0x16));  // Ctrl+V
    EXPECT_FALSE(NumericEditAcceptsChar('!'));  // Shift+1
    EXPECT_FALSE(NumericEditAcceptsChar('\r'));
    EXPECT_FALSE(NumericEditAcceptsChar(0xE9));
}

TEST(NumericEdit, TextKeepsDigitsCommasAndPointsInOrder) {
    FilteredText f = FilterNumericText("a1b,2.c3 -4\xE9", 0);
    EXPECT_TRUE(f.changed);
    EXPECT_EQ("1,2.34", f.text);

    f = FilterNumericText("12,5", 2);
    EXPECT_FALSE(f.changed);
    EXPECT_EQ("12,5", f.text);
    EXPECT_EQ(2u, f.caret);

    // The caret keeps its place among the characters that stay.
    f = FilterNumericText("1xx2y3", 5);
    EXPECT_EQ("123", f.text);
    EXPECT_EQ(2u, f.caret);
    f = FilterNumericText("abc", 99);
    EXPECT_EQ("", f.text);
    EXPECT_EQ(0u, f.caret);

    // A huge paste with a NUL in it: nothing is lost or overrun.
    std::string big(100000, 'x');
    big[0] = '9';
    big[50000] = '\0';
    big[99999] = '8';
    f = FilterNumericText(big, big.size());
    EXPECT_EQ("98", f.text);
    EXPECT_EQ(2u, f.caret);
}

}  // namespace
}  // namespace kestra
