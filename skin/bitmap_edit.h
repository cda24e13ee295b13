// The rules of the skinned entry field that need no window: which keys a
// numeric field lets through and what is left of a text put into it.
#pragma once

#include <cstddef>
#include <string>

namespace kestra {

// Virtual keys a numeric field accepts: the digits of the main keyboard,
// Backspace, Enter, End, Home, Left, Right, Delete, comma and point. With
// Ctrl held (and Alt not) every key passes: those are the clipboard and
// selection shortcuts, and what they insert still goes through the filter.
bool NumericEditAcceptsKey(unsigned virtualKey, bool controlDown, bool altDown);

// Typed characters a numeric field keeps: digits, comma and point; control
// characters (Backspace, the clipboard shortcuts) are left to the field.
bool NumericEditAcceptsChar(unsigned char c);

struct FilteredText {
    std::string text;
    size_t caret;  // where a caret at the old position ends up
    bool changed;
};

// Keeps only the digits, commas and points of `text`, in their order.
// `caret` (clamped to the text) moves left by the characters dropped before it.
FilteredText FilterNumericText(const std::string& text, size_t caret);

}  // namespace kestra
