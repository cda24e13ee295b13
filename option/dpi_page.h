// The DPI levels page's rules: what a level row's message, a sensitivity
// slider, the X/Y check and a colour swatch store in the current profile,
// and what a refresh shows. CDpiPage and CDpiLevelRow (dpi_page_win.cpp)
// only carry them out.
#pragma once

#include <cstdint>
#include <string>

#include "settings/settings_record.h"

namespace kestra {

// A level row to its page: wParam = (kind << 16) | (value & 0xFFFF),
// lParam = the row's id.
constexpr unsigned UM_DPI_ROW = 0x468;
constexpr int kDpiRowFirstId = 500;  // rows 500..504 are levels 0..4
enum DpiRowKind : int {
    kDpiRowEnable = 1,  // value: the enable check's new state
    kDpiRowValue = 2,   // value: the level's new value
    kDpiRowSelect = 3,  // the select button: the row's level becomes active
};
inline uintptr_t DpiRowWParam(int kind, int value) {
    return (static_cast<uintptr_t>(kind) << 16) | (static_cast<uintptr_t>(value) & 0xFFFF);
}

// The page's controls.
constexpr int kXSensitivitySliderId = 201;
constexpr int kYSensitivitySliderId = 202;
constexpr int kSensitivityMin = 1;
constexpr int kSensitivityMax = 19;
constexpr int kXYCheckEntry = 2;
constexpr int kXSliderEntry = 3;
constexpr int kYSliderEntry = 4;
constexpr int kFirstRowEntry = 5;      // "5".."9"
constexpr int kFirstSwatchEntry = 10;  // "10".."14"

// A row's value slider and presets.
constexpr int kLevelSliderMin = 4;
constexpr int kLevelSliderMax = 144;
constexpr int kLevelPresetCount = 8;  // values 1..8

// "%d" of the value × 100, as the row shows it.
std::string LevelText(int value);

struct DpiRowView {
    int value = 0;
    bool enabled = false;
    bool active = false;
    // The enable check of the active level cannot be used: the level in use
    // cannot be switched off.
    bool enableCheckUsable = true;
    std::string text;
};
struct DpiView {
    DpiRowView rows[kCpiLevelCount];
    uint32_t colours[kCpiLevelCount] = {};  // 0x00BBGGRR
    int xSlider = 0;
    int ySlider = 0;
    bool separate = false;  // the X/Y check: X and Y set separately
};
DpiView ViewDpi(const ProfileSettings& profile);

// What a row's message did.
enum class DpiRowOutcome {
    kIgnored,
    kStored,
    kActiveLevelChanged,  // the rows' active marks and the lighting page follow
};
DpiRowOutcome OnDpiRowMessage(ProfileSettings& profile, uintptr_t wParam, intptr_t lParam);

// Sensitivity slider `sliderId` moved to `position`; both sliders show the
// view afterwards.
bool OnSensitivitySlider(ProfileSettings& profile, int sliderId, int position);
// The X/Y check clicked to `separate`.
void OnXYCheck(ProfileSettings& profile, bool separate);
// The level colour dialog gave `colour` for level `level` (0..4).
bool SetLevelColour(ProfileSettings& profile, int level, uint32_t colour);

// The level colour dialog: three controls, each replacing one byte of the
// colour (400 red, 401 green, 402 blue).
constexpr int kRedControlId = 400;
constexpr int kGreenControlId = 401;
constexpr int kBlueControlId = 402;
// The colour with the byte of `controlId` replaced by `value` (0..255,
// clamped); other ids leave it as it is.
uint32_t WithChannel(uint32_t colour, int controlId, int value);
int Channel(uint32_t colour, int controlId);

}  // namespace kestra
