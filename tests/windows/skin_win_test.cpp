#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "skin/mask_runs.h"
#include "skin/skin_button_win.h"
#include "skin/skin_image_win.h"
#include "skin/skin_menu_win.h"
#include "skin/skin_window_win.h"
#include "skin/warning_dialog_win.h"
#include "tests/native/test_folder.h"
#include "tests/windows/e2e_harness_win.h"

namespace kestra {
namespace {

using e2e::BmpBytes;
using e2e::PixelFn;

Bitmap MakeBitmap(int w, int h, const PixelFn& pixel) {
    HDC screen = GetDC(nullptr);
    Bitmap bitmap(CreateCompatibleBitmap(screen, w, h));
    MemoryDC dc(CreateCompatibleDC(screen));
    ReleaseDC(nullptr, screen);
    ScopedSelectObject select(dc.get(), bitmap.get());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) SetPixel(dc.get(), x, y, pixel(x, y));
    }
    return bitmap;
}

COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
    MemoryDC dc(CreateCompatibleDC(nullptr));
    ScopedSelectObject select(dc.get(), bitmap);
    return GetPixel(dc.get(), x, y);
}

constexpr COLORREF kWhite = RGB(255, 255, 255);

TEST(MaskToRegionTest, OutlinesFollowTheNonWhitePixels) {
    EXPECT_FALSE(MaskToRegion(nullptr, kWhite, 0));

    Bitmap white = MakeBitmap(16, 8, [](int, int) { return kWhite; });
    Region none = MaskToRegion(white.get(), kWhite, 0);
    ASSERT_TRUE(none);
    RECT box;
    EXPECT_EQ(NULLREGION, GetRgnBox(none.get(), &box));

    // Rounded-off corners: white only at the very corner pixels. (Which pixels
    // count as inside is checked natively: MaskRuns.*.)
    Bitmap rounded = MakeBitmap(16, 8, [](int x, int y) {
        return ((x == 0 || x == 15) && (y == 0 || y == 7)) ? kWhite : RGB(250, 255, 255);
    });
    Region shape = MaskToRegion(rounded.get(), kWhite, 0);
    Region a(CreateRectRgn(1, 0, 15, 8));
    Region b(CreateRectRgn(0, 1, 16, 7));
    CombineRgn(a.get(), a.get(), b.get(), RGN_OR);
    EXPECT_TRUE(EqualRgn(shape.get(), a.get()));
}

TEST(MaskToRegionTest, ManyRunsInBatchesEqualOneRegionCall) {
    const int w = 120, h = 60;  // 3600 runs of one pixel
    Bitmap chequer =
        MakeBitmap(w, h, [](int x, int y) { return (x + y) % 2 ? kWhite : RGB(0, 0, 0); });
    Region batched = MaskToRegion(chequer.get(), kWhite, 0);
    ASSERT_TRUE(batched);

    std::vector<unsigned char> buffer(sizeof(RGNDATAHEADER) + sizeof(RECT) * (w * h / 2));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = w * h / 2;
    data->rdh.rcBound = {0, 0, w, h};
    RECT* rects = reinterpret_cast<RECT*>(data->Buffer);
    int n = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = y % 2; x < w; x += 2) rects[n++] = {x, y, x + 1, y + 1};
    }
    Region single(ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data));
    ASSERT_TRUE(single);
    EXPECT_TRUE(EqualRgn(batched.get(), single.get()));
}

