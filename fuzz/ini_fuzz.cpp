// Any bytes as an INI file: parsing, rewriting, lookups and decoding must never
// crash or overrun, and what they return keeps its limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/ini_file.h"
#include "settings/settings_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    kestra::IniDocument doc = kestra::IniDocument::Parse(bytes);
    const std::string once = doc.Serialize();
    (void)kestra::IniDocument::Parse(once).Serialize();

    // Use the first line's text as section and key names to probe lookups.
    const size_t cut = bytes.find('\n');
    const std::string name = bytes.substr(0, cut == std::string::npos ? 16 : cut);
    std::string value;
    for (const char* section : {"Setting", "Macros", name.c_str()}) {
        for (const char* key : {"MacroKeyInfo0", "0", "PollingRate", name.c_str()}) {
            if (!doc.Find(section, key, value)) continue;
            if (value.find('\n') != std::string::npos) abort();  // values end with their line
            (void)kestra::IniIntFromValue(value);
            if (kestra::IniStringFromValue(value, 249).size() > 249) abort();
            kestra::ButtonAssignment button;
            if (kestra::DecodeIniStruct(value, &button, sizeof button) &&
                kestra::EncodeIniStruct(&button, sizeof button) != value &&
                value.find_first_of("abcdef") == std::string::npos)
                abort();  // an accepted record re-encodes to the same digits
        }
    }
    // The structure decoder on its own, at every small size.
    for (size_t n = 0; n < 8 && n * 2 + 2 <= bytes.size() + 2; ++n) {
        unsigned char out[8];
        (void)kestra::DecodeIniStruct(bytes, out, n);
    }
    doc.Set(name, name, bytes.substr(0, 64));
    (void)doc.Serialize();
    return 0;
}
