// Option's main window between its controls and the world: what the start,
// an apply, an import, an export, the resets and Monitor's notifications do,
// and in which order. COptionDlg (option_dlg_win.cpp) owns one OptionLogic
// and carries out its effects. Portable, so that every order of steps is
// testable without Windows; the settings files are written directly.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "option/apply_progress.h"
#include "option/macro_library.h"
#include "option/option_rules.h"
#include "settings/osd_settings.h"
#include "settings/settings_record.h"

namespace kestra {

// The pages of the main window, as bits, for refreshes of some of them.
enum OptionPageBits : unsigned {
    kButtonPageBit = 1u << 0,
    kPerformancePageBit = 1u << 1,
    kDpiPageBit = 1u << 2,
    kLightPageBit = 1u << 3,
    kMacroPageBit = 1u << 4,
    kAllPageBits = 0x1F,
};

// What the logic asks of the window, the shared block, Monitor and the clock.
class OptionEffects {
public:
    virtual ~OptionEffects() = default;
    // Copies under the block mutex; false when nothing was copied (no block,
    // no mutex).
    virtual bool ReadBlock(SettingsStore& store) = 0;
    virtual bool WriteBlock(const SettingsStore& store) = 0;
    // The user's system pointer settings into one profile.
    virtual void ReadSystemSettings(ProfileSettings& profile) = 0;
    // UM_APPLY_SETTINGS to Monitor's window; false when there is none.
    virtual bool SendApplyToMonitor(int mode) = 0;
    virtual bool MonitorWindowExists() = 0;
    // UM_APPLY_SETTINGS posted to each applet and indicator window there is.
    virtual void NotifyApplets() = 0;
    // Deletes `target`, copies `source` onto it and marks it hidden and
    // archive; failures are ignored.
    virtual void ReplaceWithCopy(const std::string& source, const std::string& target) = 0;
    // A millisecond tick count (wraps) and the time in seconds since 1970.
    virtual uint32_t TickCount() = 0;
    virtual uint32_t SecondsSince1970() = 0;
    // An apply is pending: mouse capture, wait cursor, OK and Apply disabled
    // (and a watch on Monitor's answer); false gives all of it back.
    virtual void ShowApplyPending(bool pending) = 0;
    // What the area under the pages shows changed: an apply's progress, the
    // warning of a mouse that does not answer, or nothing.
    virtual void ShowProgressArea(const ProgressAreaState& area) = 0;
    // The profile buttons, the orientation, the button boxes and the pages
    // named by `pages` show the working copy again.
    virtual void RefreshPages(unsigned pages) = 0;
};

// What became of an import's file.
enum class ImportOutcome { kRead, kUnreadable, kNotAProfile };

class OptionLogic {
public:
    OptionLogic(std::string programFolder, OptionEffects& effects);
    OptionLogic(const OptionLogic&) = delete;
    OptionLogic& operator=(const OptionLogic&) = delete;

    // The dialog initialisation after the shared block was looked for:
    // settings from the block (or the files), the macro list and the display
    // settings, the working copy, the reconciled macro list, the pages.
    void Start(bool blockMapped);

    // Mode kApplyComputed (Apply, OK, import) or kApplyMarked (resets).
    void Apply(int mode);
    bool applyPending() const { return gate_.pending(); }

    void SelectProfile(int index);
    void SetOrientation(int orientation);

    // Reads the chosen file into the current profile, then applies.
    ImportOutcome Import(const std::string& chosenPath);
    // Writes the current profile of the working copy to a file of its own.
    bool Export(const std::string& path);

    void ResetCurrent();
    void ResetAll();

    // Monitor's notifications.
    void OnBlockRefresh();
    void OnProfileChanged();
    void OnDeviceValuesChanged();
    void OnApplyDone();
    // UM_APPLY_PROGRESS: shown only while an apply of ours is pending.
    void OnApplyProgress(unsigned long packed, long remainingPauseMs);
    // UM_DEVICE_STATE, and Monitor's answer to the query at start.
    void OnDeviceState(unsigned long word);

    // The macro manager edits the library and the working copy's macro
    // buttons directly. Leaving it with OK saves the library; any other way
    // out loads the saved one again and gives the buttons (and their change
    // flags) back as they were when it opened.
    void OpenMacroManager();
    void CloseMacroManager(bool keep);
    // The watch on a pending apply, run by a timer while one is pending.
    void OnApplyWatch();

    const std::string& programFolder() const { return programFolder_; }
    SettingsStore& working() { return *working_; }
    const SettingsStore& applied() const { return *applied_; }
    MacroLibrary& macros() { return macros_; }
    OsdSettings& osd() { return osd_; }
    int currentProfile() const;
    ProfileSettings& currentSettings() { return working_->profiles[currentProfile()]; }

private:
    bool ReadBlockInto(SettingsStore& store);
    void SaveMacros();
    void EndPending();

    std::string programFolder_;
    OptionEffects& effects_;
    std::unique_ptr<SettingsStore> applied_;
    std::unique_ptr<SettingsStore> working_;
    MacroLibrary macros_;
    OsdSettings osd_;
    ApplyGate gate_;
    ProgressAreaState area_;
    std::unique_ptr<SettingsStore> beforeMacroManager_;
};

// A file holds a profile when its section "Setting" has at least one key of
// a profile file; anything else is not read over the user's profile.
bool HoldsProfile(const std::string& path);

// The profile file dialogs of import and export.
constexpr char kProfileFileFilter[] = "Gaming Mouse Profile(*.gmp)|*.gmp|";
constexpr char kProfileDefaultExtension[] = "gmp";
// "<ProgramFolder>config\.gmp": the dialogs open in the profile folder.
std::string ProfileDialogInitialName(const std::string& programFolder);
// The filter as the common dialogs take it: '|' becomes a zero.
std::string DialogFilter(const char* filter);

}  // namespace kestra
