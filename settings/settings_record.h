// The one settings record shared byte for byte by Monitor, Option and the
// shared block. Layout is fixed: 32-bit little-endian integers, fixed arrays,
// colours as 0x00BBGGRR. Natural alignment gives exactly the binding offsets on
// both compilers; the static_asserts below keep it that way.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestra {

constexpr int kProfileCount = 5;
constexpr int kButtonCount = 16;
constexpr int kCpiLevelCount = 5;
constexpr int kMacroStepSlots = 40;
constexpr int kProfileNameSize = 250;   // 249 characters and the terminator
constexpr int kGameFileSize = 500;      // 499 characters and the terminator
constexpr int kButtonLabelSize = 26;
// The longest macro name a button's label keeps; a longer one is cut to it.
constexpr int kButtonLabelChars = 24;
constexpr int kProgramPathSize = 262;

struct MacroStep {
    uint8_t key;     // KeyIndex or MouseKeyIndex 240..244
    uint8_t action;  // 1 = press, 2 = release; for a key combination: modifier flags
    uint16_t delay;  // milliseconds after this step
};

struct ButtonAssignment {
    uint8_t button;
    uint8_t function;
    char label[kButtonLabelSize];
    int32_t repeatCount;
    int32_t playOption;
    uint16_t stepCount;
    MacroStep steps[kMacroStepSlots];
    char programPath[kProgramPathSize];
};

struct ProfileSettings {
    char ProFileName[kProfileNameSize];
    char GameFile[kGameFileSize];
    int32_t DbleClickSpeed;
    int32_t ScrollWheelSpeed;
    int32_t ScrollWheelFlag;
    int32_t MouseSpeed;
    int32_t Acceleration;
    int32_t AccelerationFlag;
    int32_t TiltSpeed;
    int32_t LightIntensity;
    int32_t BreathSpeed;
    int32_t TimeCloseFlag;
    int32_t MediaOption;
    int32_t HDDKeyboard;
    int32_t Orientation;
    int32_t XYSynchronous;
    int32_t Sensitivity_X;
    int32_t Sensitivity_Y;
    int32_t XYCpiFlag;
    int32_t CpiLevel_X[kCpiLevelCount];
    int32_t CpiLevel_Y[kCpiLevelCount];
    int32_t CpiStep;
    int32_t dpiStepFlag[kCpiLevelCount];
    uint8_t dpiIndicator[kCpiLevelCount];
    uint8_t DpiIndicationType;
    int32_t PollingRate;
    int32_t LiftSwitch;
    int32_t LiftLevel;
    int32_t LightSwitch;
    int32_t LightType;
    int32_t ColorFlag;
    int32_t ColorOptions[8];
    int32_t ColorChangeMode;
    int32_t BTOption;
    int32_t OTGSpeed;
    int32_t DPIColor[kCpiLevelCount];
    uint8_t BtnConfiguration;
    uint8_t Color1Type;
    uint8_t Color2Type;
    uint8_t LightEffectSwitch1;
    uint8_t LightEffectSwitch2;
    uint8_t LightEffectType1;
    uint8_t LightEffectType2;
    uint8_t ColorOptions1;
    uint8_t ColorOptions2;
    uint8_t ColorChangeModeOptions1;
    uint8_t ColorChangeModeOptions2;
    uint8_t FireOrOnToGoStatusIndicatorSetting;
    uint8_t ProfileSwitchIndictor;
    ButtonAssignment buttons[kButtonCount];
    int32_t XuanCaiDirection;
    int32_t XuanCaiSpeed;
    int32_t XuanCaiSpecielSpeed;
    int32_t NeonSpeed;
    int32_t NeonSpecielSpeed;
    int32_t NeonIntensity;
    int32_t QiSeSpeed;
    int32_t QiSeIntensity;
    int32_t QiSeType;
    int32_t QiSeSpecielSpeed;
    int32_t ClQiSeColor[7];
    int32_t DanSeSpeed;
    int32_t DanSeSpecielSpeed;
    int32_t DanSeIntensity;
    int32_t DanSeType;
    int32_t Direction;
};

struct ChangeFlags {
    int32_t buttons[kProfileCount][kButtonCount];
    int32_t otherFirst[kProfileCount];
    int32_t otherSecond[kProfileCount];
    int32_t currentProfile;
    int32_t polling[kProfileCount];
    int32_t level[kProfileCount];
    int32_t block[kProfileCount];
};

struct SettingsStore {
    int32_t CurrentProfile;
    ProfileSettings profiles[kProfileCount];
    int32_t MouseType;
    ChangeFlags flags;
};

constexpr size_t kSettingsStoreSize = 42652;
constexpr int kChangeFlagWords = 106;

static_assert(sizeof(MacroStep) == 4, "macro step");
static_assert(sizeof(ButtonAssignment) == 460, "button assignment");
static_assert(sizeof(ProfileSettings) == 8444, "profile");
static_assert(sizeof(SettingsStore) == kSettingsStoreSize, "settings store");
static_assert(sizeof(ChangeFlags) == kChangeFlagWords * 4, "change flags");

