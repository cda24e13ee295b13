#include "overlay/overlay_model.h"

#include <cmath>
#include <cstdio>

#include "settings/ini_file.h"
#include "settings/ipc_names.h"
#include "settings/settings_files.h"
#include "settings/settings_record.h"

namespace kestra {
namespace {

std::string Trimmed(const std::string& text) {
    const std::string::size_type first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string ReadText(const std::string& path, const char* section, const char* key,
                     size_t maxChars) {
    return Trimmed(IniFile(path).GetString(section, key, std::string(), maxChars));
}

int Scaled(int pixelsAt96, int dpi) {
    return (pixelsAt96 * dpi + 48) / 96;
}

int Channel(uint32_t colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xFF);
}

}  // namespace

int OverlayProfileIndex(uintptr_t lParam) {
    const int index = static_cast<int>((static_cast<uint32_t>(lParam) >> 16) & 0xFFFF);
    return index < kProfileCount ? index : -1;
}

OverlayIndication OverlayIndicationFor(uintptr_t wParam, uintptr_t lParam,
                                       const std::string& programFolder) {
    OverlayIndication shown;
    switch (wParam) {
        case OSD_SHOW_PROFILE: {
            const int index = OverlayProfileIndex(lParam);
            if (index < 0) return shown;
            char number[16];
            snprintf(number, sizeof number, "%d", index + 1);
            shown.text = ReadText(ProfileFilePath(programFolder, index), "Setting", "ProFileName",
                                  kProfileNameSize - 1);
            if (shown.text.empty()) {
                // A profile without a name is known by its number.
                shown.caption = "PROFILE";
                shown.text = std::string("Profile ") + number;
            } else {
                shown.caption = std::string("PROFILE ") + number;
            }
            break;
        }
        case OSD_SHOW_MESSAGE:
            shown.text =
                ReadText(ConfigIniPath(programFolder), "OSDData", "Message", kIniStringMax);
            break;
        case OSD_SHOW_MACRO:
            shown.caption = "MACRO";
            shown.text =
                ReadText(ConfigIniPath(programFolder), "MacroOSD", "MacroName", kIniStringMax);
            break;
        default:
            return shown;
    }
    shown.show = !shown.text.empty();
    return shown;
}

void OverlayFade::Restart(int64_t nowMs) {
    fromOpacity_ = OpacityAt(nowMs);
    startMs_ = nowMs;
    started_ = true;
}

int OverlayFade::OpacityAt(int64_t nowMs) const {
    if (!started_) return 0;
    int64_t t = nowMs - startMs_;
    if (t < 0) t = 0;
    if (t < kOverlayFadeInMs) {
        return fromOpacity_ +
               static_cast<int>((kOverlayFullOpacity - fromOpacity_) * t / kOverlayFadeInMs);
    }
    if (t < kOverlayFadeOutStartMs) return kOverlayFullOpacity;
    t -= kOverlayFadeOutStartMs;
    if (t < kOverlayFadeOutMs) {
        return kOverlayFullOpacity - static_cast<int>(kOverlayFullOpacity * t / kOverlayFadeOutMs);
    }
    return 0;
}

bool OverlayFade::FinishedAt(int64_t nowMs) const {
    return !started_ || nowMs - startMs_ >= kOverlayFadeOutStartMs + kOverlayFadeOutMs;
}

OverlayMetrics OverlayMetricsForDpi(int dpi) {
    if (dpi < 48 || dpi > 960) dpi = 96;
    OverlayMetrics m;
    m.padding = Scaled(18, dpi);
    m.accentWidth = Scaled(4, dpi);
    m.accentGap = Scaled(14, dpi);
    m.lineGap = Scaled(2, dpi);
    m.radius = Scaled(12, dpi);
    m.minWidth = Scaled(220, dpi);
    m.bottomMargin = Scaled(96, dpi);
    m.captionPoints = 9;
    m.textPoints = 18;
    return m;
}

int OverlayPanelWidth(const OverlayMetrics& m, int captionWidth, int textWidth, int workAreaWidth) {
    const int content = captionWidth > textWidth ? captionWidth : textWidth;
    int width = m.padding + m.accentWidth + m.accentGap + content + m.padding;
    if (width < m.minWidth) width = m.minWidth;
    // A long text is cut with an ellipsis rather than leave the screen.
    const int widest = workAreaWidth - 2 * m.padding;
    if (widest > 0 && width > widest) width = widest;
    return width;
}

int OverlayPanelHeight(const OverlayMetrics& m, int captionHeight, int textHeight) {
    const int caption = captionHeight > 0 ? captionHeight + m.lineGap : 0;
    return m.padding + caption + textHeight + m.padding;
}

OverlayRect PlaceOverlay(const OverlayMetrics& m, const OverlayRect& workArea, int width,
                         int height) {
    OverlayRect r;
    r.left = workArea.left + (workArea.width() - width) / 2;
    r.right = r.left + width;
    r.bottom = workArea.bottom - m.bottomMargin;
    r.top = r.bottom - height;
    if (r.top < workArea.top) {
        r.top = workArea.top;
        r.bottom = r.top + height;
    }
    return r;
}

int RoundedRectCoverage(int x, int y, int width, int height, int radius) {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    const int half = (width < height ? width : height) / 2;
    const double r = radius < 0 ? 0 : (radius > half ? half : radius);
    if (r <= 0) return 255;
    // Distance of the pixel's centre from the rectangle shrunk by the radius.
    const double px = x + 0.5, py = y + 0.5;
    const double cx = px < r ? r : (px > width - r ? width - r : px);
    const double cy = py < r ? r : (py > height - r ? height - r : py);
    const double d = std::sqrt((px - cx) * (px - cx) + (py - cy) * (py - cy));
    double cover = r - d + 0.5;
    if (cover <= 0) return 0;
    if (cover >= 1) return 255;
    return static_cast<int>(cover * 255 + 0.5);
}

void ShapeOverlayPanel(uint32_t* pixels, int width, int height, const OverlayStyle& style) {
    if (!pixels || width <= 0 || height <= 0) return;
    const int inset = style.radius > 1 ? style.radius - 1 : 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t& pixel = pixels[static_cast<size_t>(y) * width + x];
            const int outer = RoundedRectCoverage(x, y, width, height, style.radius);
            if (outer == 0) {
                pixel = 0;
                continue;
            }
            const int inner = RoundedRectCoverage(x - 1, y - 1, width - 2, height - 2, inset);
            const int alpha = outer * style.alpha / 255;
            uint32_t result = static_cast<uint32_t>(alpha) << 24;
            for (int shift = 0; shift <= 16; shift += 8) {
                const int drawn = Channel(pixel, shift);
                const int edge = Channel(style.border, shift);
                const int colour = (drawn * inner + edge * (255 - inner)) / 255;
                result |= static_cast<uint32_t>(colour * alpha / 255) << shift;
            }
            pixel = result;
        }
    }
}

}  // namespace kestra
