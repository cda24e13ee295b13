// Value sliders: a track window that shows the dialog's background under it
// and a shaped thumb window inside it, horizontal (CclickHSlider with
// CPHSlider) or vertical (CclickVSlider with CPVSlider). Dragging, track
// clicks and the wheel report the new value to the owner with
// UM_SLIDER_CHANGED (wParam value, lParam the track's id).
#pragma once

#include <windows.h>

#include <string>

#include "skin/gdi_win.h"
#include "skin/slider_math.h"
#include "skin/window_win.h"

namespace kestra {

// lParam of the second notification that a rounding release sends to the
// track (which forwards it to the owner under its own id).
constexpr LPARAM kSliderSnappedId = 8000;

class SliderThumb : public Window {
public:
    ~SliderThumb() override { DestroyOwnWindow(); }
    // A visible child of `track` with control id `id`, shaped by its image:
    // every pixel of the image's top-left colour is outside. The travel area
    // is the track's client area. False (no window) when the image cannot
    // be loaded.
    bool Create(HWND track, const std::string& imagePath, int id);

    void SetRange(ValueRange range) { range_ = range; }
    void SetRounding(bool on) { rounding_ = on; }
    void SetDraggable(bool on) { draggable_ = on; }
    // Moves the thumb to the place of `value` (clamped) without notifying.
    void SetValue(int value);
    int value() const { return value_; }
    bool dragging() const { return dragging_; }
    SIZE imageSize() const { return imageSize_; }

protected:
    explicit SliderThumb(bool vertical) : vertical_(vertical) {}
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(WPARAM wParam, LPARAM lParam);
    LRESULT OnLeftButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnLeftButtonUp(WPARAM wParam, LPARAM lParam);
    LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);
    // Along the slider's axis: the travel's ends, the image's length, the
    // thumb's leading edge now.
    int TravelStart() const { return 0; }
    int TravelEnd() const;
    int Length() const { return vertical_ ? imageSize_.cy : imageSize_.cx; }
    int LeadingEdge() const;
    void MoveTo(int leadingEdge);
    void Notify(WPARAM value, LPARAM id);

    const bool vertical_;
    HWND track_ = nullptr;
    Bitmap image_;
    SIZE imageSize_ = {0, 0};
    RECT travel_ = {0, 0, 0, 0};
    ValueRange range_ = {0, 10};
    int id_ = 0;
    int step_ = 1;
    int value_ = 0;
    int crossPosition_ = 0;  // the thumb's top (horizontal) or left (vertical)
    POINT press_ = {0, 0};
    bool dragging_ = false;
    bool draggable_ = false;
    bool rounding_ = false;
};

class CPHSlider : public SliderThumb {
public:
    CPHSlider() : SliderThumb(false) {}
    ~CPHSlider() override { DestroyOwnWindow(); }
};

class CPVSlider : public SliderThumb {
public:
    CPVSlider() : SliderThumb(true) {}
    ~CPVSlider() override { DestroyOwnWindow(); }
};

class SliderTrack : public Window {
public:
    ~SliderTrack() override { DestroyOwnWindow(); }
    // Creates the track as a visible child of `owner` at the rectangle (in
    // the owner's client coordinates), with its thumb at the value 0. False,
    // and no window, when the thumb image cannot be loaded.
    bool Create(const std::string& thumbImagePath, int left, int top, int right, int bottom,
                HWND owner, int id);
    // The track's background: the rectangle cut out of the dialog's image.
    void SetBackground(int left, int top, int right, int bottom, HBITMAP fullImage);
    void SetRange(int minimum, int maximum);
    void SetValue(int value);
    void SetRounding(bool on);

    int value() const { return value_; }
    int id() const { return id_; }
    ValueRange range() const { return range_; }
    bool wheelActive() const { return wheelActive_; }
    const SliderThumb& thumb() const { return *thumb_; }

protected:
    SliderTrack(bool vertical, SliderThumb* thumb) : vertical_(vertical), thumb_(thumb) {}
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual HBITMAP BackgroundToPaint() const { return background_.get(); }

private:
    LRESULT OnCreate(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(WPARAM wParam, LPARAM lParam);
    LRESULT OnLeftButtonUp(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseWheel(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    LRESULT OnThumbChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnEnable(WPARAM wParam, LPARAM lParam);
    void Notify(int value);
    bool CursorInside() const;

    const bool vertical_;
    SliderThumb* const thumb_;
    Bitmap background_;
    std::string thumbImagePath_;
    SIZE thumbSize_ = {0, 0};
    RECT rect_ = {0, 0, 0, 0};
    HWND owner_ = nullptr;
    ValueRange range_ = {0, 10};
    int id_ = 0;
    int value_ = 0;
    int wheelStep_ = 1;
    int step_ = 1;
    bool rounding_ = false;
    bool wheelActive_ = true;
    bool tracking_ = false;
};

class CclickHSlider : public SliderTrack {
public:
    CclickHSlider() : SliderTrack(false, &thumb_) {}
    ~CclickHSlider() override { DestroyOwnWindow(); }

private:
    CPHSlider thumb_;
};

class CclickVSlider : public SliderTrack {
public:
    CclickVSlider() : SliderTrack(true, &thumb_) {}
    ~CclickVSlider() override { DestroyOwnWindow(); }
    // Shown instead of the background while the track is disabled.
    void SetDisabledBackground(int left, int top, int right, int bottom, HBITMAP fullImage);

protected:
    HBITMAP BackgroundToPaint() const override;

private:
    CPVSlider thumb_;
    Bitmap disabled_;
};

}  // namespace kestra
