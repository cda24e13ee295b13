// The language library loaded from the program folder, held until the window
// that loaded it is destroyed.
#pragma once

#include <windows.h>

#include <string>

#include "settings/language_text.h"

namespace kestra {

class LanguageLibrary : public LanguageText {
public:
    LanguageLibrary() = default;
    ~LanguageLibrary() override { Free(); }
    LanguageLibrary(const LanguageLibrary&) = delete;
    LanguageLibrary& operator=(const LanguageLibrary&) = delete;

    // Loads programFolder + "uitext.dll"; false (and empty texts) when absent.
    bool Load(const std::string& programFolder);
    void Free();
    bool IsLoaded() const { return module_ != nullptr; }

    std::string Text(int number) const override;

private:
    HMODULE module_ = nullptr;
};

}  // namespace kestra
