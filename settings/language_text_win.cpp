#include "settings/language_text_win.h"

namespace kestra {

bool LanguageLibrary::Load(const std::string& programFolder) {
    Free();
    const std::string path = programFolder + kLanguageLibraryName;
    module_ = LoadLibraryA(path.c_str());
    return module_ != nullptr;
}

void LanguageLibrary::Free() {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
}

std::string LanguageLibrary::Text(int number) const {
    if (!module_ || number < 0 || number > 0xFFFF) return std::string();
    char buffer[1024];
    const int length = LoadStringA(module_, static_cast<UINT>(number), buffer, sizeof buffer);
    if (length <= 0) return std::string();
    return std::string(buffer, static_cast<size_t>(length));
}

}  // namespace kestra
