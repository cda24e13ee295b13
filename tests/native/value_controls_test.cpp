// The arithmetic and text rules of the value controls: the numeric entry
// field, sliders, spin fields and scroll bars.
#include <gtest/gtest.h>

#include <string>

#include "skin/bitmap_edit.h"
#include "skin/scroll_geometry.h"
#include "skin/slider_math.h"

namespace kestra {
namespace {

TEST(NumericEdit, TextKeepsDigitsCommasAndPointsInOrder) {
    FilteredText f = FilterNumericText("a1b,2.c3 -4\xE9", 0);
    EXPECT_TRUE(f.changed);
    EXPECT_EQ("1,2.34", f.text);

    f = FilterNumericText("12,5", 2);
    EXPECT_FALSE(f.changed);
    EXPECT_EQ("12,5", f.text);
    EXPECT_EQ(2u, f.caret);

    // The caret keeps its place among the characters that stay.
    f = FilterNumericText("1xx2y3", 5);
    EXPECT_EQ("123", f.text);
    EXPECT_EQ(2u, f.caret);
    f = FilterNumericText("abc", 99);
    EXPECT_EQ("", f.text);
    EXPECT_EQ(0u, f.caret);

    // A huge paste with a NUL in it: nothing is lost or overrun.
    std::string big(100000, 'x');
    big[0] = '9';
    big[50000] = '\0';
    big[99999] = '8';
    f = FilterNumericText(big, big.size());
    EXPECT_EQ("98", f.text);
    EXPECT_EQ(2u, f.caret);
}

constexpr ValueRange kColour = {0, 255};
constexpr ValueRange kTen = {0, 10};

TEST(SliderMath, TrackClicksCoverTheWholeTrackAndClamp) {
    // A 200-pixel track of a colour channel: the first and last pixels are
    // the ends; clicks beyond them are clamped.
    EXPECT_EQ(0, RoundSliderValue(TrackClickValue(0, 200, kColour), 1, false, kColour));
    EXPECT_EQ(255, RoundSliderValue(TrackClickValue(199, 200, kColour), 1, false, kColour));
    EXPECT_EQ(255, RoundSliderValue(TrackClickValue(199, 200, kColour), 1, true, kColour));
    EXPECT_EQ(0, RoundSliderValue(TrackClickValue(-30, 200, kColour), 1, true, kColour));
    EXPECT_EQ(255, RoundSliderValue(TrackClickValue(260, 200, kColour), 1, false, kColour));

    // 0..10 over 101 pixels: 40 % truncates to 4; 45 % gives 4 truncated
    // and 5 rounded.
    EXPECT_EQ(4, RoundSliderValue(TrackClickValue(40, 101, kTen), 1, false, kTen));
    EXPECT_EQ(4, RoundSliderValue(TrackClickValue(40, 101, kTen), 1, true, kTen));
    EXPECT_EQ(4, RoundSliderValue(TrackClickValue(45, 101, kTen), 1, false, kTen));
    EXPECT_EQ(5, RoundSliderValue(TrackClickValue(45, 101, kTen), 1, true, kTen));
    // A coarser step rounds to half of it; the thumb snaps to its multiples.
    EXPECT_EQ(6, RoundSliderValue(4.0, 4, true, kTen));
    EXPECT_EQ(4, SnapToStep(6, 4));
    EXPECT_EQ(7, SnapToStep(7, 0));

    // The vertical track rounds to the nearest value whatever the flag.
    EXPECT_EQ(5, VerticalClickValue(45, 101, kTen));
    EXPECT_EQ(4, VerticalClickValue(44, 101, kTen));
    EXPECT_EQ(10, VerticalClickValue(100, 101, kTen));
    EXPECT_EQ(0, VerticalClickValue(-7, 101, kTen));
}

TEST(SliderMath, ADraggedThumbTruncatesWhileMovingAndRoundsOnRelease) {
    // A 112-pixel track with a 12-pixel thumb: 100 pixels of travel.
    EXPECT_EQ(100, ThumbPositionForValue(99, kTen, 0, 112, 12));
    EXPECT_EQ(0, ThumbPositionForValue(-5, kTen, 0, 112, 12));
    EXPECT_EQ(3, DragValue(36, kTen, 0, 112, 12));
    EXPECT_EQ(4, RoundSliderValue(DragValueReal(36, kTen, 0, 112, 12), 1, true, kTen));
    EXPECT_EQ(3, RoundSliderValue(DragValueReal(36, kTen, 0, 112, 12), 1, false, kTen));
    // A rounding release reports the value twice (as dropped and as snapped
    // to the step) and places the thumb where a drag reads that value again.
    for (int at = 0; at <= 100; ++at) {
        const int released = RoundSliderValue(DragValueReal(at, kTen, 0, 112, 12), 1, true, kTen);
        const int snapped = SnapToStep(released, 1);
        EXPECT_EQ(released, snapped) << at;
        EXPECT_EQ(snapped,
                  DragValue(ThumbPositionForValue(snapped, kTen, 0, 112, 12), kTen, 0, 112, 12))
            << at;
    }
    // The thumb stays inside the track.
    EXPECT_EQ(100, DraggedThumbPosition(90, 50, 0, 112, 12));
    EXPECT_EQ(0, DraggedThumbPosition(10, -50, 0, 112, 12));
}

TEST(SliderMath, AnEmptyOrInvertedRangeHoldsItsMinimum) {
    for (ValueRange r : {ValueRange{5, 5}, ValueRange{9, 2}}) {
        EXPECT_EQ(r.minimum, ClampToRange(7, r));
        EXPECT_EQ(3, ThumbPositionForValue(7, r, 3, 100, 12));
        EXPECT_EQ(r.minimum, DragValue(50, r, 0, 100, 12));
        EXPECT_EQ(double(r.minimum), DragValueReal(50, r, 0, 100, 12));
        EXPECT_EQ(r.minimum, RoundSliderValue(TrackClickValue(50, 100, r), 1, true, r));
        EXPECT_EQ(r.minimum, VerticalClickValue(50, 100, r));
        EXPECT_EQ(r.minimum, WheelValue(r.minimum, 120, 1, false, r));
    }
    // A thumb as long as its track, or a track of one pixel.
    EXPECT_EQ(0, DragValue(0, kTen, 0, 12, 12));
    EXPECT_EQ(0.0, TrackClickValue(0, 1, kTen));
}

TEST(SpinMath, ArrowsStepRoundAndStopAtTheEnds) {
    // At 10 of 0..10 with step 1 the up arrow keeps 10 (and still acts).
    SpinStep s = SpinUp(10, 1, kTen);
    EXPECT_TRUE(s.changed);
    EXPECT_EQ(10, s.value);
    EXPECT_EQ(9, SpinDown(10, 1, kTen).value);
    EXPECT_EQ(0, SpinDown(0, 1, kTen).value);
    // Beyond an end the arrow away from it does nothing.
    EXPECT_FALSE(SpinUp(11, 1, kTen).changed);
    EXPECT_FALSE(SpinDown(-1, 1, kTen).changed);
    // Steps of 50 on 100..3200: values round to the step.
    const ValueRange dpi = {100, 3200};
    EXPECT_EQ(200, SpinUp(130, 50, dpi).value);    // 180 -> 200
    EXPECT_EQ(100, SpinDown(130, 50, dpi).value);  // 100
    EXPECT_EQ(3200, SpinUp(3190, 50, dpi).value);
    EXPECT_EQ(150, SpinRoundToStep(130, 50, dpi));
    EXPECT_EQ(100, SpinRoundToStep(20, 50, dpi));
    EXPECT_EQ(3200, SpinRoundToStep(9999, 50, dpi));
    EXPECT_EQ(5, SpinRoundToStep(5, 0, kTen));  // a zero step counts as 1
}

TEST(SpinMath, EnterReadsTheNumberFromItsFirstSignificantCharacter) {
    EXPECT_EQ(10, SpinEnterValue("012", kTen));
    EXPECT_EQ(7, SpinEnterValue("  x007", kTen));
    EXPECT_EQ(0, SpinEnterValue("000", kTen));
    EXPECT_EQ(0, SpinEnterValue("", kTen));
    const ValueRange signed10 = {-10, 10};
    EXPECT_EQ(-5, SpinEnterValue("-5", signed10));
    EXPECT_EQ(-10, SpinEnterValue("-99", signed10));
    EXPECT_EQ(12, SpinEnterValue("1-2", {0, 100}));  // a sign counts only in front
    EXPECT_EQ(100, SpinEnterValue(std::string(5000, '9'), {0, 100}));

    EXPECT_EQ(7, ParseSpinText(" 7 "));
    EXPECT_EQ(-3, ParseSpinText("-3"));
    EXPECT_EQ(2147483647, ParseSpinText("99999999999999"));
    EXPECT_EQ(0, ParseSpinText("abc"));

    EXPECT_EQ(2, SpinTextLimit(kTen));
    EXPECT_EQ(4, SpinTextLimit({100, 3200}));
    EXPECT_EQ(3, SpinTextLimit({-10, 10}));
}

TEST(ScrollGeometry, ThumbFollowsRangePageAndPosition) {
    // 200 items, 10 on a page, on a 100-pixel bar with 10-pixel arrows.
    ScrollState s;
    s.max = 199;
    s.page = 10;
    ScrollGeometry g = ComputeScrollGeometry(s, 100, 10);
    EXPECT_EQ(80, g.track);
    EXPECT_EQ(6, g.thumb);  // 10 * 80 / 200 = 4, raised to 6
    EXPECT_EQ(0, g.offset);
    s.pos = 190;
    EXPECT_EQ(74, ComputeScrollGeometry(s, 100, 10).offset);
    s.pos = 95;
    EXPECT_EQ(37, ComputeScrollGeometry(s, 100, 10).offset);
    s.trackPos = 0;  // a drag shows the track position
    EXPECT_EQ(0, ComputeScrollGeometry(s, 100, 10).offset);

    // Half the items on a page: half the track.
    ScrollState half;
    half.max = 19;
    half.page = 10;
    EXPECT_EQ(40, ComputeScrollGeometry(half, 100, 10).thumb);
    // Everything on one page: the thumb fills the track, centred.
    ScrollState all;
    all.max = 5;
    all.page = 10;
    g = ComputeScrollGeometry(all, 100, 10);
    EXPECT_EQ(80, g.thumb);
    EXPECT_EQ(0, g.offset);
    EXPECT_EQ(0, ScrollSpan(all));

    // A track of 5 pixels has no thumb; 6 pixels have one.
    EXPECT_EQ(0, ComputeScrollGeometry(s, 25, 10).thumb);
    EXPECT_EQ(6, ComputeScrollGeometry(s, 26, 10).thumb);
    // No room for a track: each arrow takes half the bar.
    g = ComputeScrollGeometry(s, 14, 10);
    EXPECT_EQ(0, g.track);
    EXPECT_EQ(7, g.arrow);
    EXPECT_EQ(kScrollLineUp, ScrollHitTest(g, 6));
    EXPECT_EQ(kScrollLineDown, ScrollHitTest(g, 7));
    // Nonsense from a message: no crash, no thumb beyond the track.
    ScrollState odd;
    odd.min = 50;
    odd.max = -50;
    odd.page = -3;
    odd.pos = 1000000;
    g = ComputeScrollGeometry(odd, 100, 10);
    EXPECT_LE(g.offset + g.thumb, g.track);
}

TEST(ScrollGeometry, HitTestAndThumbDrag) {
    ScrollState s;
    s.max = 199;
    s.page = 10;
    s.pos = 95;
    const ScrollGeometry g = ComputeScrollGeometry(s, 100, 10);  // thumb 47..52
    const struct {
        int c;
        ScrollPart part;
    } cases[] = {{0, kScrollLineUp},    {9, kScrollLineUp},     {10, kScrollPageUp},
                 {46, kScrollPageUp},   {47, kScrollThumb},     {52, kScrollThumb},
                 {53, kScrollPageDown}, {89, kScrollPageDown},  {90, kScrollLineDown},
                 {99, kScrollLineDown}, {500, kScrollLineDown}, {-4, kScrollLineUp}};
    for (const auto& c : cases) EXPECT_EQ(c.part, ScrollHitTest(g, c.c)) << c.c;

    // 74 pixels of free track stand for 190 positions.
    EXPECT_EQ(95 + 95, ScrollDragPosition(s, g, 95, 50, 50 + 37));
    EXPECT_EQ(190, ScrollDragPosition(s, g, 95, 50, 400));
    EXPECT_EQ(0, ScrollDragPosition(s, g, 95, 50, -400));
    EXPECT_EQ(95, ScrollDragPosition(s, g, 95, 50, 50));
    // A thumb filling its track does not move.
    ScrollState all;
    all.max = 5;
    all.page = 10;
    EXPECT_EQ(0, ScrollDragPosition(all, ComputeScrollGeometry(all, 100, 10), 0, 50, 90));
}

}  // namespace
}  // namespace kestra
