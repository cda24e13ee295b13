// The settings on disk: config.ini and the five profile files in "config\".
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "settings/settings_record.h"

namespace kestra {

// One INI key of a profile file and the bytes of ProfileSettings it holds, in
// the order in which a fresh file receives the keys. Defaults, load and save
// all follow from this list.
struct ProfileKey {
    enum Kind { kInt32, kByte, kString, kButton };
    std::string name;
    size_t offset;
    Kind kind;
    size_t size;  // bytes of the field
};
const std::vector<ProfileKey>& ProfileKeys();

// The directory part (with trailing separator) of a program's file name.
std::string DirectoryOf(const std::string& programPath);

std::string ConfigIniPath(const std::string& programFolder);
std::string ProfileFilePath(const std::string& programFolder, int index);

// Step 4 of loading the store: fills the system pointer fields of the active
// profile. Left empty where no system is there to read.
using SystemSettingsReader = std::function<void(ProfileSettings&)>;

void LoadStore(const std::string& programFolder, SettingsStore& store,
               const SystemSettingsReader& readSystem = SystemSettingsReader());
void SaveStore(const std::string& programFolder, const SettingsStore& store);

// False when the file cannot be opened; the profile is then left as it was.
bool LoadProfile(const std::string& path, ProfileSettings& profile);
bool SaveProfile(const std::string& path, const ProfileSettings& profile);

void SaveCurrentProfileNumber(const std::string& programFolder, int32_t profile);
// Writes `CpiStep` of profile file `index` and nothing else of it; a file
// that is missing gets the whole profile, so that it never holds that key
// alone.
void SaveActiveLevel(const std::string& programFolder, int index, const ProfileSettings& profile);
void SaveDevicePresence(const std::string& programFolder, bool present);
int32_t ReadFirmwareVersion(const std::string& programFolder);
int32_t ReadMouseType(const std::string& programFolder);
// Section "HidAccessCode", key "Code": the time in seconds since 1970, then zeros.
void SaveAccessStamp(const std::string& programFolder, uint32_t secondsSince1970);

}  // namespace kestra
