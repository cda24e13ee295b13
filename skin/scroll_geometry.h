// The skinned scroll bar's geometry along its length: the arrows, the track
// and the thumb for a scroll range, the part under a point and the position
// a dragged thumb stands for. Positions run from min to max - page + 1.
#pragma once

namespace kestra {

struct ScrollState {
    int min = 0;
    int max = 0;
    int page = 0;
    int pos = 0;
    int trackPos = -1;  // while the thumb is dragged, the position it shows
};

// The parts of a bar, numbered as the scroll codes they send.
enum ScrollPart {
    kScrollLineUp = 0,
    kScrollLineDown = 1,
    kScrollPageUp = 2,
    kScrollPageDown = 3,
    kScrollThumb = 5,
};

struct ScrollGeometry {
    int length = 0;  // the bar's length
    int arrow = 0;   // each arrow's length: the unit, or half the bar when no track is left
    int track = 0;   // the space between the arrows
    int thumb = 0;   // 0: no thumb
    int offset = 0;  // the thumb's start from the track's start
};

// The number of positions past the first (max - min - page + 1), never below 0.
int ScrollSpan(const ScrollState& state);

ScrollGeometry ComputeScrollGeometry(const ScrollState& state, int length, int unit);

// The part at `c` pixels from the bar's start.
ScrollPart ScrollHitTest(const ScrollGeometry& geometry, int c);

// The position of a thumb dragged from `pressAt` to `at`, having started at
// `start`; limited to [min, max - page + 1].
int ScrollDragPosition(const ScrollState& state, const ScrollGeometry& geometry, int start,
                       int pressAt, int at);

}  // namespace kestra
