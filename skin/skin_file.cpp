#include "skin/skin_file.h"

namespace kestra {
namespace {
constexpr size_t kSkinValueMax = 2047;  // a 2048-byte buffer
}

SkinScreenImages SkinFile::ReadScreen() const {
    SkinScreenImages images;
    images.mask = ini_.GetString("SCREEN", "Mask", "", kSkinValueMax);
    images.normal = ini_.GetString("SCREEN", "Normal", "", kSkinValueMax);
    images.over = ini_.GetString("SCREEN", "Over", "", kSkinValueMax);
    images.down = ini_.GetString("SCREEN", "Down", "", kSkinValueMax);
    images.disable = ini_.GetString("SCREEN", "Disable", "", kSkinValueMax);
    return images;
}

SkinControlEntry SkinFile::ReadEntry(int number, const char* fallback) const {
    const std::string text = ini_.GetString("BUTTONPOS", std::to_string(number),
                                            fallback ? fallback : "", kSkinValueMax);
    SkinControlEntry entry;
    ParseControlEntry(text.c_str(), entry);
    return entry;
}

bool SkinFile::ReadArea(int number, SkinRect& area) const {
    const std::string text = ini_.GetString("BUTTONPOS", std::to_string(number), "", kSkinValueMax);
    return ParseAreaEntry(text.c_str(), area);
}

}  // namespace kestra