TEST(LoadSkinImageTest, ReadsABitmapFileAndSurvivesBadOnes) {
    kestra_test::TestFolder folder;
    folder.Write("pic.bmp", BmpBytes(7, 5, [](int x, int y) {
                     return x == 6 && y == 4 ? RGB(10, 200, 30) : RGB(200, 0, 0);
                 }));
    Bitmap bitmap;
    SIZE size = {};
    ASSERT_TRUE(LoadSkinImage(folder.path() + "pic.bmp", bitmap, size));
    EXPECT_EQ(7, size.cx);
    EXPECT_EQ(5, size.cy);
    EXPECT_EQ(RGB(200, 0, 0), PixelOf(bitmap.get(), 0, 0));
    EXPECT_EQ(RGB(10, 200, 30), PixelOf(bitmap.get(), 6, 4));

    EXPECT_FALSE(LoadSkinImage(folder.path() + "missing.bmp", bitmap, size));
    EXPECT_FALSE(bitmap);
    EXPECT_EQ(0, size.cx);
    EXPECT_EQ(0, size.cy);

    folder.Write("junk.bmp", "BM this is not a picture");
    EXPECT_FALSE(LoadSkinImage(folder.path() + "junk.bmp", bitmap, size));
    EXPECT_FALSE(bitmap);
    folder.Write("empty.jpg", "");
    EXPECT_FALSE(LoadSkinImage(folder.path() + "empty.jpg", bitmap, size));
    EXPECT_FALSE(LoadSkinImage("", bitmap, size));
}

TEST(LoadSkinImageTest, RowsTopDownReadAsBottomUpAndAFileShortOfItsPixelsIsRefused) {
    kestra_test::TestFolder folder;
    const PixelFn pixel = [](int x, int y) { return RGB(20 * x, 40 * y, 7); };
    const std::string bottomUp = BmpBytes(7, 5, pixel);
    // The same picture stored top-down: a negative height, the rows reversed.
    const size_t bits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    const size_t stride = (7 * 3 + 3) & ~3;
    std::string topDown = bottomUp.substr(0, bits);
    const LONG negative = -5;
    memcpy(&topDown[sizeof(BITMAPFILEHEADER) + offsetof(BITMAPINFOHEADER, biHeight)], &negative,
           sizeof negative);
    for (int row = 4; row >= 0; --row) topDown += bottomUp.substr(bits + row * stride, stride);
    folder.Write("top_down.bmp", topDown);
    Bitmap bitmap;
    SIZE size = {};
    ASSERT_TRUE(LoadSkinImage(folder.path() + "top_down.bmp", bitmap, size));
    EXPECT_EQ(5, size.cy);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) EXPECT_EQ(pixel(x, y), PixelOf(bitmap.get(), x, y)) << x << y;
    }

    folder.Write("cut.bmp", bottomUp.substr(0, bottomUp.size() - stride));
    EXPECT_FALSE(LoadSkinImage(folder.path() + "cut.bmp", bitmap, size));
    EXPECT_FALSE(bitmap);
}

// A 240 x 100 skin whose mask cuts off a 10-pixel strip on the right.
class SkinFixture : public ::testing::Test {
protected:
    void SetUp() override {
        const auto shade = [](COLORREF c) { return [c](int, int) { return c; }; };
        folder_.Write("w_mask.bmp", BmpBytes(240, 100, [](int x, int) {
                          return x >= 230 ? kWhite : RGB(0, 0, 0);
                      }));
        folder_.Write("w_normal.bmp", BmpBytes(240, 100, shade(RGB(30, 30, 30))));
        folder_.Write("w_over.bmp", BmpBytes(240, 100, shade(RGB(40, 40, 40))));
        folder_.Write("w_down.bmp", BmpBytes(240, 100, shade(RGB(50, 50, 50))));
        folder_.Write("w_disable.bmp", BmpBytes(240, 100, shade(RGB(60, 60, 60))));
        SetSkinFolder(folder_.path());
        WriteSkin("skin_test.ini", "1=a,10,10,40,20,\r\n2=b,60,10,40,20,\r\n");
    }
    void TearDown() override { SetSkinFolder(""); }

    void WriteSkin(const std::string& name, const std::string& buttons) {
        folder_.Write(name,
                      "[SCREEN]\r\nMask=w_mask.bmp\r\nNormal=w_normal.bmp\r\nOver=w_over.bmp\r\n"
                      "Down=w_down.bmp\r\nDisable=w_disable.bmp\r\n[BUTTONPOS]\r\n" +
                          buttons);
    }

