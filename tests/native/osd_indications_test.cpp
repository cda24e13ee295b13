// The on-screen indications as Monitor hands them out: the texts in
// config.ini and the posted messages; the OsdSettings record they depend on.
#include "monitor/osd_indications.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "device/device_commands.h"
#include "settings/ini_file.h"
#include "settings/ipc_names.h"
#include "settings/settings_files.h"
#include "tests/native/test_folder.h"
#include "tests/native/test_support.h"

namespace kestra {
namespace {

using kestra_test::Trace;

class FakeWindows : public OsdWindows {
public:
    Trace posts;
    bool present = true;
    bool Post(const char* title, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        if (!present) return false;
        posts.push_back(std::string(strcmp(title, kOsdWindowTitle) == 0 ? "osd " : "other ") +
                        std::to_string(message) + " " + std::to_string(wParam) + " " +
                        std::to_string(lParam));
        return true;
    }
};

OsdSettings Osd(int profileIndication, int macroIndication) {
    OsdSettings osd;
    MakeDefaultOsdSettings(osd);
    osd.SetWord(8, profileIndication);
    osd.SetWord(12, macroIndication);
    return osd;
}

class OsdIndicationsTest : public ::testing::Test {
protected:
    OsdIndicationsTest() : osd(windows, ConfigIniPath(folder.path())) {
        MakeDefaultProfile(profile, 0);
    }
    Trace Take() { return kestra_test::Take(windows.posts); }
    std::string Ini(const char* section, const char* key) {
        return IniFile(ConfigIniPath(folder.path())).GetString(section, key, "<none>");
    }
    void MacroOn(int button, const char* name) {
        ButtonAssignment& b = profile.buttons[button - 1];
        b.function = kFunctionMacro;
        memset(b.label, 0, sizeof b.label);
        strncpy(b.label, name, sizeof b.label);
    }

