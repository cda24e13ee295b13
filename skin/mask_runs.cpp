#include "skin/mask_runs.h"

#include <algorithm>

namespace kestra {
namespace {

MaskBatch EmptyBatch() {
    MaskBatch batch;
    batch.bounds = {0x7FFFFFFF, 0x7FFFFFFF, 0, 0};
    return batch;
}

}  // namespace

std::vector<MaskBatch> ExtractMaskRuns(const uint8_t* pixels, int32_t width, int32_t height,
                                       size_t stride, bool bottomUp, uint32_t colour,
                                       uint32_t tolerance, size_t batchSize) {
    std::vector<MaskBatch> batches;
    if (pixels == nullptr || width <= 0 || height <= 0 || stride < size_t(width) * 4) {
        return batches;
    }
    if (batchSize == 0) batchSize = 1;
    // Indexed by memory byte: blue, green, red, the reverse of a COLORREF.
    uint8_t low[3];
    uint8_t high[3];
    for (int i = 0; i < 3; ++i) {
        const int shift = 8 * (2 - i);
        low[i] = static_cast<uint8_t>(colour >> shift);
        const unsigned sum = unsigned(low[i]) + ((tolerance >> shift) & 0xFF);
        high[i] = static_cast<uint8_t>(std::min(sum, 255u));
    }
    auto transparent = [&](const uint8_t* px) {
        return px[0] >= low[0] && px[0] <= high[0] && px[1] >= low[1] && px[1] <= high[1] &&
               px[2] >= low[2] && px[2] <= high[2];
    };

    MaskBatch current = EmptyBatch();
    for (int32_t y = 0; y < height; ++y) {
        const size_t memoryRow = bottomUp ? size_t(height - 1 - y) : size_t(y);
        const uint8_t* row = pixels + memoryRow * stride;
        int32_t x = 0;
        while (x < width) {
            while (x < width && transparent(row + size_t(x) * 4)) ++x;
            const int32_t x0 = x;
            while (x < width && !transparent(row + size_t(x) * 4)) ++x;
            if (x0 >= x) continue;
            current.rects.push_back({x0, y, x, y + 1});
            SkinRect& b = current.bounds;
            b.left = std::min(b.left, x0);
            b.top = std::min(b.top, y);
            b.right = std::max(b.right, x);
            b.bottom = std::max(b.bottom, y + 1);
            if (current.rects.size() == batchSize) {
                batches.push_back(std::move(current));
                current = EmptyBatch();
            }
        }
    }
    if (!current.rects.empty()) batches.push_back(std::move(current));
    return batches;
}

}  // namespace kestra