    kestra_test::TestFolder folder_;
};

const char kThreeButtons[] = "1=ok,20,60,50,20,\r\n2=no,90,60,50,20, \r\n3=close,215,5,12,12,\r\n";

RECT ClientRectOf(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Runs `work` once from a timer, `ms` after the message loop about to start
// (a modal dialog's, a menu's) picks it up.
std::function<void()> g_later;
void CALLBACK RunLater(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    std::function<void()> work;
    work.swap(g_later);
    if (work) work();
}
void Later(UINT ms, std::function<void()> work) {
    g_later = std::move(work);
    SetTimer(nullptr, 0, ms, &RunLater);
}

TEST_F(SkinFixture, WarningDialogTakesItsSkinAndEndsByItsButtons) {
    WriteSkin("skin_reset_all_warn.ini", kThreeButtons);
    for (int index = 0; index < 3; ++index) {
        WarningDialog dialog(WarningKind::kResetAll, nullptr);
        dialog.SetMessage("Reset?");
        Later(50, [&] { PostMessageA(dialog.button(index).hwnd(), BM_CLICK, 0, 0); });
        EXPECT_EQ(index == 0 ? IDOK : IDCANCEL, dialog.RunModal()) << index;
        EXPECT_EQ(240, dialog.skinSize().cx);
        EXPECT_TRUE(dialog.hasRegion());
        EXPECT_EQ(nullptr, dialog.hwnd());
    }
}

TEST_F(SkinFixture, WarningDialogPlacesButtonsAndItsOutline) {
    WriteSkin("skin_macro_set_warn.ini", "1=ok,20,60,50,20,\r\n");
    WarningDialog dialog(WarningKind::kMacroSet, nullptr);
    Later(100, [&] {
        RECT r = ClientRectOf(dialog.button(0).hwnd());
        EXPECT_EQ(20, r.left);
        EXPECT_EQ(60, r.top);
        EXPECT_EQ(70, r.right);
        EXPECT_EQ(80, r.bottom);
        // A missing entry: the control exists but has no size.
        ASSERT_NE(nullptr, dialog.button(1).hwnd());
        r = ClientRectOf(dialog.button(1).hwnd());
        EXPECT_EQ(r.left, r.right);
        RECT window;
        GetWindowRect(dialog.hwnd(), &window);
        EXPECT_EQ(240, window.right - window.left);
        Region region(CreateRectRgn(0, 0, 0, 0));
        GetWindowRgn(dialog.hwnd(), region.get());
        RECT box;
        GetRgnBox(region.get(), &box);
        EXPECT_EQ(230, box.right);
        // The button's state images are cut from the full-window images.
        HDC dc = GetDC(dialog.button(0).hwnd());
        EXPECT_EQ(RGB(30, 30, 30), GetPixel(dc, 5, 5));
        ReleaseDC(dialog.button(0).hwnd(), dc);
        PostMessageA(dialog.button(1).hwnd(), BM_CLICK, 0, 0);
        PostMessageA(dialog.button(0).hwnd(), BM_CLICK, 0, 0);
    });
    // The zero-size button cannot be clicked: its BM_CLICK misses, entry "1" ends it.
    EXPECT_EQ(IDOK, dialog.RunModal());
}

TEST_F(SkinFixture, AMissingSkinGivesAWindowWithoutSize) {
    WarningDialog dialog(WarningKind::kClick, nullptr);
    SetSkinFolder(folder_.path() + "nowhere\\");
    Later(50, [&] { PostMessageA(dialog.hwnd(), WM_CLOSE, 0, 0); });
    EXPECT_EQ(IDCANCEL, dialog.RunModal());
    EXPECT_EQ(0, dialog.skinSize().cx);
    EXPECT_FALSE(dialog.hasRegion());
}

// A popup with two buttons, the second a toggle, that counts the commands of
// the toggle and the menus opened over it.
class TestPage : public SkinWindow {
public:
    TestPage() : SkinWindow("skin_test.ini") {}
    ~TestPage() override { DestroyOwnWindow(); }
    SkinButton a;
    SkinButton b;
    int commands = 0;
    int menuLoops = 0;

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override {
        PlaceButton(a, file.ReadEntry(1), images);
        PlaceButton(b, file.ReadEntry(2), images);
        b.SetToggleMode(true);
    }
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (reinterpret_cast<HWND>(lParam) == b.hwnd()) ++commands;
        return SkinWindow::OnCommand(wParam, lParam);
    }
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_ENTERMENULOOP) ++menuLoops;
        return SkinWindow::OnMessage(message, wParam, lParam);
    }
};

