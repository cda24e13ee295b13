#include "settings/language_text.h"

#include "settings/settings_record.h"

namespace kestra {

void CopyLanguageText(const LanguageText* source, int number, char* buffer, size_t size) {
    if (!buffer || size == 0) return;
    if (!source) {
        buffer[0] = 0;
        return;
    }
    CopyText(buffer, size, source->Text(number).c_str());
}

}  // namespace kestra
