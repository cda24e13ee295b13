#include "settings/system_mouse_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace kestra {
namespace {

// The keys live under a scratch key of the test user, so that the prefix's
// own pointer settings are never touched.
constexpr char kBase[] = "Software\\KestraTests\\SystemMouse";

class SystemMouseRegistry : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kBase); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kBase); }

    static void SetText(const char* key, const char* name, const std::string& text) {
        HKEY k = nullptr;
        const std::string path = std::string(kBase) + "\\" + key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &k, nullptr));
        RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
        RegCloseKey(k);
    }
};

// How the values map to the six fields is checked natively (SystemMouse.*);
// here the registry itself: text values of both keys, odd values, missing keys.
TEST_F(SystemMouseRegistry, ReadsTextValuesOfBothKeysAndCreatesMissingOnes) {
    CurrentUserRegistry registry(kBase);
    ASSERT_TRUE(registry.OpenKey(kMouseRegistryKey));
    EXPECT_EQ(0, registry.ReadNumber("DoubleClickSpeed"));
    registry.CloseKey();
    HKEY k = nullptr;
    const std::string path = std::string(kBase) + "\\" + kMouseRegistryKey;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &k));
    const DWORD number = 7;
    RegSetValueExA(k, "Dword", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
    RegCloseKey(k);
    SetText(kMouseRegistryKey, "Long", std::string(100, '5'));
    SetText(kMouseRegistryKey, "Fits", "4" + std::string(78, ' '));
    ASSERT_TRUE(registry.OpenKey(kMouseRegistryKey));
    EXPECT_EQ(0, registry.ReadNumber("Dword"));
    EXPECT_EQ(0, registry.ReadNumber("Long"));
    EXPECT_EQ(4, registry.ReadNumber("Fits"));
    registry.CloseKey();

    SetText(kMouseRegistryKey, "DoubleClickSpeed", "500");
    SetText(kMouseRegistryKey, "MouseSensitivity", "12");
    SetText(kDesktopRegistryKey, "WheelScrollLines", "-1");
    ProfileSettings p;
    MakeDefaultProfile(p, 0);
    ReadSystemSettings(registry, p);
    EXPECT_EQ(500, p.DbleClickSpeed);
    EXPECT_EQ(12, p.MouseSpeed);
    EXPECT_EQ(1, p.ScrollWheelFlag);
}

// The real writes through SystemParametersInfoA land in the user's registry,
// where the next load reads them back into the same six fields.
TEST(SystemMouseUser, AppliedValuesAreReadBackFromTheRegistry) {
    ProfileSettings saved;
    MakeDefaultProfile(saved, 0);
    ReadSystemSettingsFromRegistry(saved);

    SettingsStore lastApplied{};
    SettingsStore working{};
    ClearStore(lastApplied);
    ClearStore(working);
    working.CurrentProfile = 2;
    lastApplied.profiles[2] = saved;
    ProfileSettings& wanted = working.profiles[2];
    wanted = saved;
    wanted.DbleClickSpeed = saved.DbleClickSpeed == 640 ? 610 : 640;
    wanted.MouseSpeed = saved.MouseSpeed == 14 ? 7 : 14;
    wanted.AccelerationFlag = saved.AccelerationFlag ? 0 : 1;
    wanted.ScrollWheelFlag = 0;
    wanted.ScrollWheelSpeed = saved.ScrollWheelSpeed == 7 ? 5 : 7;

    CurrentUserRegistry registry;
    SystemPointerWriter writer;
    ApplySystemSettings(working, lastApplied, false, registry, writer);

    ProfileSettings read;
    MakeDefaultProfile(read, 0);
    ReadSystemSettingsFromRegistry(read);
    EXPECT_EQ(wanted.DbleClickSpeed, read.DbleClickSpeed);
    // Wine keeps no pointer speed of its own, so MouseSpeed is not compared.
    EXPECT_EQ(wanted.AccelerationFlag, read.AccelerationFlag);
    EXPECT_EQ(wanted.ScrollWheelSpeed, read.ScrollWheelSpeed);
    EXPECT_EQ(0, read.ScrollWheelFlag);
    UINT lines = 0;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    EXPECT_EQ(static_cast<UINT>(wanted.ScrollWheelSpeed), lines);

    // Page scrolling is stored as -1 and read back as the page flag.
    SettingsStore pageScroll = working;
    pageScroll.profiles[2].ScrollWheelFlag = 1;
    ApplySystemSettings(pageScroll, working, false, registry, writer);
    ReadSystemSettingsFromRegistry(read);
    EXPECT_EQ(1, read.ScrollWheelFlag);

    // Leave the prefix as it was.
    working.profiles[2] = saved;
    ApplySystemSettings(working, pageScroll, false, registry, writer);
}

}  // namespace
}  // namespace kestra
