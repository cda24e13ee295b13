#include <gtest/gtest.h>

#include <cstring>

#include "settings/settings_record.h"

namespace kestra {
namespace {

TEST(SettingsRecord, FreshProfileHasTheDocumentedDefaults) {
    ProfileSettings p;
    memset(&p, 0xCC, sizeof p);
    MakeDefaultProfile(p, 2);
    EXPECT_STREQ("Default3", p.ProFileName);
    EXPECT_EQ(0, p.GameFile[0]);
    const int32_t cpi[] = {10, 16, 24, 40, 72};
    const int32_t colours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFF00FF, 0xFFFF00};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(cpi[i], p.CpiLevel_X[i]);
        EXPECT_EQ(cpi[i], p.CpiLevel_Y[i]);
        EXPECT_EQ(colours[i], p.DPIColor[i]);
        EXPECT_EQ(1, p.dpiStepFlag[i]);
    }
    const uint8_t functions[] = {1, 2, 3, 7, 8, 14, 15, 0, 0, 0, 0, 0, 0, 0, 9, 10};
    for (int b = 0; b < 16; ++b) {
        EXPECT_EQ(b, p.buttons[b].button);
        EXPECT_EQ(functions[b], p.buttons[b].function);
        EXPECT_EQ(0, p.buttons[b].stepCount);
        EXPECT_EQ(0, p.buttons[b].label[0]);
        EXPECT_EQ(0, p.buttons[b].programPath[0]);
    }
    EXPECT_EQ(550, p.DbleClickSpeed);
    EXPECT_EQ(3, p.PollingRate);
    EXPECT_EQ(4, p.LightSwitch);
    EXPECT_EQ(0xFFFFFF, p.ClQiSeColor[6]);
    EXPECT_EQ(2, p.Direction);
    // Alignment gaps are zero, so records compare and checksum reproducibly.
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&p);
    EXPECT_EQ(0, bytes[750]);
    EXPECT_EQ(0, bytes[751]);
    EXPECT_EQ(0, bytes[993] | bytes[994] | bytes[995]);
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
    EXPECT_EQ(1, store.flags.buttons[2][15]);
    EXPECT_EQ(0, store.flags.buttons[1][15]);
    EXPECT_EQ(1, store.flags.otherFirst[2]);
    EXPECT_EQ(1, store.flags.otherSecond[2]);
    EXPECT_EQ(1, store.flags.polling[2]);
    EXPECT_EQ(1, store.flags.level[2]);
    EXPECT_EQ(1, store.flags.block[2]);
    EXPECT_EQ(0, store.flags.block[3]);
    EXPECT_EQ(1, store.flags.currentProfile);
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
    for (int value : {-1, 5, 7, -100}) {
        store.CurrentProfile = value;
        NormaliseCurrentProfile(store);
        EXPECT_EQ(0, store.CurrentProfile);
    }
    store.CurrentProfile = 4;
    NormaliseCurrentProfile(store);
    EXPECT_EQ(4, store.CurrentProfile);
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
