// Any bytes as a skin file and as one control entry: entries and areas are
// read without crashing or overrunning, whatever the commas, numbers and
// names hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_files.h"
#include "skin/skin_entry.h"
#include "skin/skin_file.h"

using namespace kestra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // One entry's text, as a value of the file would give it.
    const size_t cut = bytes.find('\n');
    const std::string line = bytes.substr(0, cut);
    SkinControlEntry entry;
    ParseControlEntry(line.c_str(), entry);
    SkinRect area;
    (void)ParseAreaEntry(line.c_str(), area);

    const SkinFile file(kestra_fuzz::WriteScratch("skin.ini", bytes));
    (void)file.ReadScreen();
    for (int number = -1; number < 64; ++number) {
        (void)file.ReadEntry(number, "fallback,1,2,3,4,");
        (void)file.ReadArea(number, area);
    }
    return 0;
}
