// Any bytes as the settings files a user or another program left behind:
// config.ini, the five profile files and a profile chosen for import. Loading
// never crashes or overruns, every text it gives is terminated inside its
// field, and what was loaded survives a save and a second load unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/fuzz_files.h"
#include "option/option_logic.h"
#include "settings/osd_settings.h"
#include "settings/settings_files.h"

using namespace kestra;

namespace {

void CheckTerminated(const char* field, size_t size) {
    if (strnlen(field, size) >= size) abort();
}

void CheckTexts(const SettingsStore& store) {
    for (const ProfileSettings& p : store.profiles) {
        CheckTerminated(p.ProFileName, sizeof p.ProFileName);
        CheckTerminated(p.GameFile, sizeof p.GameFile);
        for (const ButtonAssignment& b : p.buttons) {
            CheckTerminated(b.label, sizeof b.label);
            CheckTerminated(b.programPath, sizeof b.programPath);
            if (b.stepCount > kMacroStepSlots) abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string folder = kestra_fuzz::ScratchFolder() + "program/";
    EnsureDirectory(folder + "config");
    WriteFileAtomically(ConfigIniPath(folder), kestra_fuzz::Piece(bytes, 0));
    for (int i = 0; i < kProfileCount; ++i) {
        WriteFileAtomically(ProfileFilePath(folder, i), kestra_fuzz::Piece(bytes, 1 + i));
    }
    // Both stores start zeroed: only what the files give may differ.
    std::unique_ptr<SettingsStore> store(new SettingsStore());
    memset(store.get(), 0, sizeof(SettingsStore));
    LoadStore(folder, *store);
    CheckTexts(*store);

    // What was loaded is what a save keeps.
    const std::string copy = kestra_fuzz::ScratchFolder() + "copy/";
    EnsureDirectory(copy + "config");
    SaveStore(copy, *store);
    std::unique_ptr<SettingsStore> again(new SettingsStore());
    memset(again.get(), 0, sizeof(SettingsStore));
    LoadStore(copy, *again);
    const auto* a = reinterpret_cast<const uint8_t*>(store.get());
    const auto* b = reinterpret_cast<const uint8_t*>(again.get());
    for (size_t i = 0; i < sizeof(SettingsStore); ++i) {
        if (a[i] != b[i]) {
            fprintf(stderr, "a save and load changed byte %zu: %02X became %02X\n", i, a[i], b[i]);
            abort();
        }
    }

    OsdSettings osd;
    (void)ReadOsdSettings(ConfigIniPath(folder), osd);
    (void)LoadOsdSettings(ConfigIniPath(folder));
    (void)ReadFirmwareVersion(folder);
    (void)ReadMouseType(folder);

    // A file chosen for import.
    const std::string import = kestra_fuzz::WriteScratch("import.gmp", kestra_fuzz::Piece(bytes, 6));
    if (HoldsProfile(import)) {
        ProfileSettings profile = store->profiles[0];
        if (!LoadProfile(import, profile)) abort();
        CheckTerminated(profile.ProFileName, sizeof profile.ProFileName);
    }
    return 0;
}
