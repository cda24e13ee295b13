#include "option/light_page.h"

#include <algorithm>
#include <cstring>

namespace kestra {

const uint32_t kPresetColours[kPresetCount] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFF00FF,
                                               0xFFFF00, 0xFFFFFF, 0x00FFFF};

namespace {

int ActiveLevel(const ProfileSettings& p) {
    return p.CpiStep >= 0 && p.CpiStep < kCpiLevelCount ? p.CpiStep : -1;
}

int SliderShift(int sliderId) {
    switch (sliderId) {
        case kRedSliderId:
            return 0;
        case kGreenSliderId:
            return 8;
        case kBlueSliderId:
            return 16;
        default:
            return -1;
    }
}

// The text of a level 1..3 among three texts; any other value shows the
// middle one.
int LevelTextOf(int value, int firstText) {
    return firstText + (value >= 1 && value <= 3 ? value - 1 : 1);
}

int Clamp(int value, int low, int high) {
    return std::min(std::max(value, low), high);
}

// The two speed fields of each effect dialog.
struct SpeedFields {
    int32_t ProfileSettings::*speed;
    int32_t ProfileSettings::*second;
};
SpeedFields FieldsOf(LightEffectDialog dialog) {
    switch (dialog) {
        case LightEffectDialog::kSingleColour:
            return {&ProfileSettings::DanSeSpeed, &ProfileSettings::DanSeSpecielSpeed};
        case LightEffectDialog::kSevenColour:
            return {&ProfileSettings::QiSeSpeed, &ProfileSettings::QiSeSpecielSpeed};
        case LightEffectDialog::kDazzle:
            return {&ProfileSettings::XuanCaiSpeed, &ProfileSettings::XuanCaiSpecielSpeed};
        default:
            return {&ProfileSettings::NeonSpeed, &ProfileSettings::NeonSpecielSpeed};
    }
}

void CopyCut(char* field, size_t fieldSize, const std::string& text, size_t limit) {
    const size_t length = std::min({text.size(), limit, fieldSize - 1});
    memcpy(field, text.data(), length);
    memset(field + length, 0, fieldSize - length);
}

std::string FieldText(const char* field, size_t fieldSize) {
    return std::string(field, strnlen(field, fieldSize));
}

}  // namespace

std::vector<LightMenuItem> EffectMenu() {
    return {{1001, 1072}, {1002, 1073}, {1004, 1075}, {1006, 1077}, {1007, 1078}};
}

std::vector<LightMenuItem> LevelMenu(const ProfileSettings& p) {
    if (p.LightSwitch == kLightOff) return {};
    const int first = p.LightSwitch == kLightSteady ? 1080 : 1083;
    return {{1021, first}, {1022, first + 1}, {1023, first + 2}};
}

std::vector<LightMenuItem> DirectionMenu() {
    return {{1033, 1088}, {1034, 1089}};
}

bool OnEffectCommand(ProfileSettings& p, int command) {
    if (command < kFirstEffectCommand || command > kLastEffectCommand) return false;
    switch (command) {
        case 1001: p.LightSwitch = 0; break;
        case 1002: p.LightSwitch = 1; break;
        case 1003: p.LightSwitch = 2; break;
        case 1004: p.LightSwitch = 6; break;
        case 1005: p.LightSwitch = 3; break;
        case 1007: p.LightSwitch = 5; break;
        default: p.LightSwitch = kLightBreathing; break;
    }
    return true;
}

bool OnLevelCommand(ProfileSettings& p, int command) {
    if (command < kFirstLevelCommand || command > kLastLevelCommand) return false;
    if (p.LightSwitch == kLightOff) return false;
    const int value = command - kFirstLevelCommand + 1;
    if (p.LightSwitch == kLightSteady) {
        p.LightIntensity = value;
    } else {
        p.BreathSpeed = value;
    }
    return true;
}

bool OnDirectionCommand(ProfileSettings& p, int command) {
    if (command < kFirstDirectionCommand || command > kLastDirectionCommand) return false;
    switch (command) {
        case 1032: p.Direction = 1; break;
        case 1033: p.Direction = 2; break;
        case 1034: p.Direction = 3; break;
        default: p.Direction = 0; break;
    }
    return true;
}

bool HasEditedColour(const ProfileSettings& p) {
    return ActiveLevel(p) >= 0;
}

uint32_t EditedColour(const ProfileSettings& p) {
    const int level = ActiveLevel(p);
    return level < 0 ? 0 : static_cast<uint32_t>(p.DPIColor[level]) & 0x00FFFFFF;
}

bool SetEditedColour(ProfileSettings& p, uint32_t colour) {
    const int level = ActiveLevel(p);
    if (level < 0) return false;
    p.DPIColor[level] = static_cast<int32_t>(colour & 0x00FFFFFF);
    return true;
}

int SliderChannel(uint32_t colour, int sliderId) {
    const int shift = SliderShift(sliderId);
    return shift < 0 ? 0 : static_cast<int>((colour >> shift) & 0xFF);
}

bool OnColourSlider(ProfileSettings& p, int sliderId, int value) {
    const int shift = SliderShift(sliderId);
    if (shift < 0 || !HasEditedColour(p)) return false;
    const uint32_t byte = static_cast<uint32_t>(Clamp(value, 0, 255));
    const uint32_t colour = (EditedColour(p) & ~(0xFFu << shift)) | (byte << shift);
    return SetEditedColour(p, colour);
}

