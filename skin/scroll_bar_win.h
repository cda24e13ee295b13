// The skinned scroll bar, drawn from images in the skin folder, and the
// scroll frame that puts a pair of them beside a list control in place of
// the control's own bars and keeps them in step with it.
#pragma once

#include <windows.h>

#include "skin/gdi_win.h"
#include "skin/scroll_geometry.h"
#include "skin/window_win.h"

namespace kestra {

// Timers of a pressed arrow or page part: the first repeat comes after
// 500 ms, the following ones every 100 ms.
constexpr UINT_PTR kScrollFirstRepeatTimer = 200;
constexpr UINT_PTR kScrollRepeatTimer = 100;
constexpr UINT kScrollFirstRepeatMs = 500;
constexpr UINT kScrollRepeatMs = 100;

class SkinScrollBar : public Window {
public:
    ~SkinScrollBar() override { DestroyOwnWindow(); }
    // A visible child of `parent`; vertical with SBS_VERT in `style`. Its
    // images come from the skin folder ("scrollbar_*.bmp"); the arrow
    // image's width is the unit (14 pixels when there is none).
    bool Create(HWND parent, const RECT& rect, DWORD style);

    void SetState(const ScrollState& state);
    const ScrollState& state() const { return state_; }
    bool vertical() const { return vertical_; }
    int unit() const { return unit_; }
    ScrollGeometry Geometry() const;
    // The part under the mouse (lit), or -1.
    int hotPart() const { return hot_; }
    bool dragging() const { return dragging_; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    enum Image {
        kArrowStart,
        kArrowStartHot,
        kArrowEnd,
        kArrowEndHot,
        kThumb,
        kThumbHot,
        kTrack,
        kImageCount
    };
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(WPARAM wParam, LPARAM lParam);
    LRESULT OnSize(WPARAM wParam, LPARAM lParam);
    LRESULT OnLeftButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnLeftButtonUp(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
    LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);
    void LoadImages();
    int Along(LPARAM lParam) const;
    void Send(int code, int position);
    void EndPress();
    void Draw(HDC dc, const RECT& client);
    void DrawImage(HDC dc, HBITMAP image, const RECT& r, COLORREF fallback);
    RECT PartRect(const ScrollGeometry& g, int part) const;

    Bitmap images_[kImageCount];
    ScrollState state_;
    bool vertical_ = true;
    int unit_ = 14;
    int length_ = 0;
    int hot_ = -1;
    int pressed_ = -1;
    bool dragging_ = false;
    int dragStart_ = 0;
    int pressAt_ = 0;
    bool trackingLeave_ = false;
};

// The interval at which the frame compares the list's scroll state with its bars.
constexpr UINT kScrollFrameSyncMs = 100;

class SkinScrollFrame : public Window {
public:
    ~SkinScrollFrame() override { DestroyOwnWindow(); }
    // Takes the list's place in its parent: the list moves into an inner
    // window of the frame, its own bars clipped away, with a skinned
    // vertical bar to its right and (when the list has WS_HSCROLL) a
    // horizontal one below.
    bool Attach(HWND list);

    HWND list() const { return list_; }
    SkinScrollBar& verticalBar() { return vertical_; }
    SkinScrollBar& horizontalBar() { return horizontal_; }
    // Copies the list's scroll state to the bars that differ from it.
    void Sync();

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnScroll(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnSize(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
    void Layout();
    void Copy(int bar, SkinScrollBar& to, bool always);

    class Inner : public Window {
    public:
        ~Inner() override { DestroyOwnWindow(); }
        bool Create(HWND parent);
    };
    Inner inner_;
    SkinScrollBar vertical_;
    SkinScrollBar horizontal_;
    HWND list_ = nullptr;
    bool hasHorizontal_ = false;
};

}  // namespace kestra
