#include "option/option_rules.h"

#include <cctype>
#include <cstring>

#include "settings/change_flags.h"
#include "settings/settings_files.h"

namespace kestra {
namespace {

int CurrentOf(const SettingsStore& store) {
    const int p = store.CurrentProfile;
    return (p >= 0 && p < kProfileCount) ? p : 0;
}

char Folded(char c) {
    if (c == '/') return '\\';
    return static_cast<char>(tolower(static_cast<unsigned char>(c)));
}

std::string Text(const LanguageText* texts, int number) {
    return texts != nullptr ? texts->Text(number) : std::string();
}

std::string FileNameOf(const char* path, size_t size) {
    const std::string full(path, strnlen(path, size));
    const size_t slash = full.find_last_of("\\/");
    return slash == std::string::npos ? full : full.substr(slash + 1);
}

// The language text of each function whose name is a fixed text; 0 = none.
int FunctionTextNumber(int function, BoxEditor editor) {
    if (function == 0 || function == 6) return 1010;
    if (function >= 1 && function <= 4) return 1004 + function;
    if (function >= 7 && function <= 12) return 1004 + function;
    if (function >= 13 && function <= 15) return 1005 + function;
    if (function >= 18 && function <= 24) return 1006 + function;
    if (function >= 25 && function <= 32) return 1007 + function;
    if (function >= 33 && function <= 44) return 1008 + function;
    if (function == 49) return editor == BoxEditor::kMainWindow ? 1070 : 0;
    if (function == 86) return editor == BoxEditor::kButtonPage ? 1076 : 0;
    return 0;
}

}  // namespace

void SelectProfile(SettingsStore& working, int index) {
    if (index < 0 || index >= kProfileCount) return;
    working.CurrentProfile = index;
}

std::string ImportTargetPath(const std::string& programFolder, int currentProfile) {
    if (currentProfile < 0 || currentProfile >= kProfileCount) currentProfile = 0;
    return ProfileFilePath(programFolder, currentProfile);
}

bool ImportNeedsCopy(const std::string& chosen, const std::string& target) {
    if (chosen.size() != target.size()) return true;
    for (size_t i = 0; i < chosen.size(); ++i) {
        if (Folded(chosen[i]) != Folded(target[i])) return true;
    }
    return false;
}

void MarkImportedProfile(SettingsStore& working) {
    const int p = CurrentOf(working);
    for (int b = 0; b < kButtonCount; ++b) working.flags.buttons[p][b] = 1;
}

void ResetCurrentProfile(SettingsStore& working) {
    const int p = CurrentOf(working);
    working.CurrentProfile = p;
    MakeDefaultProfile(working.profiles[p], p);
    MarkProfileChanged(working, p);
}

void ResetAll(SettingsStore& working) {
    ResetAllProfiles(working);
    MarkAllChanged(working);
}

void PrepareApply(const SettingsStore& applied, SettingsStore& working, int mode) {
    if (mode == kApplyComputed) ComputeChangeFlags(applied, working);
}

void FinishApply(SettingsStore& applied, SettingsStore& working) {
    ClearHandedOverFlags(working);
    applied = working;
}

void TakeBlock(const SettingsStore& block, SettingsStore& applied, SettingsStore& working,
               bool clearFlags) {
    applied = block;
    if (clearFlags) ClearHandedOverFlags(applied);
    NormaliseCurrentProfile(applied);
    working = applied;
}

void TakeDeviceValues(const SettingsStore& block, SettingsStore& applied,
                      SettingsStore& working) {
    applied = block;
    NormaliseCurrentProfile(applied);
    const int p = applied.CurrentProfile;
    const ProfileSettings& from = applied.profiles[p];
    ProfileSettings& to = working.profiles[p];
    to.CpiStep = from.CpiStep;
    to.Sensitivity_X = from.Sensitivity_X;
    to.Sensitivity_Y = from.Sensitivity_Y;
    to.PollingRate = from.PollingRate;
}

std::string BoxText(const ButtonAssignment& button, BoxEditor editor, const LanguageText* texts,
                    const KeyboardLayout& layout) {
    std::string name;
    switch (button.function) {
        case 5: {
            const uint16_t count = button.stepCount;
            name = CombinationText(button.steps[0].key, button.steps[0].action, count, layout);
            break;
        }
        case 16:
            name.assign(button.label, strnlen(button.label, sizeof button.label));
            break;
        case 17:
            name = FileNameOf(button.programPath, sizeof button.programPath);
            break;
        default: {
            const int number = FunctionTextNumber(button.function, editor);
            if (number != 0) name = Text(texts, number);
            break;
        }
    }
    return "  " + name;
}

}  // namespace kestra
