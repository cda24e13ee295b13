#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/ini_file.h"
#include "settings/settings_files.h"
#include "tests/native/test_folder.h"

namespace kestra {
namespace {

using kestra_test::TestFolder;

// A file keeps one value for each of "ColorOptions1" and "ColorOptions2": the
// array element's. This is what a profile looks like after a round trip.
ProfileSettings AsStoredInFile(ProfileSettings p) {
    p.ColorOptions1 = static_cast<uint8_t>(p.ColorOptions[1]);
    p.ColorOptions2 = static_cast<uint8_t>(p.ColorOptions[2]);
    return p;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(SettingsFiles, FreshFolderGetsFiveDefaultProfiles) {
    TestFolder folder;
    SettingsStore store;
    ClearStore(store);
    int systemReads = 0;
    LoadStore(folder.path(), store, [&](ProfileSettings& p) {
        ++systemReads;
        p.MouseSpeed = 13;
    });
    EXPECT_EQ(0, store.CurrentProfile);
    EXPECT_EQ(-1, store.MouseType);
    EXPECT_EQ(1, systemReads);
    EXPECT_EQ(13, store.profiles[0].MouseSpeed);  // the active profile only
    EXPECT_EQ(10, store.profiles[1].MouseSpeed);
    for (int i = 0; i < 5; ++i) {
        const std::string name = "config\\Default" + std::to_string(i) + ".gmp";
        ASSERT_TRUE(folder.Exists(name)) << name;
        ProfileSettings p;
        ASSERT_TRUE(LoadProfile(folder.path() + name, p));
        ProfileSettings expected;
        MakeDefaultProfile(expected, i);
        expected = AsStoredInFile(expected);
        EXPECT_EQ(0, memcmp(&expected, &p, sizeof p)) << i;
        EXPECT_EQ("Default" + std::to_string(i + 1), std::string(p.ProFileName));
    }
}

TEST(SettingsFiles, FreshProfileFileHasTheKeysInOrder) {
    TestFolder folder;
    ProfileSettings p;
    MakeDefaultProfile(p, 0);
    ASSERT_TRUE(SaveProfile(folder.path() + "p.gmp", p));
    const std::string text = folder.Read("p.gmp");
    const char* expectedStart =
        "[Setting]\r\nProFileName=Default1\r\nGameFile=\r\nDbleClickSpeed=550\r\nScrollWheelSpeed=3\r\n"
        "ScrollWheelFlag=0\r\nMouseSpeed=10\r\nAcceleration=10\r\nAccelerationFlag=0\r\nTiltSpeed=3\r\n"
        "MediaOption=0\r\nHDDKeyboard=1\r\nOrientation=0\r\nXYSynchronous=0\r\nSensitivity_X=10\r\n"
        "Sensitivity_Y=10\r\nXYCpiFlag=1\r\nLightIntensity=3\r\nBreathSpeed=2\r\nTimeCloseFlag=1\r\n"
        "CpiLevel_X0=10\r\n";
    EXPECT_EQ(0u, text.find(expectedStart));
    // Groups follow one another in the fixed order.
    const char* order[] = {"DpiIndicationType=1", "PollingRate=3",  "OTGSpeed=10",
                           "BtnConfiguration=4",  "ColorOptions1=0", "ColorOptions2=0",
                           "ProfileSwitchIndictor=1", "XuanCaiDirection=0", "Direction=2",
                           "ClQiSeColor0=16711935",  "ColorOptions0=0", "ColorOptions7=0",
                           "DPIColor4=16776960",     "MacroKeyInfo0=",  "MacroKeyInfo15="};
    size_t last = 0;
    for (const char* key : order) {
        size_t at = text.find(std::string("\r\n") + key);
        ASSERT_NE(std::string::npos, at) << key;
        EXPECT_GT(at, last) << key;
        last = at;
    }
    // "ColorOptions1" stands once, at its first place, with the array's value.
    EXPECT_EQ(1u, Count(text, "ColorOptions1="));
    EXPECT_EQ(1u, Count(text, "ColorOptions2="));
    // Each button record is 460 bytes: 922 hexadecimal digits.
    size_t at = text.find("MacroKeyInfo3=") + strlen("MacroKeyInfo3=");
    EXPECT_EQ(922u, text.find("\r\n", at) - at);
}

TEST(SettingsFiles, ColourOptionKeysFillBothFields) {
    TestFolder folder;
    folder.Write("p.gmp", "[Setting]\r\nColorOptions1=300\r\nColorOptions2=7\r\n");
    ProfileSettings p;
    ASSERT_TRUE(LoadProfile(folder.path() + "p.gmp", p));
    EXPECT_EQ(300, p.ColorOptions[1]);
    EXPECT_EQ(300 & 0xFF, p.ColorOptions1);
    EXPECT_EQ(7, p.ColorOptions[2]);
    EXPECT_EQ(7, p.ColorOptions2);
}

TEST(SettingsFiles, RoundTripKeepsEveryField) {
    TestFolder folder;
    ProfileSettings p;
    MakeDefaultProfile(p, 4);
    CopyText(p.GameFile, sizeof p.GameFile, "C:\\Games\\shooter.exe");
    p.PollingRate = -5;
    p.dpiIndicator[3] = 200;
    p.ColorOptions[1] = 9;
    p = AsStoredInFile(p);
    p.buttons[3].function = 16;
    CopyText(p.buttons[3].label, sizeof p.buttons[3].label, "combo");
    p.buttons[3].stepCount = 2;
    p.buttons[3].steps[0] = MacroStep{4, 1, 20};
    p.buttons[3].steps[1] = MacroStep{4, 2, 1500};
    p.buttons[3].repeatCount = 3;
    ASSERT_TRUE(SaveProfile(folder.path() + "p.gmp", p));
    ProfileSettings back;
    ASSERT_TRUE(LoadProfile(folder.path() + "p.gmp", back));
    EXPECT_EQ(0, memcmp(&p, &back, sizeof p));

    SettingsStore store;
    ClearStore(store);
    ResetAllProfiles(store);
    store.CurrentProfile = 2;
    store.MouseType = 6;
    store.profiles[2] = p;
    for (ProfileSettings& each : store.profiles) each = AsStoredInFile(each);
    SaveStore(folder.path(), store);
    SettingsStore loaded;
    ClearStore(loaded);
    LoadStore(folder.path(), loaded);
    EXPECT_EQ(2, loaded.CurrentProfile);
    EXPECT_EQ(6, loaded.MouseType);
    EXPECT_EQ(0, memcmp(store.profiles, loaded.profiles, sizeof store.profiles));
}

TEST(SettingsFiles, ConfigIniValues) {
    TestFolder folder;
    folder.Write("config.ini", "[Setting]\r\nCurrentProfile=7\r\n");
    SettingsStore store;
    ClearStore(store);
    LoadStore(folder.path(), store);
    EXPECT_EQ(0, store.CurrentProfile);
    EXPECT_EQ(100, ReadFirmwareVersion(folder.path()));
    EXPECT_EQ(0, ReadMouseType(folder.path()));

    SaveDevicePresence(folder.path(), true);
    SaveCurrentProfileNumber(folder.path(), 3);
    SaveAccessStamp(folder.path(), 0x01020304);
    EXPECT_EQ(
        "[Setting]\r\nCurrentProfile=3\r\nDevice=1\r\n[HidAccessCode]\r\n"
        "Code=04030201000000000000000000000000" "0A\r\n",
        folder.Read("config.ini"));
}

TEST(SettingsFiles, DamagedValuesFallBackSafely) {
    TestFolder folder;
    ProfileSettings p;
    MakeDefaultProfile(p, 0);
    p.buttons[5].function = 17;
    ASSERT_TRUE(SaveProfile(folder.path() + "p.gmp", p));
    std::string text = folder.Read("p.gmp");
    // Change one digit of button 5's record: its sum no longer matches.
    size_t at = text.find("MacroKeyInfo5=") + strlen("MacroKeyInfo5=") + 3;
    text[at] = text[at] == '0' ? '1' : '0';
    // No PollingRate, a name longer than the record holds.
    size_t rate = text.find("PollingRate=3\r\n");
    text.erase(rate, strlen("PollingRate=3\r\n"));
    size_t name = text.find("ProFileName=Default1");
    text.replace(name, strlen("ProFileName=Default1"), "ProFileName=" + std::string(3000, 'N'));
    folder.Write("p.gmp", text);

    ProfileSettings back;
    ASSERT_TRUE(LoadProfile(folder.path() + "p.gmp", back));
    EXPECT_EQ(-1, back.PollingRate);
    EXPECT_EQ(14, back.buttons[5].function);  // the default assignment, not 17
    EXPECT_EQ(249u, strlen(back.ProFileName));
    EXPECT_EQ(0, back.GameFile[0]);
}

TEST(SettingsFiles, ButtonRecordsCannotLeadReadersOutOfBounds) {
    TestFolder folder;
    ButtonAssignment b;
    memset(&b, 'A', sizeof b);
    b.stepCount = 999;
    folder.Write("p.gmp", "[Setting]\r\nMacroKeyInfo0=" + EncodeIniStruct(&b, sizeof b) + "\r\n");
    ProfileSettings p;
    ASSERT_TRUE(LoadProfile(folder.path() + "p.gmp", p));
    EXPECT_EQ(40, p.buttons[0].stepCount);
    EXPECT_EQ(25u, strlen(p.buttons[0].label));
    EXPECT_EQ(261u, strlen(p.buttons[0].programPath));
}

TEST(SettingsFiles, GarbageAndTruncatedFilesLoad) {
    TestFolder folder;
    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 7919) & 0xFF);
    folder.Write("g.gmp", garbage);
    ProfileSettings p;
    EXPECT_TRUE(LoadProfile(folder.path() + "g.gmp", p));
    EXPECT_LT(strlen(p.ProFileName), 250u);

    ProfileSettings full;
    MakeDefaultProfile(full, 1);
    full.buttons[15].function = 20;
    ASSERT_TRUE(SaveProfile(folder.path() + "t.gmp", full));
    std::string text = folder.Read("t.gmp");
    folder.Write("t.gmp", text.substr(0, text.size() / 2));
    ProfileSettings half;
    ASSERT_TRUE(LoadProfile(folder.path() + "t.gmp", half));
    EXPECT_EQ(full.DbleClickSpeed, half.DbleClickSpeed);
    EXPECT_EQ(full.Direction, half.Direction);
    EXPECT_EQ(10, half.buttons[15].function);  // cut off: the default assignment

    EXPECT_FALSE(LoadProfile(folder.path() + "missing.gmp", half));
}

}  // namespace
}  // namespace kestra
