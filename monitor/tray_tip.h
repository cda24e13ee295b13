// The tip of Monitor's tray icon: the product on the first line, the active
// profile and the resolution of its active level on the second, so that a
// glance at the tray tells which ones are in use.
#pragma once

#include <string>

#include "settings/settings_record.h"

namespace kestra {

// A tray tip holds 127 characters and its terminator.
constexpr size_t kTrayTipLength = 127;

struct TrayTipInfo {
    int profile = -1;  // 0..4; -1 shows no second line
    std::string name;  // the profile's name, in the system's code page
    int cpi = 0;       // 0 when the active level is unknown
    // The mouse is found but does not answer: the second line says so
    // instead of the profile.
    bool notAnswering = false;
    bool operator==(const TrayTipInfo& o) const {
        return profile == o.profile && name == o.name && cpi == o.cpi &&
               notAnswering == o.notAnswering;
    }
    bool operator!=(const TrayTipInfo& o) const { return !(*this == o); }
};

// What the tip shows for the settings: a damaged profile or level number
// shows no line or no resolution rather than another profile's.
TrayTipInfo TrayTipOf(const SettingsStore& store);
// The CPI of the profile's active level; 0 when the level or its value is
// out of range.
int ActiveCpi(const ProfileSettings& profile);

// "Product\nSniper (2) · 1600 CPI" in UTF-16, never longer than the tip: a
// long name is shortened with an ellipsis so that the number and the
// resolution stay readable; a product text that fills the tip by itself is
// cut, never inside a surrogate pair. `name` is the profile's name already
// converted; an empty one shows as "Profile N". For a mouse that does not
// answer the second line is `notAnswering`, cut to what the tip holds.
// Without a product text (no language library) the tip is empty.
std::u16string TrayTipText(const std::u16string& product, const std::u16string& name,
                           const TrayTipInfo& info,
                           const std::u16string& notAnswering = std::u16string());

}  // namespace kestra
