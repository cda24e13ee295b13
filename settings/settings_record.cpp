#include "settings/settings_record.h"

#include <cstdio>
#include <cstring>

namespace kestra {

const uint8_t kDefaultButtonFunctions[kButtonCount] = {1, 2, 3, 7, 8, 14, 15, 0,
                                                       0, 0, 0, 0, 0, 0, 9, 10};

void CopyText(char* target, size_t size, const char* text) {
    if (size == 0) return;
    size_t n = text ? strnlen(text, size - 1) : 0;
    memcpy(target, text, n);
    memset(target + n, 0, size - n);
}

void MakeDefaultButton(ButtonAssignment& button, int index) {
    memset(&button, 0, sizeof button);
    button.button = static_cast<uint8_t>(index);
    button.function = kDefaultButtonFunctions[index & 15];
    if (button.function == 5) {  // a key combination needs its one step
        button.stepCount = 1;
        button.steps[0].key = 0x21;
        button.steps[0].action = 0;
    }
}

void MakeDefaultProfile(ProfileSettings& p, int index) {
    static const int32_t kCpi[kCpiLevelCount] = {10, 16, 24, 40, 72};
    static const uint8_t kIndicators[kCpiLevelCount] = {1, 2, 4, 5, 6};
    static const int32_t kLevelColours[kCpiLevelCount] = {0x0000FF, 0x00FF00, 0xFF0000,
                                                          0xFF00FF, 0xFFFF00};
    static const int32_t kSevenColours[7] = {0xFF00FF, 0x00FF00, 0xFF0000, 0x00FFFF,
                                             0xFFFF00, 0xFF00FF, 0xFFFFFF};
    memset(&p, 0, sizeof p);
    snprintf(p.ProFileName, sizeof p.ProFileName, "Default%d", index + 1);
    p.DbleClickSpeed = 550;
    p.ScrollWheelSpeed = 3;
    p.ScrollWheelFlag = 0;
    p.MouseSpeed = 10;
    p.Acceleration = 10;
    p.AccelerationFlag = 0;
    p.TiltSpeed = 3;
    p.LightIntensity = 3;
    p.BreathSpeed = 2;
    p.TimeCloseFlag = 1;
    p.MediaOption = 0;
    p.HDDKeyboard = 1;
    p.Orientation = 0;
    p.XYSynchronous = 0;
    p.Sensitivity_X = 10;
    p.Sensitivity_Y = 10;
    p.XYCpiFlag = 1;
    for (int i = 0; i < kCpiLevelCount; ++i) {
        p.CpiLevel_X[i] = kCpi[i];
        p.CpiLevel_Y[i] = kCpi[i];
        p.dpiStepFlag[i] = 1;
        p.dpiIndicator[i] = kIndicators[i];
        p.DPIColor[i] = kLevelColours[i];
    }
    p.CpiStep = 0;
    p.DpiIndicationType = 1;
    p.PollingRate = 3;
    p.LiftSwitch = 0;
    p.LiftLevel = 0;
    p.LightSwitch = 4;
    p.LightType = 2;
    p.ColorFlag = 1;
    p.ColorChangeMode = 0;
    p.BTOption = 0;
    p.OTGSpeed = 10;
    p.BtnConfiguration = 4;
    p.Color1Type = 1;
    p.Color2Type = 1;
    p.LightEffectSwitch1 = 1;
    p.LightEffectSwitch2 = 0;
    p.LightEffectType1 = 0;
    p.LightEffectType2 = 1;
    p.ColorOptions1 = 1;
    p.ColorOptions2 = 1;
    p.ColorChangeModeOptions1 = 1;
    p.ColorChangeModeOptions2 = 1;
    p.FireOrOnToGoStatusIndicatorSetting = 1;
    p.ProfileSwitchIndictor = 1;
    for (int b = 0; b < kButtonCount; ++b) MakeDefaultButton(p.buttons[b], b);
    p.XuanCaiDirection = 0;
    p.XuanCaiSpeed = 2;
    p.XuanCaiSpecielSpeed = 1;
    p.NeonSpeed = 2;
    p.NeonSpecielSpeed = 1;
    p.NeonIntensity = 0;
    p.QiSeSpeed = 2;
    p.QiSeIntensity = 0;
    p.QiSeType = 1;
    p.QiSeSpecielSpeed = 1;
    for (int i = 0; i < 7; ++i) p.ClQiSeColor[i] = kSevenColours[i];
    p.DanSeSpeed = 2;
    p.DanSeSpecielSpeed = 1;
    p.DanSeIntensity = 2;
    p.DanSeType = 2;
    p.Direction = 2;
}

void ClearStore(SettingsStore& store) {
    memset(&store, 0, sizeof store);
    store.CurrentProfile = -1;
    store.MouseType = 0;
}

void ResetAllProfiles(SettingsStore& store) {
    store.CurrentProfile = 0;
    for (int i = 0; i < kProfileCount; ++i) MakeDefaultProfile(store.profiles[i], i);
}

void MarkAllChanged(SettingsStore& store) {
    int32_t* words = reinterpret_cast<int32_t*>(&store.flags);
    for (int i = 0; i < kChangeFlagWords; ++i) words[i] = 1;
}

void MarkProfileChanged(SettingsStore& store, int profile) {
    if (profile < 0 || profile >= kProfileCount) return;
    ChangeFlags& f = store.flags;
    for (int b = 0; b < kButtonCount; ++b) f.buttons[profile][b] = 1;
    f.otherFirst[profile] = 1;
    f.otherSecond[profile] = 1;
    f.polling[profile] = 1;
    f.level[profile] = 1;
    f.block[profile] = 1;
    f.currentProfile = 1;
}

void NormaliseCurrentProfile(SettingsStore& store) {
    if (store.CurrentProfile < 0 || store.CurrentProfile >= kProfileCount) store.CurrentProfile = 0;
}

}  // namespace kestra
