#include "option/performance_page.h"

namespace kestra {
namespace {

// The index of the row's button for `number`, or -1 when no button has it.
// Wide, so that no value of a damaged profile overflows on the way here.
int InRow(long long number, const ButtonRow& row) {
    return number >= 0 && number < row.count ? static_cast<int>(number) : -1;
}

// A slider position from a stored value, whatever the value.
int Position(long long value) {
    return value < -1000000 ? -1000000 : value > 1000000 ? 1000000 : static_cast<int>(value);
}

// The button's index in the row when `entry` is one of its entries, else -1.
int IndexInRow(int entry, const ButtonRow& row) {
    return entry >= row.firstEntry && entry < row.firstEntry + row.count ? entry - row.firstEntry
                                                                         : -1;
}

}  // namespace

int PointerSpeedForPosition(int position) {
    static const int kSpeeds[] = {0, 1, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20};
    if (position < 1 || position > kPointerSpeedPositions) return 10;
    return kSpeeds[position];
}

int PositionForPointerSpeed(int speed) {
    switch (speed) {
        case 0:
        case 1:
            return 1;
        case 2:
            return 2;
        case 3:
        case 4:
            return 3;
        case 5:
        case 6:
            return 4;
        case 7:
        case 8:
            return 5;
        case 11:
        case 12:
            return 7;
        case 13:
        case 14:
            return 8;
        case 15:
        case 16:
            return 9;
        case 17:
        case 18:
            return 10;
        case 19:
        case 20:
            return 11;
        default:
            return 6;
    }
}

const char* ResolutionText(int value) {
    static const char* const kTexts[] = {"800", "1200", "1600", "2000", "2400", "3200", "4000"};
    return value >= 2 && value <= 8 ? kTexts[value - 2] : "400";
}

PerformanceView ViewPerformance(const ProfileSettings& p) {
    PerformanceView v;
    v.doubleClickSlider = Position(900LL - p.DbleClickSpeed);
    v.acceleration = p.AccelerationFlag != 0;
    v.pointerSpeedSlider = PositionForPointerSpeed(p.MouseSpeed);
    v.wheelLinesSlider = p.ScrollWheelSpeed;
    v.tiltSlider = p.TiltSpeed;
    v.wheelMode = InRow(p.ScrollWheelFlag, kWheelModeRow);
    v.reportRate = InRow(p.PollingRate, kReportRateRow);
    v.resolution = InRow(p.CpiLevel_X[4] - 1LL, kResolutionRow);
    v.wheelLines = InRow(p.ScrollWheelSpeed - 1LL, kWheelLinesRow);
    v.pointerSpeed = InRow(p.MouseSpeed / 2 - 1LL, kPointerSpeedRow);
    v.doubleClick = InRow((900LL - p.DbleClickSpeed) / 70 - 1, kDoubleClickRow);
    v.resolutionText = ResolutionText(p.CpiLevel_X[4]);
    return v;
}

PerformanceChange OnPerformanceSlider(ProfileSettings& p, int sliderId, int position) {
    PerformanceChange change;
    change.stored = true;
    switch (sliderId) {
        case kDoubleClickSliderId:
            p.DbleClickSpeed = 900 - position;
            change.systemDoubleClickMs = p.DbleClickSpeed > 0 ? p.DbleClickSpeed : 0;
            break;
        case kPointerSpeedSliderId:
            p.MouseSpeed = PointerSpeedForPosition(position);
            break;
        case kWheelLinesSliderId:
            p.ScrollWheelSpeed = position;
            break;
        case kTiltSliderId:
            p.TiltSpeed = position;
            break;
        default:
            change.stored = false;
            break;
    }
    return change;
}

PerformanceChange OnPerformanceButton(ProfileSettings& p, int entry, bool checked) {
    PerformanceChange change;
    change.stored = true;
    int i;
    if (entry == kAccelerationEntry) {
        p.AccelerationFlag = checked ? 1 : 0;
        p.Acceleration = checked ? 8 : 0;
    } else if ((i = IndexInRow(entry, kWheelModeRow)) >= 0) {
        p.ScrollWheelFlag = i;
    } else if ((i = IndexInRow(entry, kReportRateRow)) >= 0) {
        p.PollingRate = i;
    } else if ((i = IndexInRow(entry, kResolutionRow)) >= 0) {
        p.CpiLevel_X[4] = i + 1;
        change.resolutionTextChanged = true;
    } else if ((i = IndexInRow(entry, kWheelLinesRow)) >= 0) {
        p.ScrollWheelSpeed = i + 1;
        change.resolutionTextChanged = true;
    } else if ((i = IndexInRow(entry, kPointerSpeedRow)) >= 0) {
        p.MouseSpeed = 2 * i + 2;
    } else if ((i = IndexInRow(entry, kDoubleClickRow)) >= 0) {
        p.DbleClickSpeed = 900 - 70 * (i + 1);
    } else {
        change.stored = false;
    }
    return change;
}

}  // namespace kestra
