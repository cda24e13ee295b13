// Any bytes as the macro library file and as an imported `.macro` file:
// loading keeps every name terminated and every step count within its
// slots, a save and a load give the same list, and matching it against the
// buttons of a store never reads past it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/fuzz_files.h"
#include "option/button_assignment.h"
#include "option/macro_editor.h"
#include "option/macro_library.h"
#include "settings/settings_record.h"

using namespace kestra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = kestra_fuzz::WriteScratch("sequence.dat", bytes);
    MacroLibrary library;
    library.Load(path);
    for (const Macro& m : library.macros()) {
        if (strnlen(m.name, sizeof m.name) >= sizeof m.name) abort();
        if (m.stepCount > kMacroStepSlots) abort();
    }
    const std::string copy = kestra_fuzz::ScratchFolder() + "sequence-copy.dat";
    if (!library.Save(copy)) abort();
    MacroLibrary again;
    again.Load(copy);
    if (again.macros().size() != library.macros().size()) abort();
    for (size_t i = 0; i < library.macros().size(); ++i) {
        if (memcmp(&again.macros()[i], &library.macros()[i], sizeof(Macro)) != 0) abort();
    }
    if (!library.macros().empty()) {
        const Macro& first = library.macros().front();
        if (library.Find(std::string(first.name)) < 0) abort();
    }
    // Buttons that name the macros, and one that names none.
    std::unique_ptr<SettingsStore> store(new SettingsStore);
    ClearStore(*store);
    ResetAllProfiles(*store);
    for (size_t i = 0; i < library.macros().size() && i < kButtonCount; ++i) {
        CopyMacroToButton(library.macros()[i], store->profiles[i % kProfileCount].buttons[i]);
    }
    (void)ReconcileMacroButtons(*store, library);
    (void)library.ReconcileWith(*store);

    // The same bytes as a `.macro` file imported twice: each import adds at
    // most one macro, named within its field.
    const size_t before = library.macros().size();
    const std::string file = kestra_fuzz::WriteScratch("import.macro", bytes);
    for (int i = 0; i < 2; ++i) (void)ImportMacroFile(library, file);
    if (library.macros().size() > before + 2) abort();
    for (const Macro& m : library.macros()) {
        if (strnlen(m.name, sizeof m.name) >= sizeof m.name) abort();
        if (m.stepCount > kMacroStepSlots) abort();
    }
    return 0;
}
