// The on-screen display program's decisions: the texts behind each message,
// the fade, the panel's place and its rounded, translucent shape.
#include "overlay/overlay_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/file_system.h"
#include "settings/ipc_names.h"
#include "settings/settings_files.h"
#include "tests/native/test_folder.h"

namespace kestra {
namespace {

TEST(OverlayModel, EachMessageShowsItsTexts) {
    kestra_test::TestFolder folder;
    const std::string& at = folder.path();
    folder.Write(
        "config.ini",
        "[OSDData]\r\nMessage=  CPI: 1600 \r\n[MacroOSD]\r\nNumber=3\r\nMacroName=Reload\r\n");
    EnsureDirectory(at + "config");
    folder.Write("config\\Default1.gmp", "[Setting]\r\nProFileName=Sniper\r\n");

    // The profile's index is the high half; the low half does not count.
    OverlayIndication shown = OverlayIndicationFor(OSD_SHOW_PROFILE, (1 << 16) | 0x1234, at);
    EXPECT_TRUE(shown.show);
    EXPECT_EQ("PROFILE 2", shown.caption);
    EXPECT_EQ("Sniper", shown.text);
    // No profile file (or no name in it): known by its number.
    shown = OverlayIndicationFor(OSD_SHOW_PROFILE, 4 << 16, at);
    EXPECT_EQ("PROFILE", shown.caption);
    EXPECT_EQ("Profile 5", shown.text);
    EXPECT_FALSE(OverlayIndicationFor(OSD_SHOW_PROFILE, 5 << 16, at).show);
    EXPECT_FALSE(OverlayIndicationFor(OSD_SHOW_PROFILE, 0xFFFF0000u, at).show);

    shown = OverlayIndicationFor(OSD_SHOW_MESSAGE, 0, at);
    EXPECT_TRUE(shown.show);
    EXPECT_EQ("", shown.caption);
    EXPECT_EQ("CPI: 1600", shown.text);
    shown = OverlayIndicationFor(OSD_SHOW_MACRO, 0, at);
    EXPECT_EQ("MACRO", shown.caption);
    EXPECT_EQ("Reload", shown.text);

    // An empty message (a DPI level without a value) and unknown kinds show
    // nothing; neither does a missing config.ini.
    folder.Write("config.ini", "[OSDData]\r\nMessage=\r\n");
    EXPECT_FALSE(OverlayIndicationFor(OSD_SHOW_MESSAGE, 0, at).show);
    EXPECT_FALSE(OverlayIndicationFor(OSD_SHOW_MACRO, 0, at).show);
    EXPECT_FALSE(OverlayIndicationFor(60, 0, at).show);
    kestra_test::TestFolder empty;
    EXPECT_FALSE(OverlayIndicationFor(OSD_SHOW_MESSAGE, 0, empty.path()).show);
}

TEST(OverlayModel, FadeInHoldFadeOutAndRestartWithoutBlinking) {
    OverlayFade fade;
    EXPECT_EQ(0, fade.OpacityAt(1000));
    EXPECT_TRUE(fade.FinishedAt(1000));
    fade.Restart(1000);
    EXPECT_EQ(0, fade.OpacityAt(1000));
    EXPECT_GT(fade.OpacityAt(1060), 100);
    EXPECT_LT(fade.OpacityAt(1060), 155);
    EXPECT_EQ(255, fade.OpacityAt(1000 + kOverlayFadeInMs));
    EXPECT_EQ(255, fade.OpacityAt(2499));
    EXPECT_LT(fade.OpacityAt(2700), 255);
    EXPECT_GT(fade.OpacityAt(2700), 0);
    EXPECT_FALSE(fade.FinishedAt(2899));
    EXPECT_GT(fade.OpacityAt(2899), 0);
    EXPECT_TRUE(fade.FinishedAt(2900));
    EXPECT_EQ(0, fade.OpacityAt(2900));

    // A second indication while fading out: it goes up from where it is.
    const int now = fade.OpacityAt(2800);
    fade.Restart(2800);
    EXPECT_EQ(now, fade.OpacityAt(2800));
    EXPECT_GE(fade.OpacityAt(2810), now);
    EXPECT_EQ(255, fade.OpacityAt(2800 + kOverlayFadeInMs));
    EXPECT_FALSE(fade.FinishedAt(4000));
    // A clock that steps back does not make it jump.
    EXPECT_EQ(now, fade.OpacityAt(100));
}

TEST(OverlayModel, PanelSizeAndPlace) {
    const OverlayMetrics m = OverlayMetricsForDpi(96);
    const OverlayMetrics big = OverlayMetricsForDpi(192);
    EXPECT_EQ(2 * m.padding, big.padding);
    EXPECT_EQ(m.padding, OverlayMetricsForDpi(0).padding);  // nonsense reads as 96

    // Short texts keep the least width; long ones never leave the work area.
    EXPECT_EQ(m.minWidth, OverlayPanelWidth(m, 10, 20, 1280));
    EXPECT_EQ(m.padding * 2 + m.accentWidth + m.accentGap + 500,
              OverlayPanelWidth(m, 100, 500, 1280));
    EXPECT_EQ(1280 - 2 * m.padding, OverlayPanelWidth(m, 0, 5000, 1280));
    EXPECT_EQ(2 * m.padding + 30, OverlayPanelHeight(m, 0, 30));
    EXPECT_EQ(2 * m.padding + 12 + m.lineGap + 30, OverlayPanelHeight(m, 12, 30));

    // Bottom centre of the work area (taskbar at the bottom, here 40 high).
    OverlayRect work;
    work.right = 1280;
    work.bottom = 984;
    const OverlayRect r = PlaceOverlay(m, work, 300, 80);
    EXPECT_EQ(490, r.left);
    EXPECT_EQ(790, r.right);
    EXPECT_EQ(984 - m.bottomMargin, r.bottom);
    EXPECT_EQ(80, r.height());
    // A second monitor left of the primary one does not matter: the work
    // area's own origin counts.
    work.left = -200;
    work.top = 100;
    work.bottom = 150;
    const OverlayRect low = PlaceOverlay(m, work, 300, 80);
    EXPECT_EQ(-200 + (1480 - 300) / 2, low.left);
    EXPECT_EQ(100, low.top);  // never above the work area
}

TEST(OverlayModel, RoundedTranslucentPanel) {
    EXPECT_EQ(0, RoundedRectCoverage(0, 0, 100, 40, 12));
    EXPECT_EQ(255, RoundedRectCoverage(50, 20, 100, 40, 12));
    EXPECT_EQ(255, RoundedRectCoverage(50, 0, 100, 40, 12));  // straight top edge
    EXPECT_EQ(255, RoundedRectCoverage(0, 20, 100, 40, 12));
    EXPECT_EQ(0, RoundedRectCoverage(-1, 20, 100, 40, 12));
    EXPECT_EQ(0, RoundedRectCoverage(100, 20, 100, 40, 12));
    const int edge = RoundedRectCoverage(3, 3, 100, 40, 12);  // on the corner's arc
    EXPECT_GT(edge, 0);
    EXPECT_LT(edge, 255);
    EXPECT_EQ(255, RoundedRectCoverage(0, 0, 10, 10, 0));
    // A radius larger than the panel is held to half its height.
    EXPECT_EQ(255, RoundedRectCoverage(50, 20, 100, 40, 500));

    const int w = 40, h = 20;
    std::vector<uint32_t> pixels(w * h, 0x1E1E1E);
    pixels[10 * w + 20] = 0xFFFFFF;  // a white text pixel
    const OverlayStyle style = {0x3A3A40, 235, 6};
    ShapeOverlayPanel(pixels.data(), w, h, style);
    EXPECT_EQ(0u, pixels[0]);  // the corner is fully transparent
    // Inside: the panel's opacity, colours premultiplied by it.
    EXPECT_EQ(235u, pixels[10 * w + 20] >> 24);
    EXPECT_EQ(235u, pixels[10 * w + 20] & 0xFF);
    EXPECT_EQ(235u, pixels[10 * w + 10] >> 24);
    EXPECT_EQ(0x1Eu * 235 / 255, pixels[10 * w + 10] & 0xFF);
    // The outline on the straight edges is the border colour.
    EXPECT_EQ(0x40u * 235 / 255, pixels[10 * w + 0] & 0xFF);
    EXPECT_EQ(0x3Au * 235 / 255, (pixels[0 * w + 20] >> 16) & 0xFF);
    ShapeOverlayPanel(nullptr, w, h, style);  // nothing to shape, nothing done
}

}  // namespace
}  // namespace kestra
