#include "settings/osd_settings.h"

#include <cstring>

#include "settings/ini_file.h"

namespace kestra {
namespace {

const char kOsdSection[] = "OSDSetting";
const char kOsdKey[] = "config";

}  // namespace

int32_t OsdSettings::Word(size_t offset) const {
    if (offset + 4 > kOsdSettingsSize) return 0;
    // Little-endian on disk whatever the host.
    return static_cast<int32_t>(uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 |
                                uint32_t(bytes[offset + 2]) << 16 |
                                uint32_t(bytes[offset + 3]) << 24);
}

void OsdSettings::SetWord(size_t offset, int32_t value) {
    if (offset + 4 > kOsdSettingsSize) return;
    const uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t OsdSettings::ForwardedValues() const {
    return (static_cast<uint32_t>(Word(32)) & 0xFFFF) << 16 |
           (static_cast<uint32_t>(Word(36)) & 0xFFFF);
}

void MakeDefaultOsdSettings(OsdSettings& settings) {
    memset(settings.bytes, 0, sizeof settings.bytes);
    settings.SetWord(140, 110);
    settings.SetWord(344, 5);
}

OsdSettings LoadOsdSettings(const std::string& configIniPath) {
    OsdSettings settings;
    memset(settings.bytes, 0, sizeof settings.bytes);
    ReadOsdSettings(configIniPath, settings);
    return settings;
}

bool ReadOsdSettings(const std::string& configIniPath, OsdSettings& settings) {
    IniFile file(configIniPath);
    return file.GetStruct(kOsdSection, kOsdKey, settings.bytes, sizeof settings.bytes);
}

bool SaveOsdSettings(const std::string& configIniPath, const OsdSettings& settings) {
    IniFile file(configIniPath);
    file.SetStruct(kOsdSection, kOsdKey, settings.bytes, sizeof settings.bytes);
    return file.Save();
}

}  // namespace kestra
