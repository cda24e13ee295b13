// The lighting page's rules: its three menus, what their commands, the
// colour sliders and the presets store in the current profile, what a
// refresh shows; the effect dialogs' speed rules; the profile dialog's
// limits. The windows (light_page_win.cpp, light_dialogs_win.cpp,
// profile_dialog_win.cpp) only carry them out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings_record.h"

namespace kestra {

// A menu entry: its command and the language text naming it.
struct LightMenuItem {
    int command;
    int text;
};

// Menu commands.
constexpr int kFirstEffectCommand = 1001;  // 1001..1020
constexpr int kLastEffectCommand = 1020;
constexpr int kFirstLevelCommand = 1021;  // 1021..1023 store 1..3
constexpr int kLastLevelCommand = 1023;
constexpr int kFirstDirectionCommand = 1031;  // 1031..1040
constexpr int kLastDirectionCommand = 1040;

// The effects stored in LightSwitch that the page knows by name.
constexpr int kLightOff = 0;
constexpr int kLightSteady = 1;
constexpr int kLightBreathing = 4;  // the one with a direction

// The page's colour sliders (0..255) and presets.
constexpr int kRedSliderId = 201;
constexpr int kGreenSliderId = 202;
constexpr int kBlueSliderId = 203;
constexpr int kPresetCount = 7;
extern const uint32_t kPresetColours[kPresetCount];  // 0x00BBGGRR

std::vector<LightMenuItem> EffectMenu();
// Empty while the light is off.
std::vector<LightMenuItem> LevelMenu(const ProfileSettings& profile);
std::vector<LightMenuItem> DirectionMenu();

// Each stores its command's value; false for a command that is not its own
// (or, for the level menu, while the light is off).
bool OnEffectCommand(ProfileSettings& profile, int command);
bool OnLevelCommand(ProfileSettings& profile, int command);
bool OnDirectionCommand(ProfileSettings& profile, int command);

// The edited colour: DPIColor of the active level. A profile whose active
// level is out of range has none: it shows black and nothing is stored.
bool HasEditedColour(const ProfileSettings& profile);
uint32_t EditedColour(const ProfileSettings& profile);
bool SetEditedColour(ProfileSettings& profile, uint32_t colour);
// Slider 201..203 moved to `value` (clamped to 0..255).
bool OnColourSlider(ProfileSettings& profile, int sliderId, int value);
// Preset button `index` (0..6).
bool OnPreset(ProfileSettings& profile, int index);
// The byte of a slider in `colour`; 0 for another id.
int SliderChannel(uint32_t colour, int sliderId);

// What the page shows. Labels are language texts, except the level label
// of a switched-off light, which reads "0%" (levelText 0).
struct LightView {
    int effectText = 0;
    int levelText = 0;
    int directionText = 0;
    bool directionEnabled = false;
    bool colourEditable = false;
    uint32_t colour = 0;
    int red = 0;
    int green = 0;
    int blue = 0;
};
LightView ViewLight(const ProfileSettings& profile);
constexpr char kLightOffLevelLabel[] = "0%";

// ---- effect dialogs ---------------------------------------------------------

enum class LightEffectDialog { kNeon, kSingleColour, kSevenColour, kDazzle };
constexpr int kEffectDialogCount = 4;
constexpr int kSpeedControlId = 200;
constexpr int kSecondControlId = 400;
constexpr int kIntensitySliderId = 201;  // the single-colour dialog only
// Ranges of the dialogs' controls; the speed at kCustomSpeed hands over to
// the second control.
constexpr int kSpeedMin = 1;
constexpr int kSpeedMax = 4;
constexpr int kCustomSpeed = 4;
constexpr int kSecondMin = 1;
constexpr int kSecondMax = 20;
constexpr int kIntensityMin = 1;
constexpr int kIntensityMax = 3;
constexpr int kColourChoiceCount = 7;  // the single-colour dialog's buttons

const char* EffectDialogSkin(LightEffectDialog dialog);
const char* EffectDialogTitle(LightEffectDialog dialog);

// What an effect dialog shows when it opens: the stored values, clamped to
// the controls' ranges so that a damaged profile moves nothing outside them.
struct EffectDialogView {
    int speed = kSpeedMin;
    int second = kSecondMin;
    bool secondEnabled = false;
    int intensity = kIntensityMin;  // single colour
    int colourChoice = -1;          // single colour: the checked button, -1 none
};
EffectDialogView ViewEffectDialog(const ProfileSettings& profile, LightEffectDialog dialog);

// A control of the dialog changed; returns whether the second control is
// enabled afterwards (unchanged for anything but the speed).
struct EffectDialogOutcome {
    bool stored = false;
    bool secondEnabled = false;
};
EffectDialogOutcome OnEffectDialogControl(ProfileSettings& profile, LightEffectDialog dialog,
                                          int controlId, int value);
// One of the single-colour dialog's seven buttons (0..6).
bool OnColourChoice(ProfileSettings& profile, int index);
// OK in an effect dialog: its fields, and only those, go from the dialog's
// copy into the profile.
void CopyEffectDialogFields(const ProfileSettings& from, ProfileSettings& to,
                            LightEffectDialog dialog);

// ---- profile dialog -----------------------------------------------------------

constexpr int kProfileNameTypedLimit = 20;
// The texts OK stores, each cut to what its field holds (249 and 499
// characters). The name edit takes only 20 typed characters, but a longer
// stored name shown in it survives an OK.
void StoreProfileTexts(ProfileSettings& profile, const std::string& name,
                       const std::string& gameFile);
// The texts the dialog starts with: empty (mode 1) or the profile's.
struct ProfileTexts {
    std::string name;
    std::string gameFile;
};
ProfileTexts ProfileDialogTexts(const ProfileSettings& profile, bool empty);

}  // namespace kestra
