// The rules of the performance and DPI levels pages: what a control stores
// in the profile and what a refresh shows, without a window.
#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "option/dpi_page.h"
#include "option/performance_page.h"
#include "tests/native/test_support.h"

namespace kestra {
namespace {

ProfileSettings DefaultProfile() {
    ProfileSettings p;
    MakeDefaultProfile(p, 0);
    return p;
}

TEST(PerformancePage, TheDefaultProfileSelectsOneButtonPerRow) {
    const PerformanceView v = ViewPerformance(DefaultProfile());
    EXPECT_EQ(4, v.doubleClick);   // button 5: 550 ms
    EXPECT_EQ(4, v.pointerSpeed);  // button 5: speed 10
    EXPECT_EQ(2, v.wheelLines);    // button 3
    EXPECT_EQ(3, v.reportRate);    // button 4: 1000 Hz
    EXPECT_EQ(0, v.wheelMode);
    EXPECT_EQ(-1, v.resolution);  // 72 is no choice of 1..8
    EXPECT_EQ("400", v.resolutionText);
    EXPECT_EQ(350, v.doubleClickSlider);
    EXPECT_EQ(6, v.pointerSpeedSlider);
    EXPECT_FALSE(v.acceleration);
}

TEST(PerformancePage, SlidersStoreTheirMappedValues) {
    ProfileSettings p = DefaultProfile();
    // Fully right: 200 ms, and the system's time is set before any apply.
    PerformanceChange c = OnPerformanceSlider(p, kDoubleClickSliderId, 700);
    EXPECT_EQ(200, p.DbleClickSpeed);
    EXPECT_EQ(200, c.systemDoubleClickMs);
    c = OnPerformanceSlider(p, kDoubleClickSliderId, 0);
    EXPECT_EQ(900, p.DbleClickSpeed);

    // Position 6 stands for 10, and 9 or 10 put the slider at 6.
    const int speeds[] = {1, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20};
    for (int position = 1; position <= 11; ++position) {
        OnPerformanceSlider(p, kPointerSpeedSliderId, position);
        EXPECT_EQ(speeds[position - 1], p.MouseSpeed) << position;
        EXPECT_EQ(position, ViewPerformance(p).pointerSpeedSlider) << position;
    }
    EXPECT_EQ(6, PositionForPointerSpeed(9));
    EXPECT_EQ(6, PositionForPointerSpeed(10));
    EXPECT_EQ(6, PositionForPointerSpeed(-5));
    EXPECT_EQ(1, PositionForPointerSpeed(0));
    EXPECT_EQ(10, PointerSpeedForPosition(12));

    OnPerformanceSlider(p, kWheelLinesSliderId, 7);
    OnPerformanceSlider(p, kTiltSliderId, 9);
    EXPECT_EQ(7, p.ScrollWheelSpeed);
    EXPECT_EQ(9, p.TiltSpeed);
    EXPECT_EQ(0, OnPerformanceSlider(p, kTiltSliderId, 9).systemDoubleClickMs);
    EXPECT_FALSE(OnPerformanceSlider(p, 205, 3).stored);
}

TEST(PerformancePage, ButtonRowsStoreTheirValuesAndSelectExactlyTheirButton) {
    ProfileSettings p = DefaultProfile();
    // Acceleration on stores 8, not the default 10; off stores 0.
    OnPerformanceButton(p, kAccelerationEntry, true);
    EXPECT_EQ(1, p.AccelerationFlag);
    EXPECT_EQ(8, p.Acceleration);
    OnPerformanceButton(p, kAccelerationEntry, false);
    EXPECT_EQ(0, p.Acceleration);

    OnPerformanceButton(p, 12, false);
    EXPECT_EQ(2, p.PollingRate);
    EXPECT_TRUE(OnPerformanceButton(p, 4, false).resolutionTextChanged);
    EXPECT_EQ(3, p.CpiLevel_X[4]);
    EXPECT_EQ("1200", ViewPerformance(p).resolutionText);
    OnPerformanceButton(p, 29, false);
    EXPECT_EQ(10, p.ScrollWheelSpeed);
    OnPerformanceButton(p, 15, false);
    EXPECT_EQ(1, p.ScrollWheelFlag);
    OnPerformanceButton(p, 51, false);
    EXPECT_EQ(20, p.MouseSpeed);
    // The double-click buttons leave the system's time alone.
    EXPECT_EQ(0, OnPerformanceButton(p, 41, false).systemDoubleClickMs);
    EXPECT_EQ(200, p.DbleClickSpeed);
    OnPerformanceButton(p, 32, false);
    EXPECT_EQ(830, p.DbleClickSpeed);

    const PerformanceView v = ViewPerformance(p);
    EXPECT_EQ(2, v.reportRate);
    EXPECT_EQ(2, v.resolution);
    EXPECT_EQ(9, v.wheelLines);
    EXPECT_EQ(1, v.wheelMode);
    EXPECT_EQ(9, v.pointerSpeed);
    EXPECT_EQ(0, v.doubleClick);

    const ProfileSettings before = p;
    for (int entry : {0, 1, 30, 31, 53, -1, 1000}) {
        EXPECT_FALSE(OnPerformanceButton(p, entry, true).stored) << entry;
    }
    EXPECT_EQ(0, memcmp(&before, &p, sizeof p));
}

TEST(PerformancePage, ValuesOfADamagedProfileSelectNothing) {
    ProfileSettings p = DefaultProfile();
    for (int bad : {INT_MIN, -1, 11, 4000, INT_MAX}) {
        p.PollingRate = bad;
        p.CpiLevel_X[4] = bad;
        p.ScrollWheelSpeed = bad;
        p.ScrollWheelFlag = bad;
        p.MouseSpeed = bad > 0 ? bad + 20 : bad;
        p.DbleClickSpeed = bad;
        const PerformanceView v = ViewPerformance(p);
        EXPECT_EQ(-1, v.reportRate) << bad;
        EXPECT_EQ(-1, v.resolution) << bad;
        EXPECT_EQ(-1, v.wheelLines) << bad;
        EXPECT_EQ(-1, v.wheelMode) << bad;
        EXPECT_EQ(-1, v.pointerSpeed) << bad;
        EXPECT_EQ(-1, v.doubleClick) << bad;
        EXPECT_EQ("400", v.resolutionText);
    }
    p.DbleClickSpeed = 899;  // (900 - 899) / 70 - 1 is no button
    EXPECT_EQ(-1, ViewPerformance(p).doubleClick);
}

TEST(PerformancePage, AnUnappliedDoubleClickChangeIsUndoneAtTheEnd) {
    DoubleClickUndo undo;
    EXPECT_EQ(0, undo.ToRestore());
    undo.BeforeImmediateChange(500);
    undo.BeforeImmediateChange(300);  // the time the page itself set
    EXPECT_EQ(500, undo.ToRestore());
    undo.Applied();
    EXPECT_EQ(0, undo.ToRestore());
    undo.BeforeImmediateChange(250);
    EXPECT_EQ(250, undo.ToRestore());
}

TEST(DpiPage, TheDefaultProfileShowsItsLevelsWithTheFirstActive) {
    const DpiView v = ViewDpi(DefaultProfile());
    const char* texts[] = {"1000", "1600", "2400", "4000", "7200"};
    for (int i = 0; i < kCpiLevelCount; ++i) {
        EXPECT_EQ(texts[i], v.rows[i].text) << i;
        EXPECT_EQ(i == 0, v.rows[i].active) << i;
        EXPECT_EQ(i != 0, v.rows[i].enableCheckUsable) << i;
    }
}

TEST(DpiPage, RowMessagesStoreTheirKindAndIgnoreTheRest) {
    ProfileSettings p = DefaultProfile();
    // Preset 3 of row 2.
    EXPECT_EQ(DpiRowOutcome::kStored, OnDpiRowMessage(p, DpiRowWParam(kDpiRowValue, 3), 502));
    EXPECT_EQ(3, p.CpiLevel_X[2]);
    EXPECT_EQ("300", ViewDpi(p).rows[2].text);
    EXPECT_EQ(DpiRowOutcome::kStored, OnDpiRowMessage(p, DpiRowWParam(kDpiRowValue, 144), 504));
    EXPECT_EQ(144, p.CpiLevel_X[4]);

    // Another row can be disabled and enabled; the active one cannot.
    OnDpiRowMessage(p, DpiRowWParam(kDpiRowEnable, 0), 503);
    EXPECT_EQ(0, p.dpiStepFlag[3]);
    EXPECT_FALSE(ViewDpi(p).rows[3].enabled);
    OnDpiRowMessage(p, DpiRowWParam(kDpiRowEnable, 1), 503);
    EXPECT_EQ(1, p.dpiStepFlag[3]);
    EXPECT_EQ(DpiRowOutcome::kIgnored, OnDpiRowMessage(p, DpiRowWParam(kDpiRowEnable, 0), 500));
    EXPECT_EQ(1, p.dpiStepFlag[0]);

    EXPECT_EQ(DpiRowOutcome::kActiveLevelChanged,
              OnDpiRowMessage(p, DpiRowWParam(kDpiRowSelect, 0), 503));
    EXPECT_EQ(3, p.CpiStep);
    EXPECT_TRUE(ViewDpi(p).rows[3].active);
    EXPECT_FALSE(ViewDpi(p).rows[3].enableCheckUsable);
    EXPECT_TRUE(ViewDpi(p).rows[0].enableCheckUsable);

    const ProfileSettings before = p;
    EXPECT_EQ(DpiRowOutcome::kIgnored, OnDpiRowMessage(p, DpiRowWParam(kDpiRowValue, 5), 499));
    EXPECT_EQ(DpiRowOutcome::kIgnored, OnDpiRowMessage(p, DpiRowWParam(kDpiRowValue, 5), 505));
    EXPECT_EQ(DpiRowOutcome::kIgnored, OnDpiRowMessage(p, DpiRowWParam(kDpiRowValue, 5), -500));
    EXPECT_EQ(DpiRowOutcome::kIgnored, OnDpiRowMessage(p, DpiRowWParam(4, 5), 501));
    EXPECT_EQ(DpiRowOutcome::kIgnored, OnDpiRowMessage(p, DpiRowWParam(0, 5), 501));
    EXPECT_EQ(0, memcmp(&before, &p, sizeof p));

    // A damaged active level marks no row and locks no check.
    p.CpiStep = 9;
    for (const DpiRowView& row : ViewDpi(p).rows) {
        EXPECT_FALSE(row.active);
        EXPECT_TRUE(row.enableCheckUsable);
    }
}

TEST(DpiPage, SensitivityFollowsTheXYRule) {
    ProfileSettings p = DefaultProfile();
    p.XYSynchronous = 0;
    ASSERT_TRUE(OnSensitivitySlider(p, kXSensitivitySliderId, 7));
    EXPECT_EQ(7, p.Sensitivity_X);
    EXPECT_EQ(7, p.Sensitivity_Y);
    EXPECT_EQ(7, ViewDpi(p).ySlider);
    OnSensitivitySlider(p, kYSensitivitySliderId, 3);
    EXPECT_EQ(3, p.Sensitivity_X);

    OnXYCheck(p, true);
    EXPECT_TRUE(ViewDpi(p).separate);
    OnSensitivitySlider(p, kXSensitivitySliderId, 5);
    OnSensitivitySlider(p, kYSensitivitySliderId, 12);
    EXPECT_EQ(5, p.Sensitivity_X);
    EXPECT_EQ(12, p.Sensitivity_Y);
    // Together again: Y takes X.
    OnXYCheck(p, false);
    EXPECT_EQ(0, p.XYSynchronous);
    EXPECT_EQ(5, p.Sensitivity_Y);
    EXPECT_FALSE(OnSensitivitySlider(p, 203, 9));
    EXPECT_EQ(5, p.Sensitivity_X);
}

TEST(DpiPage, TheColourDialogReplacesOneByteAtATime) {
    uint32_t c = 0x00112233;
    c = WithChannel(c, kRedControlId, 0xAA);
    EXPECT_EQ(0x001122AAu, c);
    c = WithChannel(c, kGreenControlId, 300);  // clamped
    EXPECT_EQ(0x0011FFAAu, c);
    c = WithChannel(c, kBlueControlId, -4);
    EXPECT_EQ(0x0000FFAAu, c);
    EXPECT_EQ(c, WithChannel(c, 403, 7));
    EXPECT_EQ(0xAA, Channel(c, kRedControlId));
    EXPECT_EQ(0xFF, Channel(c, kGreenControlId));

    ProfileSettings p = DefaultProfile();
    EXPECT_TRUE(SetLevelColour(p, 4, 0xFF123456u));
    EXPECT_EQ(0x123456, p.DPIColor[4]);
    EXPECT_EQ(0x123456u, ViewDpi(p).colours[4]);
    EXPECT_FALSE(SetLevelColour(p, 5, 0));
    EXPECT_FALSE(SetLevelColour(p, -1, 0));
}

}  // namespace
}  // namespace kestra
