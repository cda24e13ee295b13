// The performance page's rules: what each slider and button of the page
// stores in the current profile, and what a refresh shows. CPerformancePage
// (performance_page_win.cpp) only carries them out.
#pragma once

#include <string>

#include "settings/settings_record.h"

namespace kestra {

// Slider ids, in the order the page creates them.
constexpr int kDoubleClickSliderId = 201;
constexpr int kPointerSpeedSliderId = 202;
constexpr int kTiltSliderId = 204;
constexpr int kWheelLinesSliderId = 203;

// Slider ranges.
constexpr int kDoubleClickSliderMax = 700;  // 0..700 stands for 900..200 ms
constexpr int kPointerSpeedPositions = 11;  // 1..11
constexpr int kWheelLinesMax = 10;          // 1..10, also the tilt speed

// The skin entries of the page's button rows: the first entry of each row
// and how many buttons it has.
struct ButtonRow {
    int firstEntry;
    int count;
};
constexpr ButtonRow kReportRateRow = {10, 4};     // PollingRate 0..3
constexpr ButtonRow kResolutionRow = {2, 8};      // level 4's value 1..8
constexpr ButtonRow kWheelLinesRow = {20, 10};    // 1..10 lines
constexpr ButtonRow kWheelModeRow = {14, 2};      // lines, one screen
constexpr ButtonRow kDoubleClickRow = {32, 10};   // 830..200 ms
constexpr ButtonRow kPointerSpeedRow = {42, 10};  // speeds 2..20
constexpr int kAccelerationEntry = 52;
constexpr int kResolutionTextEntry = 1;
constexpr int kPerformanceSlidersEntry = 0;

// The pointer-speed slider's positions and the speeds they stand for.
int PointerSpeedForPosition(int position);
int PositionForPointerSpeed(int speed);
// "400" .. "4000" for the resolution choice 1..8; "400" for anything else.
const char* ResolutionText(int value);

// What a refresh shows. A row's `selected` is the index of its one selected
// button, -1 when the stored value matches none.
struct PerformanceView {
    int doubleClickSlider = 0;
    int pointerSpeedSlider = 0;
    int wheelLinesSlider = 0;
    int tiltSlider = 0;
    bool acceleration = false;
    int reportRate = -1;
    int resolution = -1;
    int wheelLines = -1;
    int wheelMode = -1;
    int doubleClick = -1;
    int pointerSpeed = -1;
    std::string resolutionText;
};
PerformanceView ViewPerformance(const ProfileSettings& profile);

// What the window does besides redrawing the controls from a new view.
struct PerformanceChange {
    bool stored = false;                 // the profile changed
    int systemDoubleClickMs = 0;         // > 0: set the system's time at once
    bool resolutionTextChanged = false;  // redraw the text area
};
PerformanceChange OnPerformanceSlider(ProfileSettings& profile, int sliderId, int position);
// A click on the button of skin entry `entry`; `checked` is the check
// button's new state (entry 52 only).
PerformanceChange OnPerformanceButton(ProfileSettings& profile, int entry, bool checked);

// The double-click slider changes the system's time before any apply. When
// Option ends without applying, the system must not be left disagreeing with
// the saved settings: the time it had before the first such change comes
// back.
class DoubleClickUndo {
public:
    // Before the page sets the system's time; `systemMs` is its value now.
    void BeforeImmediateChange(int systemMs) {
        if (!changed_) original_ = systemMs;
        changed_ = true;
    }
    // An apply hands the new value to Monitor, which owns it from then on.
    void Applied() { changed_ = false; }
    // At the end of Option: the time to put back, or 0 for none.
    int ToRestore() const { return changed_ ? original_ : 0; }

private:
    bool changed_ = false;
    int original_ = 0;
};

}  // namespace kestra
