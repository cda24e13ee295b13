// The on-screen display settings: a 348-byte record that Option writes to
// config.ini (section "OSDSetting", key "config") and Monitor reads. Only a few
// words of it mean anything to Monitor; the rest is carried as it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestra {

constexpr size_t kOsdSettingsSize = 348;

struct OsdSettings {
    uint8_t bytes[kOsdSettingsSize];

    int32_t Word(size_t offset) const;
    void SetWord(size_t offset, int32_t value);

    // 1 = announce profile switches made by program watch.
    bool ProfileIndication() const { return Word(8) == 1; }
    // 1 = announce the name of a macro when its button is pressed.
    bool MacroIndication() const { return Word(12) == 1; }
    // The lParam of UM_OSD_SETTINGS: the low 16 bits of the words at 32 and
    // 36, in the high and low half.
    uint32_t ForwardedValues() const;
};

// All zero except the words at 140 (110) and 344 (5).
void MakeDefaultOsdSettings(OsdSettings& settings);

// Reads the record from config.ini. A missing or damaged value leaves all
// zero: every indication off.
OsdSettings LoadOsdSettings(const std::string& configIniPath);
// The same, but a missing or damaged value leaves `settings` as it was and
// gives false.
bool ReadOsdSettings(const std::string& configIniPath, OsdSettings& settings);
bool SaveOsdSettings(const std::string& configIniPath, const OsdSettings& settings);

}  // namespace kestra
