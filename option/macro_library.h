// The user's macro library: named macros of up to 40 steps, kept in
// "config\sequence.dat", and its reconciliation with the macro copies that
// button assignments carry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings_record.h"

namespace kestra {

constexpr int kMacroNameSize = 52;

struct Macro {
    char name[kMacroNameSize];
    int32_t repeatCount;  // 1..255; 1 = play once
    int32_t stepCount;    // 0..40
    MacroStep steps[kMacroStepSlots];
};
static_assert(sizeof(Macro) == 220, "macro record");

std::string MacroLibraryPath(const std::string& programFolder);

// The macro's name: up to its terminator or the field's end.
std::string NameOf(const Macro& macro);
// `text` without blanks at both ends.
std::string TrimBlanks(const std::string& text);

class MacroLibrary {
public:
    // Replaces the list with the file's macros. A missing file gives an
    // empty list; damaged records are skipped, names are terminated and step
    // counts kept within the slots.
    void Load(const std::string& path);
    // Writes the whole list in order; the old file is replaced in one step.
    bool Save(const std::string& path) const;

    // The first macro whose name equals `name` with blanks trimmed on both
    // sides and case ignored; -1 when none.
    int Find(const std::string& name) const;

    // The macro a button's label names: Find's match first, else a macro
    // whose name is longer than a label holds and was cut to `label` (at
    // 24 characters, or at 25 as labels stored by earlier versions were);
    // -1 when none. Every lookup of a macro by a button uses this one rule.
    int FindForLabel(const std::string& label) const;

    // Every macro button (function 16, non-empty label) of every profile
    // finds its macro by label (FindForLabel): a missing one is added from the button, one
    // that differs in step count, repeat count or a used step takes the
    // button's. The buttons stay as they are. Returns true when the list
    // changed.
    bool ReconcileWith(const SettingsStore& store);

    std::vector<Macro>& macros() { return macros_; }
    const std::vector<Macro>& macros() const { return macros_; }

private:
    std::vector<Macro> macros_;
};

}  // namespace kestra
