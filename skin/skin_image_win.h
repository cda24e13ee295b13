// Skin images: loading through the system picture decoder, the window
// outline from a mask, and the cut-out state images of a control.
#pragma once

#include <windows.h>

#include <string>

#include "skin/gdi_win.h"

namespace kestra {

// Any format the system decoder reads (skins use BMP and JPEG), as a DIB
// section. A missing or unreadable file leaves `bitmap` empty and `size`
// 0 x 0 and returns false.
bool LoadSkinImage(const std::string& path, Bitmap& bitmap, SIZE& size);

// The region of every pixel not of the transparent colour (within the
// tolerance, byte by byte); empty for an all-transparent mask, null when the
// bitmap is empty or no DC can be had.
Region MaskToRegion(HBITMAP bitmap, COLORREF transparent, COLORREF tolerance);

// A 32-bit DIB section of that size, for the state images and the
// off-screen frames of painting: the same pixels as a bitmap compatible with
// the screen, and under Wine many times cheaper to make. Empty for a size
// of zero or less.
Bitmap CreateFrameBitmap(int width, int height);

// target = a copy of source's rectangle (left, top, right, bottom), a 32-bit
// DIB section that windowDc draws. Leaves target alone when source is empty.
void CutStateImage(HDC windowDc, Bitmap& target, HBITMAP source, int left, int top, int right,
                   int bottom);

}  // namespace kestra