bool OnPreset(ProfileSettings& p, int index) {
    if (index < 0 || index >= kPresetCount) return false;
    return SetEditedColour(p, kPresetColours[index]);
}

LightView ViewLight(const ProfileSettings& p) {
    LightView v;
    switch (p.LightSwitch) {
        case 0: v.effectText = 1072; break;
        case 1: v.effectText = 1073; break;
        case 2: v.effectText = 1074; break;
        case 3: v.effectText = 1079; break;
        case 5: v.effectText = 1078; break;
        case 6: v.effectText = 1075; break;
        default: v.effectText = 1077; break;
    }
    if (p.LightSwitch == kLightOff) {
        v.levelText = 0;
    } else if (p.LightSwitch == kLightSteady) {
        v.levelText = LevelTextOf(p.LightIntensity, 1080);
    } else {
        v.levelText = LevelTextOf(p.BreathSpeed, 1083);
    }
    v.directionText = p.Direction >= 1 && p.Direction <= 3 ? 1086 + p.Direction : 1086;
    v.directionEnabled = p.LightSwitch == kLightBreathing;
    v.colourEditable = HasEditedColour(p);
    v.colour = EditedColour(p);
    v.red = SliderChannel(v.colour, kRedSliderId);
    v.green = SliderChannel(v.colour, kGreenSliderId);
    v.blue = SliderChannel(v.colour, kBlueSliderId);
    return v;
}

// ---- effect dialogs ---------------------------------------------------------

const char* EffectDialogSkin(LightEffectDialog dialog) {
    switch (dialog) {
        case LightEffectDialog::kSingleColour:
            return "skin_danse_light.ini";
        case LightEffectDialog::kSevenColour:
            return "skin_qise_light.ini";
        case LightEffectDialog::kDazzle:
            return "skin_xuancai_light.ini";
        default:
            return "skin_dandian_light.ini";
    }
}

const char* EffectDialogTitle(LightEffectDialog dialog) {
    switch (dialog) {
        case LightEffectDialog::kSingleColour:
            return "Single colour";
        case LightEffectDialog::kSevenColour:
            return "Seven colours";
        case LightEffectDialog::kDazzle:
            return "Dazzle";
        default:
            return "Neon";
    }
}

EffectDialogView ViewEffectDialog(const ProfileSettings& p, LightEffectDialog dialog) {
    const SpeedFields fields = FieldsOf(dialog);
    EffectDialogView v;
    v.speed = Clamp(p.*fields.speed, kSpeedMin, kSpeedMax);
    v.second = Clamp(p.*fields.second, kSecondMin, kSecondMax);
    // The second control follows the stored speed, as it does once a speed
    // is chosen.
    v.secondEnabled = p.*fields.speed == kCustomSpeed;
    if (dialog == LightEffectDialog::kSingleColour) {
        v.intensity = Clamp(p.DanSeIntensity, kIntensityMin, kIntensityMax);
        v.colourChoice =
            p.DanSeType >= 0 && p.DanSeType < kColourChoiceCount ? p.DanSeType : -1;
    }
    return v;
}

EffectDialogOutcome OnEffectDialogControl(ProfileSettings& p, LightEffectDialog dialog,
                                          int controlId, int value) {
    const SpeedFields fields = FieldsOf(dialog);
    EffectDialogOutcome outcome;
    if (controlId == kSpeedControlId) {
        p.*fields.speed = Clamp(value, kSpeedMin, kSpeedMax);
        outcome.stored = true;
    } else if (controlId == kSecondControlId) {
        p.*fields.second = Clamp(value, kSecondMin, kSecondMax);
        outcome.stored = true;
    } else if (controlId == kIntensitySliderId && dialog == LightEffectDialog::kSingleColour) {
        p.DanSeIntensity = Clamp(value, kIntensityMin, kIntensityMax);
        outcome.stored = true;
    }
    outcome.secondEnabled = p.*fields.speed == kCustomSpeed;
    return outcome;
}

bool OnColourChoice(ProfileSettings& p, int index) {
    if (index < 0 || index >= kColourChoiceCount) return false;
    p.DanSeType = index;
    return true;
}

void CopyEffectDialogFields(const ProfileSettings& from, ProfileSettings& to,
                            LightEffectDialog dialog) {
    const SpeedFields fields = FieldsOf(dialog);
    to.*fields.speed = from.*fields.speed;
    to.*fields.second = from.*fields.second;
    if (dialog == LightEffectDialog::kSingleColour) {
        to.DanSeIntensity = from.DanSeIntensity;
        to.DanSeType = from.DanSeType;
    }
}

// ---- profile dialog -----------------------------------------------------------

void StoreProfileTexts(ProfileSettings& p, const std::string& name, const std::string& gameFile) {
    CopyCut(p.ProFileName, sizeof p.ProFileName, name, sizeof p.ProFileName - 1);
    CopyCut(p.GameFile, sizeof p.GameFile, gameFile, sizeof p.GameFile - 1);
}

ProfileTexts ProfileDialogTexts(const ProfileSettings& p, bool empty) {
    if (empty) return {};
    return {FieldText(p.ProFileName, sizeof p.ProFileName),
            FieldText(p.GameFile, sizeof p.GameFile)};
}

}  // namespace kestra
