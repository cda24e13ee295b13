#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "skin/button_image.h"
#include "skin/mask_runs.h"
#include "skin/menu_model.h"
#include "skin/skin_entry.h"
#include "skin/skin_file.h"
#include "tests/native/test_folder.h"

namespace kestra {
namespace {

// "left,top,right,bottom".
std::string R(const SkinRect& r) {
    char text[64];
    snprintf(text, sizeof text, "%d,%d,%d,%d", r.left, r.top, r.right, r.bottom);
    return text;
}

TEST(ControlEntry, NumbersGiveTheRectangleAndTheRestTheCaption) {
    // A blank before a comma ends the numbers; fields that cannot be read
    // stay zero; without a trailing comma the fourth number is the caption.
    const struct {
        const char* text;
        const char* name;
        const char* rect;
        const char* caption;
    } cases[] = {
        {"ok_button,10,20,30,40,  Apply now \t", "ok_button", "10,20,40,60", "Apply now"},
        {"browser1,281,172,30,20,", "browser1", "281,172,311,192", ""},
        {"b,10,20,30,40", "b", "10,20,40,60", "40"},
        {"", "", "0,0,0,0", ""},
        {"n, 5,-6 ,7,8,c", "n", "5,-6,5,-6", "c"},
        {"n,1,2,x,4,c", "n", "1,2,1,2", "c"},
        {"n,2147483647,0,99999999999,10,", "n", "2147483647,0,2147483647,10", ""},  // no overflow
        {"onlyname", "onlyname", "0,0,0,0", ""},
    };
    for (const auto& c : cases) {
        SkinControlEntry e;
        memset(&e, 0x5A, sizeof e);
        ParseControlEntry(c.text, e);
        EXPECT_STREQ(c.name, e.name) << c.text;
        EXPECT_EQ(c.rect, R(e.rect)) << c.text;
        EXPECT_STREQ(c.caption, e.caption) << c.text;
        EXPECT_EQ(0, e.initialState) << c.text;
    }
}

TEST(ControlEntry, LongTextsAreCut) {
    SkinControlEntry e;
    const std::string text = std::string(100, 'n') + ",1,2,3,4," + std::string(1000, 'c');
    ParseControlEntry(text.c_str(), e);
    EXPECT_EQ(std::string(39, 'n'), e.name);
    EXPECT_EQ(std::string(399, 'c'), e.caption);
    EXPECT_EQ("1,2,4,6", R(e.rect));
}

TEST(SkinFileTest, ReadsImagesAndEntriesWithFallbacks) {
    kestra_test::TestFolder folder;
    folder.Write("skin_x.ini",
                 "[screen]\r\nmask=m.bmp\r\nNormal=n.jpg\r\n[BUTTONPOS]\r\n1=a,1,2,3,4,x\r\n");
    SkinFile skin(folder.path() + "skin_x.ini");
    const SkinScreenImages images = skin.ReadScreen();
    EXPECT_EQ("m.bmp", images.mask);
    EXPECT_EQ("n.jpg", images.normal);
    EXPECT_EQ("", images.over);
    EXPECT_EQ("1,2,4,6", R(skin.ReadEntry(1).rect));
    EXPECT_EQ("0,0,0,0", R(skin.ReadEntry(2).rect));
    EXPECT_EQ("5,5,6,6", R(skin.ReadEntry(2, "b,5,5,1,1,").rect));
    EXPECT_EQ("0,0,0,0", R(SkinFile(folder.path() + "absent.ini").ReadEntry(1).rect));
}

TEST(AreaEntry, FourNumbersOrNothing) {
    kestra_test::TestFolder folder;
    folder.Write("skin_a.ini", "[BUTTONPOS]\r\n42= 232, 96,752,508\r\n43=1,2,3\r\n");
    SkinFile skin(folder.path() + "skin_a.ini");
    SkinRect area;
    ASSERT_TRUE(skin.ReadArea(42, area));
    EXPECT_EQ("232,96,752,508", R(area));
    EXPECT_FALSE(skin.ReadArea(43, area));
    EXPECT_EQ("0,0,0,0", R(area));
    EXPECT_FALSE(skin.ReadArea(44, area));
    // A control entry is no area: its name is not a number.
    EXPECT_FALSE(ParseAreaEntry("page,1,2,3,4,", area));
    EXPECT_FALSE(ParseAreaEntry("10,10,10,20", area));  // empty
    EXPECT_FALSE(ParseAreaEntry("10,30,20,20", area));  // upside down
    EXPECT_FALSE(ParseAreaEntry(nullptr, area));
    EXPECT_TRUE(ParseAreaEntry("-5,0,99999999999,7", area));
    EXPECT_EQ("-5,0,2147483647,7", R(area));
}

// A W x H 32-bit bottom-up buffer; `opaque(x, y)` with y = 0 the top row.
template <class F>
std::vector<uint8_t> Mask(int w, int h, F opaque) {
    std::vector<uint8_t> px(size_t(w) * h * 4, 0xFF);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (!opaque(x, y)) continue;
            uint8_t* p = &px[(size_t(h - 1 - y) * w + x) * 4];
            p[0] = p[1] = p[2] = 0x10;
        }
    }
    return px;
}

