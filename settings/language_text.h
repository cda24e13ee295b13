// Texts shown to the user, looked up by string number in the language
// library. A missing library or number gives the empty text; the programs
// carry no texts of their own.
#pragma once

#include <cstddef>
#include <string>

namespace kestra {

constexpr char kLanguageLibraryName[] = "uitext.dll";

class LanguageText {
public:
    virtual ~LanguageText() = default;
    virtual std::string Text(int number) const = 0;
};

// Copies the text into a caller's buffer, cut to fit and always terminated;
// a null source gives the empty text.
void CopyLanguageText(const LanguageText* source, int number, char* buffer, size_t size);

}  // namespace kestra