TEST_F(SkinFixture, ToggleButtonFlipsAndReportsEachClick) {
    TestPage page;
    ASSERT_TRUE(page.CreatePopup(nullptr));
    HWND button = page.b.hwnd();
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(1, page.b.checked());
    EXPECT_EQ(ButtonImage::kDown, page.b.ImageFor(0));
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(0, page.b.checked());
    EXPECT_EQ(2, page.commands);
    DestroyWindow(page.hwnd());
    EXPECT_EQ(nullptr, page.b.hwnd());  // children unbound with their windows
}

TEST_F(SkinFixture, MenuMeasuresItsItemsAndGetsTheFrame) {
    TestPage owner;
    ASSERT_TRUE(owner.CreatePopup(nullptr));
    ShowWindow(owner.hwnd(), SW_SHOW);
    SetForegroundWindow(owner.hwnd());
    ASSERT_TRUE(CoolMenu::Install());
    Font font = CreateSkinFont(SkinFontKind::kCaption);
    SkinMenu sub(font.get());
    ASSERT_TRUE(sub.Attach());
    sub.AppendItem(1101, "Inner");
    SkinMenu menu(font.get());
    ASSERT_TRUE(menu.Attach());
    menu.AppendItem(1001, "First");
    menu.AppendItem(kMenuSeparatorId, "");
    menu.AppendItem(1002, "More", sub.handle());
    menu.SetWidth(91);
    size_t subclassed = 0;
    Later(300, [&] {
        subclassed = CoolMenu::SubclassedCount();
        EndMenu();
    });
    menu.Track(TPM_RIGHTBUTTON, 100, 100, owner.hwnd());
    EXPECT_EQ(18 + 5 + 18, menu.model().totalHeight());
    EXPECT_EQ(1u, subclassed);
    CoolMenu::Uninstall();
    EXPECT_EQ(0u, CoolMenu::SubclassedCount());
    DestroyWindow(owner.hwnd());
}

TEST(SkinMenuTest, EachMenuDestroysOnlyItsOwnHandle) {
    Font font = CreateSkinFont(SkinFontKind::kCaption);
    SkinMenu sub(font.get());
    ASSERT_TRUE(sub.Attach());
    sub.AppendItem(1101, "Inner");
    const HMENU subHandle = sub.handle();
    {
        SkinMenu menu(font.get());
        ASSERT_TRUE(menu.Attach());
        menu.AppendItem(1002, "More", subHandle);
    }
    // The popup took no submenu with it: the handle its owner destroys next
    // is still the submenu's (and not one the system has since given out).
    EXPECT_TRUE(IsMenu(subHandle));
    sub.Destroy();
    EXPECT_FALSE(IsMenu(subHandle));
}

