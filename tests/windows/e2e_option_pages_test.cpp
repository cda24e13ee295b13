// The performance and DPI levels pages of Option.exe, with Monitor.exe and
// the virtual mouse: every control is clicked by real pointer input where
// the staged skins place it, as a user would click it; then the profile
// file, the shared block and the mouse hold exactly those changes.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "device/device_commands.h"
#include "settings/ipc_names.h"
#include "settings/settings_files.h"
#include "skin/slider_math.h"
#include "tests/windows/e2e_option_fixture_win.h"

namespace kestra {
namespace e2e {
namespace {

constexpr char kMain[] = "skin_main.ini";
constexpr char kDpi[] = "skin_DPI.ini";
constexpr char kPerformance[] = "skin_performance.ini";
constexpr char kColour[] = "skin_dpi_color.ini";

// The system's double-click time as the user's settings hold it.
int StoredDoubleClickTime() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Mouse", 0, KEY_READ, &key) != 0) return -1;
    char text[32] = {};
    DWORD size = sizeof text - 1;
    const LONG read = RegQueryValueExA(key, "DoubleClickSpeed", nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    return read == 0 ? atoi(text) : -1;
}

void StoreDoubleClickTime(int ms) {
    SetDoubleClickTime(static_cast<UINT>(ms));
    SystemParametersInfoA(SPI_SETDOUBLECLICKTIME, static_cast<UINT>(ms), nullptr,
                          SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
}

// Where a track click `at` pixels from a slider's left lands.
int ClickedValue(int at, int trackLength, ValueRange range) {
    return RoundSliderValue(TrackClickValue(at, trackLength, range), 1, false, range);
}

class OptionPagesEndToEnd : public OptionSystemTest {
protected:
    void SetUp() override {
        OptionSystemTest::SetUp();
        systemDoubleClick = StoredDoubleClickTime();
        // Monitor writes the pointer and wheel settings on Apply; they go back
        // afterwards, so that every test starts from the same system.
        SystemParametersInfoA(SPI_GETMOUSE, 0, systemMouse, 0);
        SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &systemWheelLines, 0);
    }
    void TearDown() override {
        if (systemDoubleClick > 0) StoreDoubleClickTime(systemDoubleClick);
        SystemParametersInfoA(SPI_SETMOUSE, 0, systemMouse, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
        SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, systemWheelLines, nullptr,
                              SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
        OptionSystemTest::TearDown();
    }
    void StartSystem() {
        OptionSystemTest::StartSystem();
        const RECT area = SkinEntryRect(folder, kMain, 42);
        page = {window, {area.left, area.top}};
    }
    SkinPlace Row(int level) const {
        const RECT r = SkinEntryRect(folder, kDpi, 5 + level);
        return {window, {page.origin.x + r.left, page.origin.y + r.top}};
    }
    // A track click `at` pixels from the left of a slider's rectangle.
    void ClickTrack(const SkinPlace& place, const RECT& slider, int at) {
        ClickOnScreen(ScreenPoint(place, slider.left + at, (slider.top + slider.bottom) / 2));
    }
    SkinPlace page = {nullptr, {0, 0}};
    int systemDoubleClick = -1;
    int systemMouse[3] = {};
    UINT systemWheelLines = 3;
};

TEST_F(OptionPagesEndToEnd, LevelsSensitivityReportRateAndDoubleClickReachTheMouseOnApply) {
    StartSystem();
    std::unique_ptr<SettingsStore> before(new SettingsStore());
    ASSERT_TRUE(ReadSharedBlock(*before));
    ASSERT_EQ(0, before->CurrentProfile);
    ProfileSettings expected = before->profiles[0];

    // DPI page: preset 3 of level 2, level 4's slider to its right end,
    // level 5 off, level 3 in use (its own check then cannot be used).
    ClickSkinEntry(folder, kMain, 40, Main());
    ClickSkinEntry(folder, kDpi, 62, Row(1));
    expected.CpiLevel_X[1] = 3;
    const RECT levelSlider = SkinEntryRect(folder, kDpi, 68);
    const int levelWidth = levelSlider.right - levelSlider.left;
    ClickTrack(Row(3), levelSlider, levelWidth - 1);
    expected.CpiLevel_X[3] = 144;
    ClickSkinEntry(folder, kDpi, 70, Row(4));
    expected.dpiStepFlag[4] = 0;
    // A level switched off offers nothing to change its value.
    ClickTrack(Row(4), levelSlider, 0);
    ClickSkinEntry(folder, kDpi, 60, Row(4));
    ClickSkinEntry(folder, kDpi, 71, Row(2));
    expected.CpiStep = 2;
    ClickSkinEntry(folder, kDpi, 70, Row(2));

    // Level 1's colour dialog cancelled after a change; level 3's set to green.
    ClickSkinEntry(folder, kDpi, 10, page);
    HWND dialog = WaitForPopup();
    ASSERT_NE(nullptr, dialog);
    const SkinPlace inDialog = {dialog, {0, 0}};
    const RECT red = SkinEntryRect(folder, kColour, 5);
    const int channelWidth = red.right - red.left;
    ClickTrack(inDialog, red, channelWidth - 1);
    ClickSkinEntry(folder, kColour, 2, inDialog);
    ASSERT_TRUE(PopupGone());
    ClickSkinEntry(folder, kDpi, 12, page);
    dialog = WaitForPopup();
    ASSERT_NE(nullptr, dialog);
    const SkinPlace colourDialog = {dialog, {0, 0}};
    ClickTrack(colourDialog, red, 0);
    ClickTrack(colourDialog, SkinEntryRect(folder, kColour, 6), channelWidth - 1);
    ClickTrack(colourDialog, SkinEntryRect(folder, kColour, 7), 0);
    ClickSkinEntry(folder, kColour, 1, colourDialog);
    ASSERT_TRUE(PopupGone());
    expected.DPIColor[2] = 0x00FF00;

    // X sensitivity to 7 moves Y along (X and Y set together).
    ASSERT_EQ(0, expected.XYSynchronous);
    const RECT x = SkinEntryRect(folder, kDpi, 3);
    const int xAt = (7 - 1) * (x.right - x.left - 1) / 18 + 1;
    const int sensitivity = ClickedValue(xAt, x.right - x.left, {1, 19});
    ASSERT_EQ(7, sensitivity);
    ClickTrack(page, x, xAt);
    expected.Sensitivity_X = expected.Sensitivity_Y = 7;

    // Performance page: 500 Hz, and the double-click slider to its right
    // end (200 ms), which the system takes at once.
    ClickSkinEntry(folder, kMain, 39, Main());
    ClickSkinEntry(folder, kPerformance, 12, page);
    expected.PollingRate = 2;
    ClickSkinEntry(folder, kPerformance, 52, page);  // acceleration switched over
    expected.AccelerationFlag = expected.AccelerationFlag != 0 ? 0 : 1;
    expected.Acceleration = expected.AccelerationFlag != 0 ? 8 : 0;
    ClickSkinEntry(folder, kPerformance, 15, page);  // one screen per notch
    expected.ScrollWheelFlag = 1;
    const RECT sliders = SkinEntryRect(folder, kPerformance, 0);
    const int rowHeight = (sliders.bottom - sliders.top) / 4;
    const RECT doubleClick = {sliders.left, sliders.top, sliders.right, sliders.top + rowHeight};
    ClickTrack(page, doubleClick, sliders.right - sliders.left - 1);
    expected.DbleClickSpeed = 200;
    EXPECT_TRUE(WaitUntil([] { return StoredDoubleClickTime() == 200; }, kSettle));
    // Nothing has reached the mouse or the files before Apply.
    EXPECT_TRUE(mouse.Log().empty());

    ASSERT_TRUE(ClickApplyAndWait()) << Observed(folder, mouse);

    EXPECT_TRUE(ProfileFileHolds(0, before->profiles[0], expected));
    ProfileSettings saved = before->profiles[0];
    ASSERT_TRUE(LoadProfile(ProfileFilePath(folder.path(), 0), saved));
    EXPECT_EQ(3, saved.CpiLevel_X[1]);
    EXPECT_EQ(144, saved.CpiLevel_X[3]);
    EXPECT_EQ(0, saved.dpiStepFlag[4]);
    EXPECT_EQ(2, saved.CpiStep);
    EXPECT_EQ(0x00FF00, saved.DPIColor[2]);
    EXPECT_EQ(before->profiles[0].DPIColor[0], saved.DPIColor[0]);
    EXPECT_EQ(7, saved.Sensitivity_X);
    EXPECT_EQ(7, saved.Sensitivity_Y);
    EXPECT_EQ(2, saved.PollingRate);
    EXPECT_EQ(200, saved.DbleClickSpeed);
    EXPECT_EQ(1, saved.dpiStepFlag[2]);

    std::unique_ptr<SettingsStore> after(new SettingsStore());
    ASSERT_TRUE(ReadSharedBlock(*after));
    EXPECT_EQ(0, memcmp(&expected, &after->profiles[0], sizeof expected))
        << ProfileDifferences(expected, after->profiles[0]);
    for (int p = 1; p < kProfileCount; ++p) {
        EXPECT_EQ(0, memcmp(&before->profiles[p], &after->profiles[p], sizeof expected)) << p;
    }

    // The mouse got the report rate, the active level and the configuration
    // block of profile 1, and nothing else.
    const FeatureReport open = OpenApplyReport();
    const FeatureReport rate = PollingRateReport(expected, 0);
    const FeatureReport level = CpiLevelReport(expected, 0);
    const FeatureReport block = MakeFeatureReport(kCmdConfigBlock, 1, kBlockFollows);
    const DeviceBlock bytes = BuildConfigBlock(expected);
    const FeatureReport select = SelectProfileReport(0);
    const std::vector<std::string> wanted = {
        LogLine("set", open.data(), open.size()),
        LogLine("set", rate.data(), rate.size()),
        LogLine("set", level.data(), level.size()),
        LogLine("set", block.data(), block.size()),
        LogLine("out", bytes.data(), kBlockSize / 2),
        LogLine("out", bytes.data() + kBlockSize / 2, kBlockSize / 2),
        LogLine("set", select.data(), select.size()),
    };
    EXPECT_EQ(wanted, mouse.Log());
    EXPECT_EQ("set 03 01 02 00 00 00 00 F9", wanted[1]);  // 500 Hz: every 2 ms
    EXPECT_EQ(200, StoredDoubleClickTime());
}

TEST_F(OptionPagesEndToEnd, ClosingWithoutApplyPutsTheDoubleClickTimeBack) {
    StoreDoubleClickTime(470);
    StartSystem();
    ClickSkinEntry(folder, kMain, 39, Main());
    const RECT sliders = SkinEntryRect(folder, kPerformance, 0);
    const int rowHeight = (sliders.bottom - sliders.top) / 4;
    const RECT doubleClick = {sliders.left, sliders.top, sliders.right, sliders.top + rowHeight};
    ClickTrack(page, doubleClick, sliders.right - sliders.left - 1);
    ASSERT_TRUE(WaitUntil([] { return StoredDoubleClickTime() == 200; }, kSettle));

    ClickSkinEntry(folder, kMain, 11, Main());
    ASSERT_TRUE(option.Wait(15000));
    EXPECT_EQ(470, StoredDoubleClickTime());
    EXPECT_TRUE(mouse.Log().empty());
    ProfileSettings saved = {};
    if (LoadProfile(ProfileFilePath(folder.path(), 0), saved)) {
        EXPECT_NE(200, saved.DbleClickSpeed);
    }
}

// Whether the select button of a level row shows the level in use: its face
// beside the label is the red of a selected button, not the dark of one at
// rest.
bool ShowsInUse(const SkinPlace& row, const RECT& select) {
    const POINT at = ScreenPoint(row, select.left + 4, (select.top + select.bottom) / 2);
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return GetRValue(colour) > 120 && GetGValue(colour) < 60;
}

TEST_F(OptionPagesEndToEnd, ALevelChosenOnTheMouseShowsOnTheOpenPage) {
    StartSystem();
    ClickSkinEntry(folder, kMain, 40, Main());
    MovePointerTo(ScreenPoint(Main(), 5, 5));
    const RECT select = SkinEntryRect(folder, kDpi, 71);
    ASSERT_TRUE(WaitUntil([&] { return ShowsInUse(Row(0), select); }, kSettle));
    EXPECT_FALSE(ShowsInUse(Row(3), select));

    ASSERT_TRUE(mouse.Event(0x0700, 4));  // the mouse's own button: level 4
    EXPECT_TRUE(WaitUntil([&] { return ShowsInUse(Row(3), select); }, kSettle))
        << Observed(folder, mouse);
    EXPECT_FALSE(ShowsInUse(Row(0), select));
}

TEST_F(OptionPagesEndToEnd, ADamagedProfileShowsBothPagesAndKeepsWhatWasNotTouched) {
    WriteSettings(folder, [](SettingsStore& store) {
        ProfileSettings& p = store.profiles[0];
        p.CpiLevel_X[0] = 70000;
        p.CpiLevel_X[4] = -3;
        p.CpiStep = 7;
        p.dpiStepFlag[2] = 5;
        p.DPIColor[0] = -1;
        p.Sensitivity_X = 400;
        p.Sensitivity_Y = -400;
        p.XYSynchronous = 3;
        p.PollingRate = 9;
        p.ScrollWheelFlag = -1;
        p.TiltSpeed = 1000000;
    });
    StartSystem();
    std::unique_ptr<SettingsStore> before(new SettingsStore());
    ASSERT_TRUE(ReadSharedBlock(*before));
    ProfileSettings expected = before->profiles[before->CurrentProfile];
    // The damage reached Option as it was written.
    ASSERT_EQ(70000, expected.CpiLevel_X[0]);
    ASSERT_EQ(7, expected.CpiStep);
    ASSERT_EQ(9, expected.PollingRate);

    ClickSkinEntry(folder, kMain, 40, Main());
    ClickSkinEntry(folder, kDpi, 64, Row(1));  // preset 5 of level 2
    expected.CpiLevel_X[1] = 5;
    ClickSkinEntry(folder, kMain, 39, Main());
    ClickSkinEntry(folder, kPerformance, 10, page);  // 125 Hz
    expected.PollingRate = 0;
    ClickSkinEntry(folder, kMain, 40, Main());
    ASSERT_TRUE(option.running());
    ASSERT_TRUE(ClickApplyAndWait()) << Observed(folder, mouse);

    std::unique_ptr<SettingsStore> after(new SettingsStore());
    ASSERT_TRUE(ReadSharedBlock(*after));
    EXPECT_EQ(0, memcmp(&expected, &after->profiles[before->CurrentProfile], sizeof expected))
        << ProfileDifferences(expected, after->profiles[before->CurrentProfile]);
    EXPECT_TRUE(option.running());
}

}  // namespace
}  // namespace e2e
}  // namespace kestra