// Rows of a set of runs as strings of '#' and '.', for comparing outlines.
std::vector<std::string> Paint(const std::vector<MaskBatch>& batches, int w, int h) {
    std::vector<std::string> rows(h, std::string(w, '.'));
    for (const MaskBatch& b : batches) {
        for (const SkinRect& r : b.rects) {
            for (int x = r.left; x < r.right; ++x) rows[r.top][x] = '#';
        }
    }
    return rows;
}

TEST(MaskRuns, WhiteIsOutsideAndEverythingElseInside) {
    auto white = Mask(8, 4, [](int, int) { return false; });
    EXPECT_TRUE(ExtractMaskRuns(white.data(), 8, 4, 32, true, 0xFFFFFF, 0).empty());

    auto full = Mask(8, 4, [](int, int) { return true; });
    auto batches = ExtractMaskRuns(full.data(), 8, 4, 32, true, 0xFFFFFF, 0);
    ASSERT_EQ(1u, batches.size());
    ASSERT_EQ(4u, batches[0].rects.size());
    EXPECT_EQ("0,0,8,1", R(batches[0].rects[0]));
    EXPECT_EQ("0,0,8,4", R(batches[0].bounds));

    // Rows come top first from a bottom-up buffer; near-white is inside.
    auto corner = Mask(8, 4, [](int x, int y) { return y == 0 && x >= 2 && x < 5; });
    corner[(size_t(0) * 8 + 7) * 4 + 1] = 0xFE;  // bottom row, last pixel
    batches = ExtractMaskRuns(corner.data(), 8, 4, 32, true, 0xFFFFFF, 0);
    ASSERT_EQ(1u, batches.size());
    ASSERT_EQ(2u, batches[0].rects.size());
    EXPECT_EQ("2,0,5,1", R(batches[0].rects[0]));
    EXPECT_EQ("7,3,8,4", R(batches[0].rects[1]));
    EXPECT_EQ("2,0,8,4", R(batches[0].bounds));
}

TEST(MaskRuns, ToleranceWidensTheTransparentColour) {
    auto px = Mask(2, 1, [](int x, int) { return x == 0; });  // 0x10 grey, then white
    auto runs = ExtractMaskRuns(px.data(), 2, 1, 8, true, 0x000000, 0x0F0F0F);
    ASSERT_EQ(1u, runs.size());
    EXPECT_EQ("0,0,2,1", R(runs[0].rects.at(0)));
    runs = ExtractMaskRuns(px.data(), 2, 1, 8, true, 0x000000, 0x101010);
    ASSERT_EQ(1u, runs.size());
    EXPECT_EQ("1,0,2,1", R(runs[0].rects.at(0)));
    // The upper bound is capped at 255, so grey and white both fall inside it.
    EXPECT_TRUE(ExtractMaskRuns(px.data(), 2, 1, 8, true, 0x101010, 0xFFFFFF).empty());
}

TEST(MaskRuns, BatchesOfAChequerGiveTheSameOutlineAsOne) {
    const int w = 100, h = 50;  // 2500 one-pixel runs
    auto px = Mask(w, h, [](int x, int y) { return (x + y) % 2 == 0; });
    auto batched = ExtractMaskRuns(px.data(), w, h, size_t(w) * 4, true, 0xFFFFFF, 0);
    auto single = ExtractMaskRuns(px.data(), w, h, size_t(w) * 4, true, 0xFFFFFF, 0, 100000);
    ASSERT_EQ(2u, batched.size());
    EXPECT_EQ(2000u, batched[0].rects.size());
    EXPECT_EQ(500u, batched[1].rects.size());
    EXPECT_EQ("0,40,100,50", R(batched[1].bounds));  // bounds restart with each batch
    ASSERT_EQ(1u, single.size());
    EXPECT_EQ(Paint(single, w, h), Paint(batched, w, h));
    EXPECT_EQ('#', Paint(batched, w, h)[0][0]);
    EXPECT_EQ('.', Paint(batched, w, h)[0][1]);
}