// Draws a popup item of `menu` (its first item) into a bitmap at `item`.
Bitmap DrawFirstItem(SkinMenu& menu, const RECT& item, int width, int height, COLORREF around) {
    HDC screen = GetDC(nullptr);
    Bitmap bitmap(CreateCompatibleBitmap(screen, width, height));
    ReleaseDC(nullptr, screen);
    MemoryDC dc(CreateCompatibleDC(nullptr));
    {
        ScopedSelectObject select(dc.get(), bitmap.get());
        Brush fill(CreateSolidBrush(around));
        RECT all = {0, 0, width, height};
        FillRect(dc.get(), &all, fill.get());
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_DATA | MIIM_ID;
        GetMenuItemInfoA(menu.handle(), 0, TRUE, &info);
        DRAWITEMSTRUCT draw = {};
        draw.CtlType = ODT_MENU;
        draw.itemID = info.wID;
        draw.itemAction = ODA_DRAWENTIRE;
        draw.hDC = dc.get();
        draw.rcItem = item;
        draw.itemData = info.dwItemData;
        EXPECT_TRUE(SkinMenu::HandleDrawItem(draw));
    }
    return bitmap;
}

TEST(SkinMenuTest, TheSubmenuArrowLiesInsideItsItemAtItsRight) {
    Font font = CreateSkinFont(SkinFontKind::kCaption);
    SkinMenu sub(font.get());
    ASSERT_TRUE(sub.Attach());
    SkinMenu menu(font.get());
    ASSERT_TRUE(menu.Attach());
    menu.AppendItem(1002, "", sub.handle());
    const RECT item = {10, 40, 110, 58};  // 18 high, as the menu measures it
    const COLORREF around = RGB(0, 128, 0);
    Bitmap drawn = DrawFirstItem(menu, item, 160, 100, around);

    // The arrow is the only light ink of an item without text.
    RECT arrow = {1000, 1000, -1, -1};
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 160; ++x) {
            const POINT p = {x, y};
            const COLORREF c = PixelOf(drawn.get(), x, y);
            if (!PtInRect(&item, p)) {
                ASSERT_EQ(around, c) << x << "," << y;  // nothing lands outside the item
            } else if (GetRValue(c) > 128 && GetGValue(c) > 128 && GetBValue(c) > 128) {
                arrow = {std::min<LONG>(arrow.left, x), std::min<LONG>(arrow.top, y),
                         std::max<LONG>(arrow.right, x + 1), std::max<LONG>(arrow.bottom, y + 1)};
            }
        }
    }
    // Within the last 19 pixels, and as far above the middle as below it.
    ASSERT_LT(arrow.left, arrow.right) << "no arrow drawn";
    EXPECT_GE(arrow.left, item.right - 19);
    EXPECT_LE(arrow.right, item.right - 3);
    EXPECT_LE(std::abs((arrow.top - item.top) - (item.bottom - arrow.bottom)), 1);
}

