#include "skin/skin_entry.h"

#include <cstring>

namespace kestra {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

void CopyCut(char* target, size_t capacity, const char* begin, const char* end) {
    size_t length = static_cast<size_t>(end - begin);
    if (length > capacity - 1) length = capacity - 1;
    memcpy(target, begin, length);
    target[length] = '\0';
}

// One "%d": blanks, an optional sign and at least one digit. Out-of-range
// values saturate rather than overflow.
bool ReadNumber(const char*& p, int64_t& value) {
    while (IsBlank(*p)) ++p;
    const char* q = p;
    bool negative = false;
    if (*q == '+' || *q == '-') negative = (*q++ == '-');
    if (*q < '0' || *q > '9') return false;
    int64_t magnitude = 0;
    while (*q >= '0' && *q <= '9') {
        if (magnitude < (int64_t{1} << 33)) magnitude = magnitude * 10 + (*q - '0');
        ++q;
    }
    value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX) value = INT32_MAX;
    if (value < INT32_MIN) value = INT32_MIN;
    p = q;
    return true;
}

int32_t Clamp32(int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

}  // namespace

void ParseControlEntry(const char* text, SkinControlEntry& entry) {
    memset(&entry, 0, sizeof(entry));
    if (text == nullptr) return;
    const char* end = text + strlen(text);
    const char* firstComma = strchr(text, ',');
    if (firstComma == nullptr) {
        CopyCut(entry.name, sizeof(entry.name), text, end);
        return;
    }
    CopyCut(entry.name, sizeof(entry.name), text, firstComma);

    int64_t numbers[4] = {0, 0, 0, 0};
    const char* p = firstComma + 1;
    for (int i = 0; i < 4; ++i) {
        if (!ReadNumber(p, numbers[i])) break;
        if (i < 3) {
            if (*p != ',') break;
            ++p;
        }
    }
    entry.rect.left = Clamp32(numbers[0]);
    entry.rect.top = Clamp32(numbers[1]);
    entry.rect.right = Clamp32(numbers[0] + numbers[2]);
    entry.rect.bottom = Clamp32(numbers[1] + numbers[3]);

    const char* captionBegin = strrchr(text, ',') + 1;
    while (captionBegin < end && IsBlank(*captionBegin)) ++captionBegin;
    const char* captionEnd = end;
    while (captionEnd > captionBegin && IsBlank(captionEnd[-1])) --captionEnd;
    CopyCut(entry.caption, sizeof(entry.caption), captionBegin, captionEnd);
}

bool ParseAreaEntry(const char* text, SkinRect& area) {
    area = SkinRect{0, 0, 0, 0};
    if (text == nullptr) return false;
    int64_t numbers[4] = {0, 0, 0, 0};
    const char* p = text;
    for (int i = 0; i < 4; ++i) {
        if (!ReadNumber(p, numbers[i])) return false;
        if (i < 3) {
            if (*p != ',') return false;
            ++p;
        }
    }
    if (numbers[2] <= numbers[0] || numbers[3] <= numbers[1]) return false;
    area = SkinRect{Clamp32(numbers[0]), Clamp32(numbers[1]), Clamp32(numbers[2]),
                    Clamp32(numbers[3])};
    return true;
}

}  // namespace kestra
