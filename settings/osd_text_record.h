// The text record that other programs send to Monitor with WM_COPYDATA for
// the on-screen display: exactly 151 bytes, byte 0 unused, then a text.
#pragma once

#include <cstddef>
#include <string>

namespace kestra {

// True when `size` is exactly the record size; `text` then holds the text of
// bytes 1..150, which ends at the first zero and never runs past the record
// (at most 149 characters). Any other size or no data: false, text untouched.
bool ReadOsdTextRecord(const void* data, size_t size, std::string& text);

}  // namespace kestra
