#include "settings/osd_text_record.h"

#include "settings/ipc_names.h"

namespace kestra {

bool ReadOsdTextRecord(const void* data, size_t size, std::string& text) {
    if (!data || size != kOsdTextRecordSize) return false;
    const char* bytes = static_cast<const char*>(data) + 1;
    // The last byte is the terminator whatever the sender put there.
    const size_t room = kOsdTextRecordSize - 2;
    size_t length = 0;
    while (length < room && bytes[length] != 0) ++length;
    text.assign(bytes, length);
    return true;
}

}  // namespace kestra
