// Helpers shared by the native tests: the default store, macro buttons, and
// the trace that recording fakes keep.
#pragma once

#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "settings/settings_record.h"

namespace kestra_test {

using Trace = std::vector<std::string>;

// What was recorded so far; the trace starts afresh.
inline Trace Take(Trace& trace) {
    Trace taken;
    taken.swap(trace);
    return taken;
}

// The five default profiles, profile 0 current, no flags set.
inline std::unique_ptr<kestra::SettingsStore> DefaultStore() {
    std::unique_ptr<kestra::SettingsStore> store(new kestra::SettingsStore);
    kestra::ClearStore(*store);
    kestra::ResetAllProfiles(*store);
    return store;
}

// A macro button (function 16) with these steps, zero everywhere else.
inline kestra::ButtonAssignment MacroButton(std::initializer_list<kestra::MacroStep> steps,
                                            int32_t repeat = 1, const char* label = "") {
    kestra::ButtonAssignment b;
    memset(&b, 0, sizeof b);
    b.function = 16;
    kestra::CopyText(b.label, sizeof b.label, label);
    b.repeatCount = repeat;
    for (const kestra::MacroStep& s : steps) b.steps[b.stepCount++] = s;
    return b;
}

// A macro button of `count` steps: key 4 + i pressed, 10 * i ms after it.
inline kestra::ButtonAssignment NumberedMacro(const char* label, int count, int32_t repeat = 1) {
    kestra::ButtonAssignment b = MacroButton({}, repeat, label);
    for (; b.stepCount < count; ++b.stepCount) {
        const int i = b.stepCount;
        b.steps[i] =
            kestra::MacroStep{static_cast<uint8_t>(4 + i), 1, static_cast<uint16_t>(10 * i)};
    }
    return b;
}

}  // namespace kestra_test