// Button record offsets used by Monitor's dispatch.
static_assert(offsetof(ButtonAssignment, function) == 1, "");
static_assert(offsetof(ButtonAssignment, label) == 2, "");
static_assert(offsetof(ButtonAssignment, repeatCount) == 28, "");
static_assert(offsetof(ButtonAssignment, playOption) == 32, "");
static_assert(offsetof(ButtonAssignment, stepCount) == 36, "");
static_assert(offsetof(ButtonAssignment, steps) == 38, "");
static_assert(offsetof(ButtonAssignment, programPath) == 198, "");

// Profile offsets that the change-flag comparison and the shared block rely on.
static_assert(offsetof(ProfileSettings, DbleClickSpeed) == 752, "");
static_assert(offsetof(ProfileSettings, LightIntensity) == 780, "");
static_assert(offsetof(ProfileSettings, BreathSpeed) == 784, "");
static_assert(offsetof(ProfileSettings, TimeCloseFlag) == 788, "");
static_assert(offsetof(ProfileSettings, HDDKeyboard) == 796, "");
static_assert(offsetof(ProfileSettings, XYSynchronous) == 804, "");
static_assert(offsetof(ProfileSettings, Sensitivity_X) == 808, "");
static_assert(offsetof(ProfileSettings, Sensitivity_Y) == 812, "");
static_assert(offsetof(ProfileSettings, XYCpiFlag) == 816, "");
static_assert(offsetof(ProfileSettings, CpiLevel_X) == 820, "");
static_assert(offsetof(ProfileSettings, CpiLevel_Y) == 840, "");
static_assert(offsetof(ProfileSettings, CpiStep) == 860, "");
static_assert(offsetof(ProfileSettings, dpiStepFlag) == 864, "");
static_assert(offsetof(ProfileSettings, dpiIndicator) == 884, "");
static_assert(offsetof(ProfileSettings, PollingRate) == 892, "");
static_assert(offsetof(ProfileSettings, LiftLevel) == 900, "");
static_assert(offsetof(ProfileSettings, LightSwitch) == 904, "");
static_assert(offsetof(ProfileSettings, LightType) == 908, "");
static_assert(offsetof(ProfileSettings, ColorFlag) == 912, "");
static_assert(offsetof(ProfileSettings, ColorOptions) == 916, "");
static_assert(offsetof(ProfileSettings, ColorChangeMode) == 948, "");
static_assert(offsetof(ProfileSettings, BTOption) == 952, "");
static_assert(offsetof(ProfileSettings, OTGSpeed) == 956, "");
static_assert(offsetof(ProfileSettings, DPIColor) == 960, "");
static_assert(offsetof(ProfileSettings, LightEffectSwitch1) == 983, "");
static_assert(offsetof(ProfileSettings, ColorOptions2) == 988, "");
static_assert(offsetof(ProfileSettings, buttons) == 996, "");
static_assert(offsetof(ProfileSettings, XuanCaiDirection) == 8356, "");
static_assert(offsetof(ProfileSettings, ClQiSeColor) == 8396, "");
static_assert(offsetof(ProfileSettings, Direction) == 8440, "");

// Shared block offsets.
static_assert(offsetof(SettingsStore, profiles) == 4, "");
static_assert(offsetof(SettingsStore, MouseType) == 42224, "");
static_assert(offsetof(SettingsStore, flags) + offsetof(ChangeFlags, buttons) == 42228, "");
static_assert(offsetof(SettingsStore, flags) + offsetof(ChangeFlags, otherFirst) == 42548, "");
static_assert(offsetof(SettingsStore, flags) + offsetof(ChangeFlags, otherSecond) == 42568, "");
static_assert(offsetof(SettingsStore, flags) + offsetof(ChangeFlags, currentProfile) == 42588, "");
static_assert(offsetof(SettingsStore, flags) + offsetof(ChangeFlags, polling) == 42592, "");
static_assert(offsetof(SettingsStore, flags) + offsetof(ChangeFlags, level) == 42612, "");
static_assert(offsetof(SettingsStore, flags) + offsetof(ChangeFlags, block) == 42632, "");

// Default functions of buttons 0..15 of a new profile.
extern const uint8_t kDefaultButtonFunctions[kButtonCount];

void MakeDefaultProfile(ProfileSettings& profile, int index);
void MakeDefaultButton(ButtonAssignment& button, int index);
void ClearStore(SettingsStore& store);
void ResetAllProfiles(SettingsStore& store);
void MarkAllChanged(SettingsStore& store);
void MarkProfileChanged(SettingsStore& store, int profile);
// CurrentProfile outside 0..4 becomes 0.
void NormaliseCurrentProfile(SettingsStore& store);

// Copies text into a fixed array, cutting it and always terminating it.
void CopyText(char* target, size_t size, const char* text);

}  // namespace kestra
