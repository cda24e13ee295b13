// One control entry of a skin file's "BUTTONPOS" section: "name,x,y,w,h,caption".
#pragma once

#include <cstdint>

namespace kestra {

struct SkinRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct SkinControlEntry {
    char name[40];
    SkinRect rect;  // right = x + w, bottom = y + h
    char caption[400];
    int32_t initialState;  // always 0 after parsing
};

// Never fails: a malformed entry leaves the fields it could not read zero.
// The four numbers follow "%d,%d,%d,%d" rules after the first comma; the
// caption is the trimmed text after the last comma, so an entry ending in its
// fourth number takes that number as caption. Over-long texts are cut.
void ParseControlEntry(const char* text, SkinControlEntry& entry);

// A placement entry "left,top,right,bottom" (four "%d" numbers, as the main
// window's page area is given). False, and `area` all zero, unless all four
// numbers are there and the rectangle is not empty.
bool ParseAreaEntry(const char* text, SkinRect& area);

}  // namespace kestra
