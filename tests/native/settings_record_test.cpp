#include "settings/settings_record.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kestra {
namespace {

// Most defaults are pinned where they leave the program: the profile file
// (SettingsFiles.*) and the mouse's configuration block (DeviceCommands.*).
TEST(SettingsRecord, FreshProfileHasItsButtonsAndZeroedGaps) {
    ProfileSettings p;
    memset(&p, 0xCC, sizeof p);
    MakeDefaultProfile(p, 2);
    EXPECT_STREQ("Default3", p.ProFileName);
    EXPECT_EQ(0, p.GameFile[0]);
    const uint8_t functions[] = {1, 2, 3, 7, 8, 14, 15, 0, 0, 0, 0, 0, 0, 0, 9, 10};
    for (int b = 0; b < 16; ++b) {
        EXPECT_EQ(b, p.buttons[b].button);
        EXPECT_EQ(functions[b], p.buttons[b].function);
        EXPECT_EQ(0, p.buttons[b].stepCount | p.buttons[b].label[0] | p.buttons[b].programPath[0]);
    }
    for (int i = 0; i < 5; ++i) EXPECT_EQ(1, p.dpiStepFlag[i]);
    EXPECT_EQ(0, memcmp(p.CpiLevel_X, p.CpiLevel_Y, sizeof p.CpiLevel_X));
    // Alignment gaps are zero, so records compare and checksum reproducibly.
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&p);
    EXPECT_EQ(0, bytes[750] | bytes[751] | bytes[993] | bytes[994] | bytes[995]);
}

TEST(SettingsRecord, ClearResetAndMarks) {
    SettingsStore store;
    memset(&store, 0x5A, sizeof store);
    ClearStore(store);
    EXPECT_EQ(-1, store.CurrentProfile);
    EXPECT_EQ(0, store.MouseType);
    EXPECT_EQ(0, store.profiles[4].ProFileName[0]);
    EXPECT_EQ(0, store.flags.block[4]);

    store.CurrentProfile = 3;
    ResetAllProfiles(store);
    EXPECT_EQ(0, store.CurrentProfile);
    EXPECT_STREQ("Default5", store.profiles[4].ProFileName);

    MarkProfileChanged(store, 2);
    const ChangeFlags& f = store.flags;
    EXPECT_EQ(1, f.buttons[2][15]);
    EXPECT_EQ(0, f.buttons[1][15]);
    EXPECT_EQ(1, f.otherFirst[2] & f.otherSecond[2] & f.polling[2] & f.level[2] & f.block[2]);
    EXPECT_EQ(0, f.block[3]);
    EXPECT_EQ(1, f.currentProfile);
    MarkProfileChanged(store, 5);  // out of range: nothing

    MarkAllChanged(store);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&store);
    for (size_t offset = 42228; offset < kSettingsStoreSize; offset += 4) {
        int32_t word;
        memcpy(&word, bytes + offset, 4);
        EXPECT_EQ(1, word) << offset;
    }
}

TEST(SettingsRecord, CurrentProfileIsForcedIntoRange) {
    SettingsStore store;
    ClearStore(store);
    const int cases[][2] = {{-1, 0}, {5, 0}, {7, 0}, {-100, 0}, {4, 4}};
    for (const auto& c : cases) {
        store.CurrentProfile = c[0];
        NormaliseCurrentProfile(store);
        EXPECT_EQ(c[1], store.CurrentProfile) << c[0];
    }
}

TEST(SettingsRecord, CopyTextCutsAndTerminates) {
    char field[5];
    memset(field, 'x', sizeof field);
    CopyText(field, sizeof field, "abcdefgh");
    EXPECT_STREQ("abcd", field);
    CopyText(field, sizeof field, "ab");
    EXPECT_EQ(0, field[3]);
    EXPECT_STREQ("ab", field);
}

}  // namespace
}  // namespace kestra