TEST(MaskRuns, PaddedRowsAndBadSizes) {
    // Stride of 3 pixels for 2-pixel rows: the padding is never read as a pixel.
    std::vector<uint8_t> px(2 * 12, 0xFF);
    px[8] = px[9] = px[10] = 0;  // padding of the first memory row
    EXPECT_TRUE(ExtractMaskRuns(px.data(), 2, 2, 12, true, 0xFFFFFF, 0).empty());
    EXPECT_TRUE(ExtractMaskRuns(px.data(), 2, 2, 4, true, 0xFFFFFF, 0).empty());
    EXPECT_TRUE(ExtractMaskRuns(nullptr, 2, 2, 8, true, 0xFFFFFF, 0).empty());
    EXPECT_TRUE(ExtractMaskRuns(px.data(), 0, 2, 8, true, 0xFFFFFF, 0).empty());
}

TEST(ButtonImageTable, ToggleAndPushModes) {
    using B = ButtonImage;
    // {toggle, disabled, checked, hover, selected}
    EXPECT_EQ(B::kDisable, ChooseButtonImage({true, true, true, true, false}));
    EXPECT_EQ(B::kOver, ChooseButtonImage({true, false, false, true, true}));
    EXPECT_EQ(B::kNormal, ChooseButtonImage({true, false, false, false, true}));
    EXPECT_EQ(B::kDown, ChooseButtonImage({true, false, true, true, false}));

    EXPECT_EQ(B::kDown, ChooseButtonImage({false, false, true, true, false}));
    EXPECT_EQ(B::kDisable, ChooseButtonImage({false, true, true, false, false}));
    EXPECT_EQ(B::kDown, ChooseButtonImage({false, false, false, true, true}));
    EXPECT_EQ(B::kOver, ChooseButtonImage({false, false, false, true, false}));
    EXPECT_EQ(B::kOver, ChooseButtonImage({false, true, false, true, false}));
    EXPECT_EQ(B::kNormal, ChooseButtonImage({false, false, false, false, false}));
    EXPECT_EQ(B::kDisable, ChooseButtonImage({false, true, false, false, false}));
}

TEST(SkinMenuModelTest, AppendWidensAndMeasureSums) {
    SkinMenuModel menu;
    menu.Append(1001, "Left click", -1);  // 10 characters
    menu.Append(kMenuSeparatorId, "", -1);
    menu.Append(1002, "Short", 1);
    EXPECT_EQ(80, menu.width());
    EXPECT_EQ(3, menu.count());
    EXPECT_EQ(1, menu.FindById(1002)->mark);
    EXPECT_EQ(2, menu.FindById(1002)->index);
    EXPECT_EQ(nullptr, menu.FindById(7));

    menu.SetWidth(91);
    MenuItemSize s = menu.Measure(1001);
    EXPECT_EQ(91, s.width);
    EXPECT_EQ(18, s.height);
    EXPECT_EQ(5, menu.Measure(0).height);
    EXPECT_EQ(5, menu.Measure(kMenuSeparatorId).height);
    EXPECT_EQ(0, menu.Measure(1).height);
    EXPECT_EQ(18 + 5 + 5, menu.totalHeight());
}

TEST(MenuReopenGuardTest, IgnoresClicksWithin200msOfClosingAcrossTheWrap) {
    MenuReopenGuard guard;
    EXPECT_FALSE(guard.IgnoresClickAt(50));  // no menu closed yet
    guard.MenuClosed(1000);
    EXPECT_TRUE(guard.IgnoresClickAt(1000));
    EXPECT_TRUE(guard.IgnoresClickAt(1199));
    EXPECT_FALSE(guard.IgnoresClickAt(1200));
    guard.MenuClosed(0xFFFFFFF0u);
    EXPECT_TRUE(guard.IgnoresClickAt(0x50));
    EXPECT_FALSE(guard.IgnoresClickAt(0x100));
}

}  // namespace
}  // namespace kestra