    kestra_test::TestFolder folder;
    FakeWindows windows;
    OsdIndications osd;
    ProfileSettings profile;
};

TEST_F(OsdIndicationsTest, ProfileSwitchesByTheirReason) {
    const OsdSettings off = Osd(0, 0), on = Osd(1, 0);
    osd.ShowProfile(2, ProfileIndicationReason::kDevice, off);  // the mouse: always
    osd.ShowProfile(2, ProfileIndicationReason::kProgramWatch, off);
    osd.ShowProfile(2, ProfileIndicationReason::kDeviceSelected, off);
    EXPECT_EQ((Trace{"osd 1324 40 131072"}), Take());
    osd.ShowProfile(4, ProfileIndicationReason::kProgramWatch, on);
    osd.ShowProfile(4, ProfileIndicationReason::kDeviceSelected, on);
    EXPECT_EQ((Trace{"osd 1324 40 262144", "osd 1324 40 262144"}), Take());
    // Only the value 1 switches the indication on.
    osd.ShowProfile(1, ProfileIndicationReason::kProgramWatch, Osd(2, 0));
    osd.ShowProfile(5, ProfileIndicationReason::kDevice, on);
    osd.ShowProfile(-1, ProfileIndicationReason::kDevice, on);
    EXPECT_TRUE(Take().empty());
    EXPECT_FALSE(folder.Exists("config.ini"));
}

TEST_F(OsdIndicationsTest, DpiLevelsWriteTheirTextEvenWhenEmpty) {
    osd.ShowDpiLevel(profile, 2);
    EXPECT_EQ("CPI: 1600", Ini("OSDData", "Message"));
    osd.ShowDpiLevel(profile, 7);
    EXPECT_EQ("", Ini("OSDData", "Message"));
    EXPECT_EQ((Trace{"osd 1324 50 0", "osd 1324 50 0"}), Take());
    // Without the display program the text is still written.
    windows.present = false;
    osd.ShowDpiLevel(profile, 1);
    EXPECT_EQ("CPI: 1000", Ini("OSDData", "Message"));
    osd.ShowDpiLevel(profile, 9);
    EXPECT_EQ("CPI: 1000", Ini("OSDData", "Message"));
}

TEST_F(OsdIndicationsTest, MacroNumbersAndNames) {
    const OsdSettings on = Osd(0, 1);
    MacroOn(14, "Reload");
    osd.ShowMacro(profile, 14, on);
    EXPECT_EQ("3", Ini("MacroOSD", "Number"));
    EXPECT_EQ("Reload", Ini("MacroOSD", "MacroName"));
    MacroOn(1, "Burst");
    osd.ShowMacro(profile, 1, on);
    EXPECT_EQ("0", Ini("MacroOSD", "Number"));
    EXPECT_EQ("Burst", Ini("MacroOSD", "MacroName"));
    EXPECT_EQ((Trace{"osd 1324 70 0", "osd 1324 70 0"}), Take());

    // A label that fills its whole field is read within it.
    ButtonAssignment& full = profile.buttons[4];
    full.function = kFunctionMacro;
    memset(full.label, 'M', sizeof full.label);
    osd.ShowMacro(profile, 5, on);
    EXPECT_EQ(std::string(sizeof full.label, 'M'), Ini("MacroOSD", "MacroName"));
}

TEST_F(OsdIndicationsTest, NoMacroIndicationLeavesConfigIniUntouched) {
    MacroOn(3, "Combo");
    MacroOn(16, "Last");
    folder.Write("config.ini", "[Setting]\r\nCurrentProfile=1\r\n");
    osd.ShowMacro(profile, 3, Osd(1, 0));   // switched off
    osd.ShowMacro(profile, 2, Osd(0, 1));   // no macro on that button
    osd.ShowMacro(profile, 16, Osd(0, 1));  // beyond the announced buttons
    osd.ShowMacro(profile, 0, Osd(0, 1));
    EXPECT_TRUE(Take().empty());
    EXPECT_EQ("[Setting]\r\nCurrentProfile=1\r\n", folder.Read("config.ini"));
}

TEST_F(OsdIndicationsTest, TextsAreStoredAlwaysAndAnnouncedWhileConnected) {
    osd.ShowText("Mail: 3 new", false);
    EXPECT_EQ("Mail: 3 new", Ini("OSDData", "Message"));
    EXPECT_TRUE(Take().empty());
    // A line break would start a key of its own.
    osd.ShowText("one\r\ntwo=2", true);
    EXPECT_EQ("one  two=2", Ini("OSDData", "Message"));
    EXPECT_EQ("<none>", Ini("OSDData", "two"));
    EXPECT_EQ((Trace{"osd 1324 50 0"}), Take());
}

TEST_F(OsdIndicationsTest, SettingsForwardTheLowHalvesOfTwoWords) {
    OsdSettings s = Osd(1, 1);
    s.SetWord(32, 0x12345);
    s.SetWord(36, -2);
    osd.SettingsChanged(s);
    EXPECT_EQ((Trace{"osd 1326 0 " + std::to_string(static_cast<intptr_t>(0x2345FFFE))}), Take());
}

TEST(OsdSettings, DefaultsForwardedValuesAndDamagedRecords) {
    OsdSettings s;
    MakeDefaultOsdSettings(s);
    EXPECT_EQ(110, s.Word(140));
    EXPECT_EQ(5, s.Word(344));
    EXPECT_FALSE(s.ProfileIndication());
    EXPECT_FALSE(s.MacroIndication());
    EXPECT_EQ(0u, s.ForwardedValues());
    EXPECT_EQ(0, s.Word(345));  // a word past the record reads as 0

    kestra_test::TestFolder folder;
    const std::string ini = ConfigIniPath(folder.path());
    s.SetWord(8, 1);
    s.SetWord(32, 3);
    s.SetWord(36, 0x10007);
    ASSERT_TRUE(SaveOsdSettings(ini, s));
    const OsdSettings loaded = LoadOsdSettings(ini);
    EXPECT_TRUE(loaded.ProfileIndication());
    EXPECT_EQ(0x00030007u, loaded.ForwardedValues());

    // One digit changed: the sum fails, every indication is off.
    std::string text = folder.Read("config.ini");
    const size_t at = text.find("config=") + 7;
    text[at + 16] = text[at + 16] == '0' ? '1' : '0';
    folder.Write("config.ini", text);
    const OsdSettings damaged = LoadOsdSettings(ini);
    for (uint8_t byte : damaged.bytes) ASSERT_EQ(0, byte);
    OsdSettings kept = s;
    EXPECT_FALSE(ReadOsdSettings(ini, kept));
    EXPECT_EQ(0, memcmp(kept.bytes, s.bytes, sizeof s.bytes));
}

}  // namespace
}  // namespace kestra
