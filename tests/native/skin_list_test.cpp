#include "skin/skin_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace kestra {
namespace {

std::string Commit(const std::string& text) {
    return CommitInPlaceText(text.data(), text.size());
}

TEST(InPlaceCommit, TrimsCutsAndEmptiesTheText) {
    const struct {
        std::string typed;
        std::string kept;
    } cases[] = {
        {"Rapid fire", "Rapid fire"},
        {"  Rapid fire \t", "Rapid fire"},
        {"", ""},
        {"   \t  ", ""},                               // nothing but blanks removes the item
        {"0123456789abcdefXYZ", "0123456789abcde"},    // 15 characters
        {"  0123456789abcdefXYZ", "0123456789abcde"},  // cut after trimming
        {"0123456789abcd efg", "0123456789abcd"},      // no blank left at the cut
        {"a\r\nb\tc", "a  b c"},                       // pasted line breaks become blanks
        {std::string("ab\0cd", 5), "ab"},              // a NUL ends the text
        {"\xC4rger \xFC"
         "ber",
         "\xC4rger \xFC"
         "ber"},  // 8-bit characters stay
    };
    for (const auto& c : cases) EXPECT_EQ(c.kept, Commit(c.typed)) << c.typed;
    EXPECT_EQ("", CommitInPlaceText(nullptr, 10));
}

TEST(InPlaceCommit, AHugeTextIsReadOnlyToItsLimit) {
    // What a paste of 100,000 characters may put into the edit: only the
    // first 4095 are looked at, and 15 kept.
    std::string huge(100000, 'x');
    huge.replace(0, 3, "   ");
    EXPECT_EQ(std::string(15, 'x'), CommitInPlaceText(huge.data(), huge.size()));
    // Blanks up to the read limit count as an empty text.
    std::string blanks(kInPlaceReadLimit, ' ');
    blanks += "late";
    EXPECT_EQ("", CommitInPlaceText(blanks.data(), blanks.size()));
}

TEST(ListKeyFilter, OnlyTheUpAndDownArrowsPassWhileOn) {
    const uint32_t up = 0x26, down = 0x28;
    for (ListKeyMessage kind : {ListKeyMessage::kDown, ListKeyMessage::kUp}) {
        EXPECT_FALSE(ListKeyFilterSwallows(true, kind, up));
        EXPECT_FALSE(ListKeyFilterSwallows(true, kind, down));
        for (uint32_t key : {0x25u, 0x27u, 0x21u, 0x22u, 0x24u, 0x23u, 0x41u, 0x0Du, 0x2Eu}) {
            EXPECT_TRUE(ListKeyFilterSwallows(true, kind, key)) << key;
            EXPECT_FALSE(ListKeyFilterSwallows(false, kind, key)) << key;
        }
    }
    // Type-ahead search would move the selection: characters go too.
    EXPECT_TRUE(ListKeyFilterSwallows(true, ListKeyMessage::kChar, 'a'));
    EXPECT_FALSE(ListKeyFilterSwallows(false, ListKeyMessage::kChar, 'a'));
}

TEST(ListItems, IconNumberFromTheLowWordPlacesIconAndText) {
    // Step-list data: line number in the high word, picture in the low one.
    ListItemLayout a = LayoutListItem(0, 36, 3 * 65536 + 138, 16);
    EXPECT_EQ(138u, a.iconNumber);
    EXPECT_EQ(5, a.iconX);
    EXPECT_EQ(38, a.iconY);
    EXPECT_EQ(24, a.textX);
    ListItemLayout reserved = LayoutListItem(10, 0, 7 * 65536 + 1, 16);
    EXPECT_EQ(0u, reserved.iconNumber);  // room for an icon, nothing drawn
    EXPECT_EQ(34, reserved.textX);
    ListItemLayout none = LayoutListItem(10, 0, 0xFFFF0000u, 16);
    EXPECT_EQ(0u, none.iconNumber);
    EXPECT_EQ(15, none.textX);
}

}  // namespace
}  // namespace kestra
