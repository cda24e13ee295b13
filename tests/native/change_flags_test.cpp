#include "settings/change_flags.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kestra {
namespace {

// The expected group of a profile byte, written from the binding offsets and
// not from the struct, so that a field moved or left out of the comparison
// shows up. -1: no flag.
int ExpectedGroup(size_t offset) {
    auto word = [offset](size_t at) { return offset >= at && offset < at + 4; };
    auto range = [offset](size_t first, size_t end) { return offset >= first && offset < end; };
    if (word(788) || word(796) || word(900) || word(948) || word(952)) return 0;
    if (word(956)) return 1;
    if (word(892)) return 2;
    if (word(860)) return 3;
    if (word(780) || word(784) || range(804, 860) || range(864, 889) || range(904, 948) ||
        range(960, 980) || range(983, 989) || range(8356, 8444))
        return 4;
    return -1;
}

void ExpectFlags(const SettingsStore& s, int profile, int group) {
    for (int p = 0; p < kProfileCount; ++p) {
        const int32_t* groups[5] = {s.flags.otherFirst, s.flags.otherSecond, s.flags.polling,
                                    s.flags.level, s.flags.block};
        for (int g = 0; g < 5; ++g)
            ASSERT_EQ(p == profile && g == group ? 1 : 0, groups[g][p])
                << "profile " << p << " group " << g;
        for (int b = 0; b < kButtonCount; ++b) ASSERT_EQ(0, s.flags.buttons[p][b]);
    }
    ASSERT_EQ(0, s.flags.currentProfile);
}

TEST(ChangeFlags, EveryProfileByteSetsExactlyItsGroup) {
    static SettingsStore applied, working;
    ClearStore(applied);
    ResetAllProfiles(applied);
    for (int profile : {0, 3, 4}) {
        for (size_t offset = 0; offset < sizeof(ProfileSettings); ++offset) {
            working = applied;
            reinterpret_cast<unsigned char*>(&working.profiles[profile])[offset] ^= 0x5A;
            ComputeChangeFlags(applied, working);
            ExpectFlags(working, profile, ExpectedGroup(offset));
            if (HasFatalFailure()) {
                ADD_FAILURE() << "profile " << profile << " byte " << offset;
                return;
            }
        }
    }
}

TEST(ChangeFlags, EqualCopiesClearStaleComputedFlagsButKeepButtonFlags) {
    static SettingsStore applied, working;
    ClearStore(applied);
    ResetAllProfiles(applied);
    working = applied;
    MarkAllChanged(working);
    ComputeChangeFlags(applied, working);
    for (int p = 0; p < kProfileCount; ++p) {
        EXPECT_EQ(0, working.flags.polling[p]);
        EXPECT_EQ(0, working.flags.block[p]);
        EXPECT_EQ(1, working.flags.buttons[p][15]);
    }
    working.CurrentProfile = 2;
    ComputeChangeFlags(applied, working);
    EXPECT_EQ(1, working.flags.currentProfile);
}

TEST(ChangeFlags, HandOverClearsButtonsAndOtherGroupsOnly) {
    static SettingsStore store;
    ClearStore(store);
    MarkAllChanged(store);
    ClearHandedOverFlags(store);
    const int32_t* words = reinterpret_cast<const int32_t*>(&store);
    for (size_t byte = 42228; byte < kSettingsStoreSize; byte += 4)
        EXPECT_EQ(byte < 42588 ? 0 : 1, words[byte / 4]) << "byte " << byte;
}

}  // namespace
}  // namespace kestra
