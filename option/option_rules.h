// What the main window's commands decide, apart from their windows: which
// profile becomes current, what an import, an export, the two resets, an
// apply and the notifications from Monitor store and flag, the function name
// a button box shows, and when a pending apply gives the buttons back.
#pragma once

#include <cstdint>
#include <string>

#include "keys/key_names.h"
#include "settings/language_text.h"
#include "settings/settings_record.h"

namespace kestra {

// Profile button n (0..4) makes profile n current in the working copy.
// Nothing else changes; out-of-range numbers are ignored.
void SelectProfile(SettingsStore& working, int index);

// The current profile's own file, where an import is copied to.
std::string ImportTargetPath(const std::string& programFolder, int currentProfile);
// The chosen file is copied onto the target only when it is another file
// (paths compared ignoring case and the kind of separator).
bool ImportNeedsCopy(const std::string& chosen, const std::string& target);
// After the imported profile was read into the current profile: every
// button of it is resent, because the file may change any of the sixteen.
void MarkImportedProfile(SettingsStore& working);

// The current profile becomes a default profile with its own number, and
// everything of it is flagged for resending.
void ResetCurrentProfile(SettingsStore& working);
// All profiles default, profile 0 current, everything flagged. (The display
// settings go back to their defaults with it: MakeDefaultOsdSettings.)
void ResetAll(SettingsStore& working);

// Mode 0: the flags follow from comparing with the applied copy. Mode 1:
// the caller has already marked what to resend.
constexpr int kApplyComputed = 0;
constexpr int kApplyMarked = 1;
void PrepareApply(const SettingsStore& applied, SettingsStore& working, int mode);
// After the store was handed over: the handed-over flags are cleared and the
// working copy becomes the applied copy.
void FinishApply(SettingsStore& applied, SettingsStore& working);

// A store read from the shared block replaces both copies. On a full
// refresh the handed-over flags of the copy read are cleared first.
void TakeBlock(const SettingsStore& block, SettingsStore& applied, SettingsStore& working,
               bool clearFlags);
// The device changed its level, sensitivity or report rate: the applied copy
// is the block; only those four values of the current profile reach the
// working copy, so other edits not yet applied survive.
void TakeDeviceValues(const SettingsStore& block, SettingsStore& applied,
                      SettingsStore& working);

// The two editors of button functions differ in two entries of the table.
enum class BoxEditor { kMainWindow, kButtonPage };

// "  " followed by the name of the button's function.
std::string BoxText(const ButtonAssignment& button, BoxEditor editor, const LanguageText* texts,
                    const KeyboardLayout& layout);

// Longest time Option waits for Monitor to answer an apply. A full apply of
// five profiles, all of whose buttons play 40-step macros, takes well under
// half of it.
constexpr uint32_t kApplyAnswerTimeoutMs = 60000;

// The pending apply: the buttons come back when Monitor answers, when it
// was not there to ask, when its window is gone, or after the time-out.
class ApplyGate {
public:
    void Begin(uint32_t now) {
        pending_ = true;
        startedAt_ = now;
    }
    void End() { pending_ = false; }
    bool pending() const { return pending_; }
    // True when a pending apply must end now. Tick counts wrap; the
    // difference is taken modulo 2^32.
    bool GivesUp(uint32_t now, bool monitorWindowExists) const {
        return pending_ && (!monitorWindowExists || now - startedAt_ >= kApplyAnswerTimeoutMs);
    }

private:
    bool pending_ = false;
    uint32_t startedAt_ = 0;
};

}  // namespace kestra
