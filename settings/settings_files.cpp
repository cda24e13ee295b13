#include "settings/settings_files.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "settings/file_system.h"
#include "settings/ini_file.h"

namespace kestra {
namespace {

const char kSettingSection[] = "Setting";

std::string Indexed(const char* name, int i) {
    char key[64];
    snprintf(key, sizeof key, "%s%d", name, i);
    return key;
}

#define FIELD(f) offsetof(ProfileSettings, f)

std::vector<ProfileKey> BuildProfileKeys() {
    std::vector<ProfileKey> keys;
    auto add = [&keys](const std::string& name, size_t offset, ProfileKey::Kind kind, size_t size) {
        keys.push_back(ProfileKey{name, offset, kind, size});
    };
    auto addInt = [&](const char* name, size_t offset) { add(name, offset, ProfileKey::kInt32, 4); };
    auto addByte = [&](const char* name, size_t offset) { add(name, offset, ProfileKey::kByte, 1); };
    auto addInts = [&](const char* name, size_t offset, int count) {
        for (int i = 0; i < count; ++i) add(Indexed(name, i), offset + 4 * i, ProfileKey::kInt32, 4);
    };

    add("ProFileName", FIELD(ProFileName), ProfileKey::kString, kProfileNameSize);
    add("GameFile", FIELD(GameFile), ProfileKey::kString, kGameFileSize);

    addInt("DbleClickSpeed", FIELD(DbleClickSpeed));
    addInt("ScrollWheelSpeed", FIELD(ScrollWheelSpeed));
    addInt("ScrollWheelFlag", FIELD(ScrollWheelFlag));
    addInt("MouseSpeed", FIELD(MouseSpeed));
    addInt("Acceleration", FIELD(Acceleration));
    addInt("AccelerationFlag", FIELD(AccelerationFlag));
    addInt("TiltSpeed", FIELD(TiltSpeed));
    addInt("MediaOption", FIELD(MediaOption));
    addInt("HDDKeyboard", FIELD(HDDKeyboard));
    addInt("Orientation", FIELD(Orientation));
    addInt("XYSynchronous", FIELD(XYSynchronous));
    addInt("Sensitivity_X", FIELD(Sensitivity_X));
    addInt("Sensitivity_Y", FIELD(Sensitivity_Y));
    addInt("XYCpiFlag", FIELD(XYCpiFlag));
    addInt("LightIntensity", FIELD(LightIntensity));
    addInt("BreathSpeed", FIELD(BreathSpeed));
    addInt("TimeCloseFlag", FIELD(TimeCloseFlag));

    addInts("CpiLevel_X", FIELD(CpiLevel_X), kCpiLevelCount);
    addInts("CpiLevel_Y", FIELD(CpiLevel_Y), kCpiLevelCount);
    addInt("CpiStep", FIELD(CpiStep));
    addInts("dpiStepFlag", FIELD(dpiStepFlag), kCpiLevelCount);
    for (int i = 0; i < kCpiLevelCount; ++i)
        add(Indexed("dpiIndicator", i), FIELD(dpiIndicator) + i, ProfileKey::kByte, 1);
    addByte("DpiIndicationType", FIELD(DpiIndicationType));

    addInt("PollingRate", FIELD(PollingRate));
    addInt("LiftSwitch", FIELD(LiftSwitch));
    addInt("LiftLevel", FIELD(LiftLevel));
    addInt("LightSwitch", FIELD(LightSwitch));
    addInt("LightType", FIELD(LightType));
    addInt("ColorFlag", FIELD(ColorFlag));
    addInt("ColorChangeMode", FIELD(ColorChangeMode));
    addInt("BTOption", FIELD(BTOption));
    addInt("OTGSpeed", FIELD(OTGSpeed));

    addByte("BtnConfiguration", FIELD(BtnConfiguration));
    addByte("Color1Type", FIELD(Color1Type));
    addByte("Color2Type", FIELD(Color2Type));
    addByte("LightEffectSwitch1", FIELD(LightEffectSwitch1));
    addByte("LightEffectSwitch2", FIELD(LightEffectSwitch2));
    addByte("LightEffectType1", FIELD(LightEffectType1));
    addByte("LightEffectType2", FIELD(LightEffectType2));
    // "ColorOptions1" and "ColorOptions2" also name elements 1 and 2 of the
    // colour option array below: the array is written later and wins in the
    // file, and loading gives both fields the value.
    addByte("ColorOptions1", FIELD(ColorOptions1));
    addByte("ColorOptions2", FIELD(ColorOptions2));
    addByte("ColorChangeModeOptions1", FIELD(ColorChangeModeOptions1));
    addByte("ColorChangeModeOptions2", FIELD(ColorChangeModeOptions2));
    addByte("FireOrOnToGoStatusIndicatorSetting", FIELD(FireOrOnToGoStatusIndicatorSetting));
    addByte("ProfileSwitchIndictor", FIELD(ProfileSwitchIndictor));

    addInt("XuanCaiDirection", FIELD(XuanCaiDirection));
    addInt("XuanCaiSpeed", FIELD(XuanCaiSpeed));
    addInt("QiSeIntensity", FIELD(QiSeIntensity));
    addInt("QiSeSpeed", FIELD(QiSeSpeed));
    addInt("QiSeType", FIELD(QiSeType));
    addInt("DanSeIntensity", FIELD(DanSeIntensity));
    addInt("DanSeSpeed", FIELD(DanSeSpeed));
    addInt("DanSeType", FIELD(DanSeType));
    addInt("DanSeSpecielSpeed", FIELD(DanSeSpecielSpeed));
    addInt("XuanCaiSpecielSpeed", FIELD(XuanCaiSpecielSpeed));
    addInt("QiSeSpecielSpeed", FIELD(QiSeSpecielSpeed));
    addInt("NeonSpecielSpeed", FIELD(NeonSpecielSpeed));
    addInt("NeonSpeed", FIELD(NeonSpeed));
    addInt("NeonIntensity", FIELD(NeonIntensity));
    addInt("Direction", FIELD(Direction));

    addInts("ClQiSeColor", FIELD(ClQiSeColor), 7);
    addInts("ColorOptions", FIELD(ColorOptions), 8);
    addInts("DPIColor", FIELD(DPIColor), kCpiLevelCount);

    for (int b = 0; b < kButtonCount; ++b)
        add(Indexed("MacroKeyInfo", b), FIELD(buttons) + b * sizeof(ButtonAssignment),
            ProfileKey::kButton, sizeof(ButtonAssignment));
    return keys;
}

#undef FIELD

// A button record from a file is kept byte for byte, but nothing in it may
// later lead a reader past its fields.
void MakeButtonSafe(ButtonAssignment& button) {
    button.label[kButtonLabelSize - 1] = 0;
    button.programPath[kProgramPathSize - 1] = 0;
    if (button.stepCount > kMacroStepSlots) button.stepCount = kMacroStepSlots;
}

void ReadProfile(const IniFile& file, ProfileSettings& profile) {
    unsigned char* base = reinterpret_cast<unsigned char*>(&profile);
    memset(&profile, 0, sizeof profile);
    for (int b = 0; b < kButtonCount; ++b) MakeDefaultButton(profile.buttons[b], b);
    for (const ProfileKey& key : ProfileKeys()) {
        unsigned char* field = base + key.offset;
        switch (key.kind) {
        case ProfileKey::kString: {
            const std::string text = file.GetString(kSettingSection, key.name);
            CopyText(reinterpret_cast<char*>(field), key.size, text.c_str());
            break;
        }
        case ProfileKey::kInt32: {
            const int32_t value = file.GetInt(kSettingSection, key.name, -1);
            memcpy(field, &value, 4);
            break;
        }
        case ProfileKey::kByte:
            *field = static_cast<unsigned char>(file.GetInt(kSettingSection, key.name, -1) & 0xFF);
            break;
        case ProfileKey::kButton: {
            ButtonAssignment button;
            // A missing or damaged record keeps the default assignment.
            if (file.GetStruct(kSettingSection, key.name, &button, sizeof button)) {
                MakeButtonSafe(button);
                memcpy(field, &button, sizeof button);
            }
            break;
        }
        }
    }
}

void WriteProfile(IniFile& file, const ProfileSettings& profile) {
    const unsigned char* base = reinterpret_cast<const unsigned char*>(&profile);
    for (const ProfileKey& key : ProfileKeys()) {
        const unsigned char* field = base + key.offset;
        switch (key.kind) {
        case ProfileKey::kString: {
            const char* text = reinterpret_cast<const char*>(field);
            file.SetString(kSettingSection, key.name, std::string(text, strnlen(text, key.size)));
            break;
        }
        case ProfileKey::kInt32: {
            int32_t value;
            memcpy(&value, field, 4);
            file.SetInt(kSettingSection, key.name, value);
            break;
        }
        case ProfileKey::kByte:
            file.SetInt(kSettingSection, key.name, *field);
            break;
        case ProfileKey::kButton:
            file.SetStruct(kSettingSection, key.name, field, key.size);
            break;
        }
    }
}

void EnsureConfigFolder(const std::string& programFolder) {
    EnsureDirectory(programFolder + "config");
}

}  // namespace

const std::vector<ProfileKey>& ProfileKeys() {
    static const std::vector<ProfileKey> keys = BuildProfileKeys();
    return keys;
}

std::string DirectoryOf(const std::string& programPath) {
    const size_t slash = programPath.find_last_of("\\/");
    if (slash == std::string::npos) return std::string();
    return programPath.substr(0, slash + 1);
}

std::string ConfigIniPath(const std::string& programFolder) { return programFolder + "config.ini"; }

std::string ProfileFilePath(const std::string& programFolder, int index) {
    char name[32];
    snprintf(name, sizeof name, "Default%d", index);
    return programFolder + "config\\" + name + ".gmp";
}

bool LoadProfile(const std::string& path, ProfileSettings& profile) {
    if (!CanOpenForReading(path)) return false;
    IniFile file(path);
    ReadProfile(file, profile);
    return true;
}

bool SaveProfile(const std::string& path, const ProfileSettings& profile) {
    IniFile file(path);
    WriteProfile(file, profile);
    return file.Save();
}

void LoadStore(const std::string& programFolder, SettingsStore& store,
               const SystemSettingsReader& readSystem) {
    {
        IniFile config(ConfigIniPath(programFolder));
        store.CurrentProfile = config.GetInt(kSettingSection, "CurrentProfile", -1);
        store.MouseType = config.GetInt(kSettingSection, "MouseType", -1);
    }
    NormaliseCurrentProfile(store);
    EnsureConfigFolder(programFolder);
    for (int i = 0; i < kProfileCount; ++i) {
        const std::string path = ProfileFilePath(programFolder, i);
        if (!LoadProfile(path, store.profiles[i])) {
            MakeDefaultProfile(store.profiles[i], i);
            SaveProfile(path, store.profiles[i]);
        }
    }
    if (readSystem) readSystem(store.profiles[store.CurrentProfile]);
}

void SaveStore(const std::string& programFolder, const SettingsStore& store) {
    IniFile config(ConfigIniPath(programFolder));
    config.SetInt(kSettingSection, "CurrentProfile", store.CurrentProfile);
    config.SetInt(kSettingSection, "MouseType", store.MouseType);
    config.Save();
    EnsureConfigFolder(programFolder);
    for (int i = 0; i < kProfileCount; ++i)
        SaveProfile(ProfileFilePath(programFolder, i), store.profiles[i]);
}

void SaveCurrentProfileNumber(const std::string& programFolder, int32_t profile) {
    IniFile config(ConfigIniPath(programFolder));
    config.SetInt(kSettingSection, "CurrentProfile", profile);
    config.Save();
}

void SaveActiveLevel(const std::string& programFolder, int index, const ProfileSettings& profile) {
    if (index < 0 || index >= kProfileCount) return;
    EnsureConfigFolder(programFolder);
    const std::string path = ProfileFilePath(programFolder, index);
    if (!CanOpenForReading(path)) {
        SaveProfile(path, profile);
        return;
    }
    IniFile file(path);
    file.SetInt(kSettingSection, "CpiStep", profile.CpiStep);
    file.Save();
}

void SaveDevicePresence(const std::string& programFolder, bool present) {
    IniFile config(ConfigIniPath(programFolder));
    config.SetInt(kSettingSection, "Device", present ? 1 : 0);
    config.Save();
}

int32_t ReadFirmwareVersion(const std::string& programFolder) {
    return IniFile(ConfigIniPath(programFolder)).GetInt(kSettingSection, "FWVersion", 100);
}

int32_t ReadMouseType(const std::string& programFolder) {
    return IniFile(ConfigIniPath(programFolder)).GetInt(kSettingSection, "MouseType", 0);
}

void SaveAccessStamp(const std::string& programFolder, uint32_t secondsSince1970) {
    unsigned char code[16] = {};
    for (int i = 0; i < 4; ++i) code[i] = static_cast<unsigned char>(secondsSince1970 >> (8 * i));
    IniFile config(ConfigIniPath(programFolder));
    config.SetStruct("HidAccessCode", "Code", code, sizeof code);
    config.Save();
}

}  // namespace kestra
