// The arithmetic of sliders and spin fields: positions from values and back,
// rounding, stepping and clamping. A range whose maximum is not above its
// minimum holds only the minimum, and every position maps to the start.
#pragma once

#include <string>

namespace kestra {

struct ValueRange {
    int minimum;
    int maximum;
};

// `value` limited to the range (the minimum when the range is empty).
int ClampToRange(int value, ValueRange range);

// The thumb's leading edge for a value: start + (end - start - thumb) *
// (value - minimum) / (maximum - minimum), the value clamped first.
int ThumbPositionForValue(int value, ValueRange range, int start, int end, int thumbSize);

// The leading edge of a dragged thumb: `thumbAt` moved by `moved`, kept so
// that the whole thumb stays inside [start, end].
int DraggedThumbPosition(int thumbAt, int moved, int start, int end, int thumbSize);

// The value of a thumb whose leading edge is at `thumbAt`: the integer value
// while dragging, and the real value that a release rounds.
int DragValue(int thumbAt, ValueRange range, int start, int end, int thumbSize);
double DragValueReal(int thumbAt, ValueRange range, int start, int end, int thumbSize);

// A real value made whole: with rounding, the integer part of value + step /
// 2, else its integer part; then clamped.
int RoundSliderValue(double value, int step, bool rounding, ValueRange range);

// step * (value / step) in integer arithmetic (value itself for a step <= 0).
int SnapToStep(int value, int step);

// The value of a click at `at` pixels from the track's start, over the whole
// track (first pixel = minimum, last pixel = maximum), as a real number.
double TrackClickValue(int at, int trackLength, ValueRange range);

// The vertical track's click: the real value rounded to the nearest integer
// whatever the rounding flag, then clamped.
int VerticalClickValue(int at, int trackLength, ValueRange range);

// The wheel: a horizontal track lowers the value for a delta <= 0, the
// vertical one raises it; clamped.
int WheelValue(int value, int delta, int wheelStep, bool vertical, ValueRange range);

// ------------------------------------------------------------- spin fields

// A decimal integer from a text (blanks around it allowed, saturating at
// the int range); 0 when there is none.
int ParseSpinText(const std::string& text);

// The up and down arrows: the value in the edit moved by one step, rounded to
// the step and kept in the range; `changed` false when the arrow does nothing
// (the value is already beyond the end it moves away from).
struct SpinStep {
    int value;
    bool changed;
};
SpinStep SpinUp(int value, int step, ValueRange range);
SpinStep SpinDown(int value, int step, ValueRange range);

// A typed value rounded to the step and kept in the range.
int SpinRoundToStep(int value, int step, ValueRange range);

// Enter in the edit: the text from its first character among "-+123456789"
// (leading zeros and anything else before it dropped), a sign only at its
// start, its digits read as an integer and limited to the range.
int SpinEnterValue(const std::string& text, ValueRange range);

// How many characters the edit takes: the digits of the maximum, one more
// for a sign when the minimum is negative.
int SpinTextLimit(ValueRange range);

}  // namespace kestra
