#include "skin/bitmap_edit.h"

namespace kestra {
namespace {

bool IsNumericChar(unsigned char c) {
    return (c >= '0' && c <= '9') || c == ',' || c == '.';
}

}  // namespace

bool NumericEditAcceptsKey(unsigned virtualKey, bool controlDown, bool altDown) {
    if (controlDown && !altDown) return true;
    if (virtualKey >= '0' && virtualKey <= '9') return true;
    switch (virtualKey) {
        case 8:    // VK_BACK
        case 13:   // VK_RETURN
        case 35:   // VK_END
        case 36:   // VK_HOME
        case 37:   // VK_LEFT
        case 39:   // VK_RIGHT
        case 46:   // VK_DELETE
        case 188:  // VK_OEM_COMMA
        case 190:  // VK_OEM_PERIOD
            return true;
        default:
            return false;
    }
}

bool NumericEditAcceptsChar(unsigned char c) {
    return c < 0x20 ? c != '\r' && c != '\n' : IsNumericChar(c);
}

FilteredText FilterNumericText(const std::string& text, size_t caret) {
    FilteredText result{std::string(), 0, false};
    if (caret > text.size()) caret = text.size();
    result.text.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsNumericChar(c)) {
            result.text += static_cast<char>(c);
            if (i < caret) ++result.caret;
        } else {
            result.changed = true;
        }
    }
    if (!result.changed) result.caret = caret;
    return result;
}

}  // namespace kestra
