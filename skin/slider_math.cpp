#include "skin/slider_math.h"

#include <climits>
#include <cmath>
#include <cstdint>

namespace kestra {
namespace {

int Saturate(int64_t v) {
    return v > INT_MAX ? INT_MAX : (v < INT_MIN ? INT_MIN : static_cast<int>(v));
}

int64_t Span(ValueRange range) {
    return static_cast<int64_t>(range.maximum) - range.minimum;
}

// The real value made an int without overflow.
int Truncate(double value) {
    if (!(value == value)) return 0;  // NaN
    if (value >= 2147483647.0) return INT_MAX;
    if (value <= -2147483648.0) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace

int ClampToRange(int value, ValueRange range) {
    if (range.maximum <= range.minimum || value < range.minimum) return range.minimum;
    return value > range.maximum ? range.maximum : value;
}

int ThumbPositionForValue(int value, ValueRange range, int start, int end, int thumbSize) {
    const int64_t span = Span(range);
    const int64_t travel = static_cast<int64_t>(end) - start - thumbSize;
    if (span <= 0 || travel <= 0) return start;
    const int64_t from = static_cast<int64_t>(ClampToRange(value, range)) - range.minimum;
    return Saturate(start + travel * from / span);
}

int DraggedThumbPosition(int thumbAt, int moved, int start, int end, int thumbSize) {
    int64_t at = static_cast<int64_t>(thumbAt) + moved;
    const int64_t last = static_cast<int64_t>(end) - thumbSize;
    if (at > last) at = last;
    if (at < start) at = start;
    return Saturate(at);
}

int DragValue(int thumbAt, ValueRange range, int start, int end, int thumbSize) {
    const int64_t travel = static_cast<int64_t>(end) - thumbSize - start;
    if (Span(range) <= 0 || travel <= 0) return range.minimum;
    const int64_t value =
        range.minimum + (static_cast<int64_t>(thumbAt) - start) * Span(range) / travel;
    return ClampToRange(Saturate(value), range);
}

double DragValueReal(int thumbAt, ValueRange range, int start, int end, int thumbSize) {
    const double travel = static_cast<double>(end) - thumbSize - start;
    if (Span(range) <= 0 || travel <= 0) return range.minimum;
    return range.minimum + (static_cast<double>(thumbAt) - start) * Span(range) / travel;
}

int RoundSliderValue(double value, int step, bool rounding, ValueRange range) {
    return ClampToRange(Truncate(rounding ? value + step * 0.5 : value), range);
}

int SnapToStep(int value, int step) {
    return step <= 0 ? value : step * (value / step);
}

double TrackClickValue(int at, int trackLength, ValueRange range) {
    if (Span(range) <= 0 || trackLength <= 1) return range.minimum;
    return static_cast<double>(at) * Span(range) / (trackLength - 1) + range.minimum;
}

int VerticalClickValue(int at, int trackLength, ValueRange range) {
    return ClampToRange(Truncate(std::floor(TrackClickValue(at, trackLength, range) + 0.5)), range);
}

int WheelValue(int value, int delta, int wheelStep, bool vertical, ValueRange range) {
    const bool raise = vertical ? delta <= 0 : delta > 0;
    return ClampToRange(
        Saturate(static_cast<int64_t>(value) + (raise ? wheelStep : -int64_t{wheelStep})), range);
}

int ParseSpinText(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > int64_t{INT_MAX} + 1) value = int64_t{INT_MAX} + 1;
    }
    return Saturate(negative ? -value : value);
}

SpinStep SpinUp(int value, int step, ValueRange range) {
    if (value > range.maximum) return {value, false};
    if (step <= 0) step = 1;
    int64_t v = static_cast<int64_t>(value) + step;
    if (v > range.maximum) v = range.maximum;
    if (v < range.minimum) v = range.minimum;
    return {Saturate(step * ((v + step / 2) / step)), true};
}

SpinStep SpinDown(int value, int step, ValueRange range) {
    if (value < range.minimum) return {value, false};
    if (step <= 0) step = 1;
    int64_t v = static_cast<int64_t>(value) - step;
    if (v < range.minimum) v = range.minimum;
    if (v > range.maximum) v = range.maximum;
    return {Saturate(step * ((v + step / 2) / step)), true};
}

int SpinRoundToStep(int value, int step, ValueRange range) {
    if (step <= 0) step = 1;
    const int64_t r = step * ((static_cast<int64_t>(value) + step / 2) / step);
    if (range.maximum < range.minimum) return range.minimum;
    if (r < range.minimum) return range.minimum;
    return r > range.maximum ? range.maximum : static_cast<int>(r);
}

int SpinEnterValue(const std::string& text, ValueRange range) {
    const size_t first = text.find_first_of("-+123456789");
    std::string number;
    if (first != std::string::npos) {
        for (size_t i = first; i < text.size(); ++i) {
            const char c = text[i];
            if ((c >= '0' && c <= '9') || (i == first && (c == '-' || c == '+'))) number += c;
        }
    }
    const int value = ParseSpinText(number);
    if (range.maximum < range.minimum) return range.minimum;
    return value < range.minimum ? range.minimum : (value > range.maximum ? range.maximum : value);
}

int SpinTextLimit(ValueRange range) {
    int64_t maximum = range.maximum < 0 ? -int64_t{range.maximum} : range.maximum;
    int digits = 1;
    while (maximum >= 10) {
        maximum /= 10;
        ++digits;
    }
    return digits + (range.minimum < 0 ? 1 : 0);
}

}  // namespace kestra
