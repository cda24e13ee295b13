// What the on-screen display program shows and how: the indication behind
// each message from Monitor (its texts read from the settings files), the
// fade schedule, and the panel's size, place and shape. Portable; the window
// (overlay_wnd_win.cpp) only draws and shows what is decided here.
#pragma once

#include <cstdint>
#include <string>

namespace kestra {

struct OverlayIndication {
    bool show = false;
    std::string caption;  // the small line above the text; may be empty
    std::string text;     // the large line
};

// The profile index carried in the high half of a profile indication's
// lParam; -1 when it names no profile 0..4.
int OverlayProfileIndex(uintptr_t lParam);

// The indication for UM_OSD_SHOW with these parameters; its texts come from
// config.ini and the profile files of `programFolder` (with a trailing
// backslash). Unknown kinds and empty texts show nothing.
OverlayIndication OverlayIndicationFor(uintptr_t wParam, uintptr_t lParam,
                                       const std::string& programFolder);

// ---- fade ---------------------------------------------------------------

constexpr int kOverlayFadeInMs = 120;
constexpr int kOverlayFadeOutStartMs = 1500;  // counted from the indication
constexpr int kOverlayFadeOutMs = 400;
constexpr int kOverlayFullOpacity = 255;

// The opacity of the panel over time: it fades in, stays, and fades out about
// 1.5 s after the last indication. A new indication while the panel is still
// visible restarts the schedule from the opacity it has, so it never blinks.
class OverlayFade {
public:
    void Restart(int64_t nowMs);
    // 0..255; 0 before the first indication and after the schedule ran out.
    int OpacityAt(int64_t nowMs) const;
    bool FinishedAt(int64_t nowMs) const;

private:
    bool started_ = false;
    int64_t startMs_ = 0;
    int fromOpacity_ = 0;
};

// ---- layout -----------------------------------------------------------------

struct OverlayRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// Sizes of the panel in pixels at a screen resolution of `dpi` dots per inch.
struct OverlayMetrics {
    int padding;      // left, right, top and bottom, inside the panel
    int accentWidth;  // the red bar before the texts
    int accentGap;    // between the bar and the texts
    int lineGap;      // between caption and text
    int radius;       // of the rounded corners
    int minWidth;
    int bottomMargin;  // between the panel and the work area's bottom
    int captionPoints;
    int textPoints;
};
OverlayMetrics OverlayMetricsForDpi(int dpi);

// The panel's size for the measured texts (caption may be absent), never
// wider than the work area allows.
int OverlayPanelWidth(const OverlayMetrics& m, int captionWidth, int textWidth, int workAreaWidth);
int OverlayPanelHeight(const OverlayMetrics& m, int captionHeight, int textHeight);
// Centred near the bottom of the primary monitor's work area.
OverlayRect PlaceOverlay(const OverlayMetrics& m, const OverlayRect& workArea, int width,
                         int height);

// ---- shape --------------------------------------------------------------------

// How much of pixel (x, y) lies inside a rounded rectangle of that size, from
// 0 (outside) to 255 (inside); the corners are smoothed over one pixel.
int RoundedRectCoverage(int x, int y, int width, int height, int radius);

struct OverlayStyle {
    uint32_t border;  // 0x00RRGGBB of the one-pixel outline
    int alpha;        // opacity of the panel's inside, 0..255
    int radius;
};
constexpr uint32_t kOverlayPanelColour = 0x1E1E1E;
constexpr uint32_t kOverlayBorderColour = 0x3A3A40;
constexpr uint32_t kOverlayAccentColour = 0xE61E1E;
constexpr uint32_t kOverlayCaptionColour = 0xA0A0A8;
constexpr uint32_t kOverlayTextColour = 0xFFFFFF;
constexpr int kOverlayPanelAlpha = 235;

// Turns a drawn panel (width x height pixels 0x00RRGGBB, top row first, alpha
// ignored) into premultiplied 0xAARRGGBB: rounded corners transparent, a
// one-pixel outline in the border colour, the inside at the style's opacity.
void ShapeOverlayPanel(uint32_t* pixels, int width, int height, const OverlayStyle& style);

}  // namespace kestra
