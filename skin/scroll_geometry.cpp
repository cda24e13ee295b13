#include "skin/scroll_geometry.h"

#include <climits>
#include <cstdint>

namespace kestra {
namespace {

constexpr int kMinimumThumb = 6;
constexpr int kShortestTrackWithThumb = 6;

int Clamp64(int64_t v, int64_t low, int64_t high) {
    if (v > high) v = high;
    if (v < low) v = low;
    return static_cast<int>(v);
}

}  // namespace

int ScrollSpan(const ScrollState& state) {
    const int64_t span = static_cast<int64_t>(state.max) - state.min - state.page + 1;
    return Clamp64(span, 0, INT_MAX);
}

ScrollGeometry ComputeScrollGeometry(const ScrollState& state, int length, int unit) {
    ScrollGeometry g;
    g.length = length < 0 ? 0 : length;
    if (unit < 0) unit = 0;
    g.track = g.length - 2 * unit > 0 ? g.length - 2 * unit : 0;
    g.arrow = g.track == 0 ? g.length / 2 : unit;
    if (g.track >= kShortestTrackWithThumb) {
        const int64_t range = static_cast<int64_t>(state.max) - state.min + 1;
        const int64_t page = state.page < 0 ? 0 : state.page;
        int64_t thumb = range > 0 ? page * g.track / range : g.track;
        if (thumb < kMinimumThumb) thumb = kMinimumThumb;
        g.thumb = Clamp64(thumb, 0, g.track);
    }
    const int span = ScrollSpan(state);
    const int free = g.track - g.thumb;
    if (span == 0) {
        g.offset = free / 2;
    } else {
        const int position = state.trackPos >= 0 ? state.trackPos : state.pos;
        const int64_t from = Clamp64(static_cast<int64_t>(position) - state.min, 0, span);
        g.offset = static_cast<int>(free * from / span);
    }
    return g;
}

ScrollPart ScrollHitTest(const ScrollGeometry& g, int c) {
    if (c < g.arrow) return kScrollLineUp;
    if (c < g.arrow + g.offset) return kScrollPageUp;
    if (c < g.arrow + g.offset + g.thumb) return kScrollThumb;
    if (c < g.length - g.arrow) return kScrollPageDown;
    return kScrollLineDown;
}

int ScrollDragPosition(const ScrollState& state, const ScrollGeometry& g, int start, int pressAt,
                       int at) {
    const int span = ScrollSpan(state);
    int64_t position = start;
    const int free = g.track - g.thumb;
    if (free > 0)
        position += static_cast<int64_t>(span) * (static_cast<int64_t>(at) - pressAt) / free;
    return Clamp64(position, state.min, static_cast<int64_t>(state.min) + span);
}

}  // namespace kestra
