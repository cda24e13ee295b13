// A skin file: the window images of its "SCREEN" section and the control
// entries of "BUTTONPOS". Missing files and keys read as empty.
#pragma once

#include <string>

#include "settings/ini_file.h"
#include "skin/skin_entry.h"

namespace kestra {

struct SkinScreenImages {
    std::string mask;
    std::string normal;
    std::string over;
    std::string down;
    std::string disable;
};

class SkinFile {
public:
    explicit SkinFile(const std::string& path) : ini_(path) {}

    SkinScreenImages ReadScreen() const;
    // Entry "1", "2", ...; `fallback` stands in for a missing key.
    SkinControlEntry ReadEntry(int number, const char* fallback = "") const;
    // A placement entry "left,top,right,bottom"; false when missing or malformed.
    bool ReadArea(int number, SkinRect& area) const;

private:
    IniFile ini_;
};

}  // namespace kestra
