// The outline of a mask image as one-pixel-high runs of non-transparent
// pixels, grouped in batches of at most a fixed number of rectangles so that
// each batch fits one region call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "skin/skin_entry.h"

namespace kestra {

constexpr size_t kMaskBatchSize = 2000;

struct MaskBatch {
    std::vector<SkinRect> rects;
    SkinRect bounds;  // starts at (0x7FFFFFFF, 0x7FFFFFFF, 0, 0) and widens with each run
};

// A 32-bit pixel buffer: `height` rows of `stride` bytes, each pixel blue,
// green, red, unused in memory (a 32-bit DIB); with bottomUp the first row in
// memory is the image's last row. `colour` and `tolerance` are COLORREFs (red
// in the low byte). A pixel is transparent when each of its red, green and
// blue lies in [c, c + t] for that channel's c of `colour` and t of
// `tolerance`. Runs are listed top row first, left to right.
std::vector<MaskBatch> ExtractMaskRuns(const uint8_t* pixels, int32_t width, int32_t height,
                                       size_t stride, bool bottomUp, uint32_t colour,
                                       uint32_t tolerance, size_t batchSize = kMaskBatchSize);

}  // namespace kestra