void MoveOver(HWND captureHolder, HWND target) {
    RECT r;
    GetWindowRect(target, &r);
    SetCursorPos(r.left + 3, r.top + 3);
    POINT p = {r.left + 3, r.top + 3};
    ScreenToClient(captureHolder, &p);
    SendMessageA(captureHolder, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
}

TEST_F(SkinFixture, HoverFollowsTheMouseFromOneButtonToTheNext) {
    TestPage page;
    ASSERT_TRUE(page.CreatePopup(nullptr));
    ShowWindow(page.hwnd(), SW_SHOW);
    SetForegroundWindow(page.hwnd());
    SetActiveWindow(page.hwnd());
    MoveOver(page.a.hwnd(), page.a.hwnd());
    EXPECT_TRUE(page.a.hover());
    EXPECT_EQ(page.a.hwnd(), GetCapture());
    EXPECT_EQ(ButtonImage::kOver, page.a.ImageFor(0));
    MoveOver(page.a.hwnd(), page.b.hwnd());  // the capture holder sees the cursor leave
    EXPECT_FALSE(page.a.hover());
    EXPECT_EQ(nullptr, GetCapture());
    MoveOver(page.b.hwnd(), page.b.hwnd());
    EXPECT_TRUE(page.b.hover());
    EXPECT_FALSE(page.a.hover());

    // Dragging onto a button with the left button held does not light it.
    MoveOver(page.b.hwnd(), page.a.hwnd());
    SendMessageA(page.a.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_FALSE(page.a.hover());
    DestroyWindow(page.hwnd());
}

TEST_F(SkinFixture, AMenuClosedByAClickIsNotReopenedWithin200Ms) {
    TestPage owner;
    ASSERT_TRUE(owner.CreatePopup(nullptr));
    ShowWindow(owner.hwnd(), SW_SHOW);
    SetForegroundWindow(owner.hwnd());
    Font font = CreateSkinFont(SkinFontKind::kCaption);
    SkinMenu menu(font.get());
    ASSERT_TRUE(menu.Attach());
    menu.AppendItem(1001, "First");
    MenuReopenGuard guard;

    Later(50, [] { EndMenu(); });
    EXPECT_TRUE(menu.TrackGuarded(guard, TPM_RIGHTBUTTON, 100, 100, owner.hwnd()));
    EXPECT_EQ(1, owner.menuLoops);
    // The same click arriving at the button right after the menu closed.
    EXPECT_FALSE(menu.TrackGuarded(guard, TPM_RIGHTBUTTON, 100, 100, owner.hwnd()));
    EXPECT_EQ(1, owner.menuLoops);
    Sleep(250);
    Later(50, [] { EndMenu(); });
    EXPECT_TRUE(menu.TrackGuarded(guard, TPM_RIGHTBUTTON, 100, 100, owner.hwnd()));
    EXPECT_EQ(2, owner.menuLoops);
    DestroyWindow(owner.hwnd());
}

// A page inside a popup, with nothing on it.
class EmptyPage : public SkinWindow {
public:
    EmptyPage() : SkinWindow("skin_page.ini") {}
    ~EmptyPage() override { DestroyOwnWindow(); }
};

void PumpFor(DWORD ms) {
    e2e::WaitUntil([] { return false; }, ms);
}

TEST_F(SkinFixture, APressOnAPageDragsTheWindowItSitsIn) {
    folder_.Write("p_normal.bmp", BmpBytes(100, 60, [](int, int) { return RGB(20, 20, 20); }));
    folder_.Write("skin_page.ini", "[SCREEN]\r\nNormal=p_normal.bmp\r\n[BUTTONPOS]\r\n");
    TestPage window;
    ASSERT_TRUE(window.CreatePopup(nullptr));
    EmptyPage page;
    ASSERT_TRUE(page.CreateChild(window.hwnd()));
    MoveWindow(page.hwnd(), 100, 20, 100, 60, FALSE);
    SetWindowPos(window.hwnd(), HWND_TOP, 200, 200, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(window.hwnd());
    PumpFor(100);

    // The press on the page asks the top-level window, not the page, for a
    // caption drag.
    SendMessageA(page.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, page.hwnd(), WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, window.hwnd(), WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
    EXPECT_EQ(static_cast<WPARAM>(HTCAPTION), msg.wParam);

    // And a real drag with the mouse moves the whole window.
    RECT before;
    GetWindowRect(window.hwnd(), &before);
    struct Drag {
        static DWORD WINAPI Run(void* arg) {
            const POINT start = *static_cast<POINT*>(arg);
            SetCursorPos(start.x, start.y);
            Sleep(50);
            mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
            Sleep(100);
            for (int i = 1; i <= 6; ++i) {
                SetCursorPos(start.x + 5 * i, start.y + 5 * i);
                Sleep(30);
            }
            mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
            return 0;
        }
    };
    POINT start = {before.left + 100 + 30, before.top + 20 + 30};
    HANDLE thread = CreateThread(nullptr, 0, &Drag::Run, &start, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    // Pumping until the drag is over, however long a loaded machine takes.
    e2e::WaitUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 10000);
    PumpFor(100);
    CloseHandle(thread);
    RECT after;
    GetWindowRect(window.hwnd(), &after);
    EXPECT_EQ(before.left + 30, after.left);
    EXPECT_EQ(before.top + 30, after.top);
    DestroyWindow(window.hwnd());
}

}  // namespace
}  // namespace kestra
