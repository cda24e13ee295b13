#include "option/option_logic.h"

#include <cstring>

#include "settings/change_flags.h"
#include "settings/file_system.h"
#include "settings/ini_file.h"
#include "settings/settings_files.h"

namespace kestra {
namespace {

std::unique_ptr<SettingsStore> ClearedStore() {
    std::unique_ptr<SettingsStore> store(new SettingsStore);
    ClearStore(*store);
    return store;
}

}  // namespace

OptionLogic::OptionLogic(std::string programFolder, OptionEffects& effects)
    : programFolder_(std::move(programFolder)),
      effects_(effects),
      applied_(ClearedStore()),
      working_(ClearedStore()) {
    MakeDefaultOsdSettings(osd_);
}

int OptionLogic::currentProfile() const {
    const int p = working_->CurrentProfile;
    return (p >= 0 && p < kProfileCount) ? p : 0;
}

bool OptionLogic::ReadBlockInto(SettingsStore& store) {
    return effects_.ReadBlock(store);
}

void OptionLogic::SaveMacros() {
    macros_.Save(MacroLibraryPath(programFolder_));
}

void OptionLogic::Start(bool blockMapped) {
    ClearStore(*applied_);
    // A block that is mapped but cannot be read (its mutex is missing) would
    // leave a cleared store, and the next apply would save it over the
    // user's files: the files are the better source then.
    const bool fromBlock = blockMapped && ReadBlockInto(*applied_);
    if (fromBlock) {
        ClearHandedOverFlags(*applied_);
        NormaliseCurrentProfile(*applied_);
    } else {
        ClearStore(*applied_);
        LoadStore(programFolder_, *applied_,
                  [this](ProfileSettings& profile) { effects_.ReadSystemSettings(profile); });
    }
    macros_.Load(MacroLibraryPath(programFolder_));
    // A missing or damaged record starts from the defaults, as a reset
    // would give, rather than from all zeros.
    if (!ReadOsdSettings(ConfigIniPath(programFolder_), osd_)) MakeDefaultOsdSettings(osd_);
    *working_ = *applied_;
    macros_.ReconcileWith(*working_);
    SaveMacros();
    if (fromBlock) effects_.ReadSystemSettings(working_->profiles[currentProfile()]);
    effects_.RefreshPages(kAllPageBits);
}

void OptionLogic::Apply(int mode) {
    effects_.ShowApplyPending(true);
    PrepareApply(*applied_, *working_, mode);
    effects_.WriteBlock(*working_);
    SaveOsdSettings(ConfigIniPath(programFolder_), osd_);
    SaveStore(programFolder_, *working_);
    const bool monitorFound = effects_.SendApplyToMonitor(mode);
    effects_.NotifyApplets();
    SaveAccessStamp(programFolder_, effects_.SecondsSince1970());
    FinishApply(*applied_, *working_);
    SaveMacros();
    if (monitorFound) {
        gate_.Begin(effects_.TickCount());
    } else {
        EndPending();
    }
}

void OptionLogic::EndPending() {
    gate_.End();
    effects_.ShowApplyPending(false);
    if (area_.progress().visible()) {
        area_.progress().Clear();
        effects_.ShowProgressArea(area_);
    }
}

void OptionLogic::SelectProfile(int index) {
    kestra::SelectProfile(*working_, index);
    effects_.RefreshPages(kAllPageBits);
}

void OptionLogic::SetOrientation(int orientation) {
    if (orientation != 0 && orientation != 1) return;
    currentSettings().Orientation = orientation;
}

ImportOutcome OptionLogic::Import(const std::string& chosenPath) {
    ImportOutcome outcome = ImportOutcome::kRead;
    if (!CanOpenForReading(chosenPath)) {
        outcome = ImportOutcome::kUnreadable;
    } else if (!HoldsProfile(chosenPath)) {
        outcome = ImportOutcome::kNotAProfile;
    } else {
        const std::string target = ImportTargetPath(programFolder_, currentProfile());
        if (ImportNeedsCopy(chosenPath, target)) effects_.ReplaceWithCopy(chosenPath, target);
        // The chosen file holds the same bytes as a successful copy; reading
        // it also gets the user's profile when the copy failed.
        LoadProfile(chosenPath, currentSettings());
        MarkImportedProfile(*working_);
        effects_.RefreshPages(kAllPageBits);
    }
    Apply(kApplyComputed);
    return outcome;
}

bool OptionLogic::Export(const std::string& path) {
    // The file is to hold this profile and nothing of what it held before.
    if (CanOpenForReading(path)) RemoveFile(path);
    return SaveProfile(path, currentSettings());
}

void OptionLogic::ResetCurrent() {
    ResetCurrentProfile(*working_);
    effects_.RefreshPages(kAllPageBits);
    Apply(kApplyMarked);
}

void OptionLogic::ResetAll() {
    kestra::ResetAll(*working_);
    MakeDefaultOsdSettings(osd_);
    effects_.RefreshPages(kAllPageBits);
    Apply(kApplyMarked);
}

void OptionLogic::OnBlockRefresh() {
    std::unique_ptr<SettingsStore> block(new SettingsStore);
    if (!ReadBlockInto(*block)) return;
    TakeBlock(*block, *applied_, *working_, true);
    macros_.ReconcileWith(*working_);
    // The open macro manager's edits are saved by its OK, or not at all.
    if (!beforeMacroManager_) SaveMacros();
    effects_.RefreshPages(kAllPageBits);
}

void OptionLogic::OnProfileChanged() {
    std::unique_ptr<SettingsStore> block(new SettingsStore);
    if (!ReadBlockInto(*block)) return;
    TakeBlock(*block, *applied_, *working_, false);
    effects_.RefreshPages(kAllPageBits);
}

void OptionLogic::OnDeviceValuesChanged() {
    std::unique_ptr<SettingsStore> block(new SettingsStore);
    if (!ReadBlockInto(*block)) return;
    TakeDeviceValues(*block, *applied_, *working_);
    effects_.RefreshPages(kDpiPageBit | kLightPageBit);
}

void OptionLogic::OnApplyDone() {
    EndPending();
}

void OptionLogic::OnApplyProgress(unsigned long packed, long remainingPauseMs) {
    if (!gate_.pending() || !area_.progress().Take(packed, remainingPauseMs)) return;
    effects_.ShowProgressArea(area_);
}

void OptionLogic::OnDeviceState(unsigned long word) {
    if (area_.TakeDeviceState(word)) effects_.ShowProgressArea(area_);
}

void OptionLogic::OnApplyWatch() {
    if (!gate_.pending()) return;
    if (gate_.GivesUp(effects_.TickCount(), effects_.MonitorWindowExists())) EndPending();
}

void OptionLogic::OpenMacroManager() {
    beforeMacroManager_.reset(new SettingsStore(*working_));
}

void OptionLogic::CloseMacroManager(bool keep) {
    if (keep) {
        SaveMacros();
    } else {
        if (beforeMacroManager_) {
            for (int p = 0; p < kProfileCount; ++p) {
                memcpy(working_->profiles[p].buttons, beforeMacroManager_->profiles[p].buttons,
                       sizeof working_->profiles[p].buttons);
            }
            memcpy(working_->flags.buttons, beforeMacroManager_->flags.buttons,
                   sizeof working_->flags.buttons);
        }
        macros_.Load(MacroLibraryPath(programFolder_));
    }
    beforeMacroManager_.reset();
    effects_.RefreshPages(kButtonPageBit | kMacroPageBit);
}

bool HoldsProfile(const std::string& path) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return false;
    const IniDocument doc = IniDocument::Parse(bytes);
    std::string value;
    for (const ProfileKey& key : ProfileKeys()) {
        if (doc.Find("Setting", key.name, value)) return true;
    }
    return false;
}

std::string ProfileDialogInitialName(const std::string& programFolder) {
    return programFolder + "config\\.gmp";
}

std::string DialogFilter(const char* filter) {
    std::string result = filter != nullptr ? filter : "";
    for (char& c : result) {
        if (c == '|') c = '\0';
    }
    // The list ends with two zeros; the string's own terminator is the second.
    if (result.empty() || result.back() != '\0') result.push_back('\0');
    return result;
}

}  // namespace kestra
