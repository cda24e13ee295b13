// The settings that make an ApplyAll in mode all send the most it can: every
// button of every profile carries a 40-step macro, with delays that give
// both the two- and the four-byte step events.
#pragma once

#include <memory>

#include "device/device_commands.h"
#include "settings/settings_record.h"

namespace kestra_test {

inline std::unique_ptr<kestra::SettingsStore> FullApplyStore() {
    using namespace kestra;
    std::unique_ptr<SettingsStore> store(new SettingsStore);
    ClearStore(*store);
    ResetAllProfiles(*store);
    store->CurrentProfile = 2;
    for (int p = 0; p < kProfileCount; ++p) {
        store->profiles[p].PollingRate = p % 4;
        store->profiles[p].CpiStep = p;
        for (int b = 0; b < kButtonCount; ++b) {
            ButtonAssignment& a = store->profiles[p].buttons[b];
            a.function = kFunctionMacro;
            a.repeatCount = 1 + b;
            a.playOption = p;
            a.stepCount = kMacroStepSlots;
            for (int s = 0; s < kMacroStepSlots; ++s) {
                MacroStep& step = a.steps[s];
                step.key = static_cast<uint8_t>(4 + (s + b) % 26);
                step.action = static_cast<uint8_t>(1 + s % 2);
                step.delay = static_cast<uint16_t>((s * 50 + p * 7 + b) % 2000);
            }
        }
    }
    return store;
}

}  // namespace kestra_test
