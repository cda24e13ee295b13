// Option's side of the change flags: which groups of a profile differ between
// the copy last sent to Monitor and the edited copy, and which flags are
// cleared once a store has been handed over. Marking all or one profile as
// changed lives with the record (MarkAllChanged, MarkProfileChanged).
#pragma once

#include "settings/settings_record.h"

namespace kestra {

// The per-profile flag groups that follow from comparing fields.
enum class ChangeGroup { kOtherFirst, kOtherSecond, kPolling, kLevel, kBlock };

// Sets every compared flag of `working` (other first and second groups,
// polling, level, block per profile, and the CurrentProfile word) to 1 where
// the fields differ from `applied` and to 0 where they are equal. Button flags
// are set by the pages that edit buttons and are left alone.
void ComputeChangeFlags(const SettingsStore& applied, SettingsStore& working);

// Clears the button flags and both groups of other flags (bytes 42228..42587).
// The CurrentProfile word and the polling, level and block flags stay.
void ClearHandedOverFlags(SettingsStore& store);

}  // namespace kestra
