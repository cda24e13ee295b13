// The value and text controls in a test dialog built from a test skin, driven
// by real input: the pointer moved and buttons, wheel and keys pressed with
// SendInput at screen coordinates; the dialog records what reaches it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "settings/ipc_names.h"
#include "skin/bitmap_edit_win.h"
#include "skin/scroll_bar_win.h"
#include "skin/skin_image_win.h"
#include "skin/skin_window_win.h"
#include "skin/slider_win.h"
#include "skin/spin_win.h"
#include "tests/native/test_folder.h"
#include "tests/windows/e2e_harness_win.h"

namespace kestra {
namespace {

using e2e::WaitUntil;

// ---------------------------------------------------------------- real input

void Pump(DWORD ms) {
    WaitUntil([] { return false; }, ms);
}

// After injected input: until it and what it caused have been handled.
void Settle(DWORD ms = 30) {
    e2e::SettleInput(ms);
}

void Send(INPUT input) {
    SendInput(1, &input, sizeof(INPUT));
}

void MouseTo(POINT screen) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    const int w = GetSystemMetrics(SM_CXSCREEN);
    const int h = GetSystemMetrics(SM_CYSCREEN);
    in.mi.dx = static_cast<LONG>((screen.x * 65536LL + w / 2) / w);
    in.mi.dy = static_cast<LONG>((screen.y * 65536LL + h / 2) / h);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    Send(in);
    Settle();
}

void MouseButton(DWORD flags) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    Send(in);
    Settle();
}

void Wheel(int delta) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_WHEEL;
    in.mi.mouseData = static_cast<DWORD>(delta);
    Send(in);
    Settle();
}

// A point of a window's client area on the screen.
POINT OnScreen(HWND window, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(window, &p);
    return p;
}

void ClickAt(POINT screen) {
    MouseTo(screen);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
}

void Key(WORD vk, bool up) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, 0));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    Send(in);
}

void Press(WORD vk) {
    Key(vk, false);
    Key(vk, true);
    Settle();
}

void CtrlPress(WORD vk) {
    Key(VK_CONTROL, false);
    Key(vk, false);
    Key(vk, true);
    Key(VK_CONTROL, true);
    Settle(50);
}

// Letters and digits as their keys (upper case letters give lower case text).
void Type(const char* text) {
    for (; *text; ++text) Press(static_cast<WORD>(VkKeyScanA(*text) & 0xFF));
}

bool SetClipboardText(const std::string& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    bool ok = false;
    if (memory != nullptr) {
        char* data = static_cast<char*>(GlobalLock(memory));
        memcpy(data, text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
        ok = SetClipboardData(CF_TEXT, memory) != nullptr;
        if (!ok) GlobalFree(memory);
    }
    CloseClipboard();
    return ok;
}

// ----------------------------------------------------------------- test skin

using e2e::BmpBytes;
using e2e::PixelFn;

constexpr int kDialogWidth = 420;
constexpr int kDialogHeight = 300;
constexpr COLORREF kNormalShade = RGB(30, 30, 30);
constexpr COLORREF kArrow = RGB(0, 0, 255);
constexpr COLORREF kArrowHot = RGB(0, 255, 255);
constexpr COLORREF kThumb = RGB(0, 255, 0);
constexpr COLORREF kThumbHot = RGB(255, 255, 0);
constexpr COLORREF kTrack = RGB(80, 80, 80);

// A dialog with one control of each kind, placed at its skin entries; it
// records every private and registered message that reaches it.
class ValueDialog : public SkinWindow {
public:
    ValueDialog() : SkinWindow("skin_values.ini") {}
    ~ValueDialog() override { DestroyOwnWindow(); }

    BitmapEdit edit;
    CclickHSlider slider;    // 0..10 over 112 pixels, id 201
    CclickHSlider colour;    // 0..255 over 256 pixels, id 202
    CclickVSlider vertical;  // 0..10 over 101 pixels, id 301
    HWND list = nullptr;     // a system list box of 200 items
    SkinScrollFrame frame;   // around it
    SkinSpinEdit spin;       // id 501
    SkinSpinView view;       // id 502
    std::vector<e2e::RecordedMessage> received;

    // The values of the notifications that came with this id, in order.
    std::vector<int> Values(UINT message, LPARAM id) const {
        std::vector<int> values;
        for (const auto& m : received) {
            if (m.message == message && m.lParam == id) values.push_back(int(m.wParam));
        }
        return values;
    }
    std::vector<int> Slider(LPARAM id) const { return Values(UM_SLIDER_CHANGED, id); }
    std::vector<int> Spin(LPARAM id) const { return Values(UM_SPIN_CHANGED, id); }

    int Count(UINT message, WPARAM wParam) const {
        int n = 0;
        for (const auto& m : received) n += (m.message == message && m.wParam == wParam) ? 1 : 0;
        return n;
    }
    std::vector<e2e::RecordedMessage> Of(UINT message) const {
        std::vector<e2e::RecordedMessage> out;
        for (const auto& m : received) {
            if (m.message == message) out.push_back(m);
        }
        return out;
    }

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override {
        (void)images;
        const SkinRect r = file.ReadEntry(1).rect;
        edit.Create(hwnd(), {r.left, r.top, r.right, r.bottom},
                    WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 77);
        edit.SetNumericOnly(true);
        PlaceSlider(slider, file.ReadEntry(2).rect, 201, images);
        PlaceSlider(colour, file.ReadEntry(4).rect, 202, images);
        colour.SetRange(0, 255);
        const SkinRect v = file.ReadEntry(3).rect;
        const SkinRect l = file.ReadEntry(7).rect;
        list = CreateWindowExA(
            0, "LISTBOX", "",
            WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY, l.left, l.top,
            l.right - l.left, l.bottom - l.top, hwnd(), nullptr, nullptr, nullptr);
        for (int i = 0; i < 200; ++i) {
            const std::string item = "Item " + std::to_string(i);
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        }
        frame.Attach(list);
        PlaceSpin(spin, file.ReadEntry(5).rect, 501, images);
        PlaceSpin(view, file.ReadEntry(6).rect, 502, images);
        if (vertical.Create(SkinFolder() + "thumb_v.bmp", v.left, v.top, v.right, v.bottom, hwnd(),
                            301)) {
            vertical.SetBackground(v.left, v.top, v.right, v.bottom, images.normal.get());
            vertical.SetDisabledBackground(v.left, v.top, v.right, v.bottom, images.disable.get());
        }
    }
    void PlaceSpin(SkinSpinEdit& field, const SkinRect& r, int id, const SkinStateImages& images) {
        if (!field.Create(r.left, r.top, r.right, r.bottom, hwnd(), id)) return;
        field.SetStateImages({r.left, r.top, r.right, r.bottom}, images.normal.get(),
                             images.over.get(), images.down.get(), images.disable.get());
    }
    void PlaceSlider(SliderTrack& track, const SkinRect& r, int id, const SkinStateImages& images) {
        if (!track.Create(SkinFolder() + "thumb_h.bmp", r.left, r.top, r.right, r.bottom, hwnd(),
                          id)) {
            return;
        }
        track.SetBackground(r.left, r.top, r.right, r.bottom, images.normal.get());
    }
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if ((message >= WM_USER && message < kReflectBase) || message == WM_HSCROLL) {
            received.push_back({message, wParam, lParam, 0});
        } else if (message >= 0xC000 && message <= 0xFFFF) {
            received.push_back({message, wParam, lParam, 0});
        }
        return SkinWindow::OnMessage(message, wParam, lParam);
    }
};

class ValueControls : public ::testing::Test {
protected:
    void SetUp() override {
        const auto shade = [](COLORREF c) { return [c](int, int) { return c; }; };
        folder_.Write("v_normal.bmp", BmpBytes(kDialogWidth, kDialogHeight, shade(kNormalShade)));
        folder_.Write("v_over.bmp", BmpBytes(kDialogWidth, kDialogHeight, shade(RGB(60, 0, 0))));
        folder_.Write("v_down.bmp", BmpBytes(kDialogWidth, kDialogHeight, shade(RGB(0, 60, 0))));
        folder_.Write("v_disable.bmp", BmpBytes(kDialogWidth, kDialogHeight, shade(RGB(0, 0, 60))));
        folder_.Write("skin_values.ini",
                      "[SCREEN]\r\nNormal=v_normal.bmp\r\nOver=v_over.bmp\r\n"
                      "Down=v_down.bmp\r\nDisable=v_disable.bmp\r\n[BUTTONPOS]\r\n"
                      "1=edit,20,20,120,20,\r\n2=h,20,60,112,24,\r\n3=v,360,20,24,101,\r\n"
                      "4=colour,20,100,256,24,\r\n5=spin,160,20,80,22,\r\n"
                      "6=view,260,20,50,17,\r\n7=list,20,140,160,120,\r\n");
        // Thumbs: red shapes on white, which is outside them.
        const auto thumb = [](int x, int y) {
            return (y < 3 && (x < 3 - y || x > 8 + y)) ? RGB(255, 255, 255) : RGB(220, 30, 30);
        };
        folder_.Write("thumb_h.bmp", BmpBytes(12, 18, thumb));
        folder_.Write("thumb_v.bmp", BmpBytes(12, 18, thumb));
        // Scroll bar images of 12 pixels, one colour each.
        const struct {
            const char* name;
            COLORREF colour;
        } bar[] = {{"up", kArrow},          {"up_hot", kArrowHot}, {"down", kArrow},
                   {"down_hot", kArrowHot}, {"thumb", kThumb},     {"thumb_hot", kThumbHot},
                   {"track", kTrack}};
        for (const auto& b : bar) {
            folder_.Write(std::string("scrollbar_") + b.name + ".bmp",
                          BmpBytes(12, 12, shade(b.colour)));
        }
        SetSkinFolder(folder_.path());
        ASSERT_TRUE(dialog.CreatePopup(nullptr));
        SetWindowPos(dialog.hwnd(), HWND_TOP, 100, 100, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        SetForegroundWindow(dialog.hwnd());
        Pump(100);
    }
    void TearDown() override {
        // No key or button stays down for the next test.
        Key(VK_CONTROL, true);
        MouseButton(MOUSEEVENTF_LEFTUP);
        DestroyWindow(dialog.hwnd());
        SetSkinFolder("");
    }
    POINT At(HWND control, int x, int y) { return OnScreen(control, x, y); }
    // A click on a slider's track, `x` pixels from its left (or `y` from its top).
    void ClickTrack(const SliderTrack& track, int x, int y) {
        dialog.received.clear();
        ClickAt(At(track.hwnd(), x, y));
        Pump(50);
    }
    // Presses the thumb in its middle, moves the pointer by `by` pixels in
    // steps of 6 and lets go.
    void DragThumb(const SliderTrack& track, POINT by) {
        dialog.received.clear();
        const SIZE size = track.thumb().imageSize();
        POINT from = At(track.thumb().hwnd(), size.cx / 2, size.cy / 2);
        MouseTo(from);
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        const int steps = (std::max(std::abs(by.x), std::abs(by.y)) + 5) / 6;
        for (int i = 1; i <= steps; ++i) {
            MouseTo({from.x + by.x * i / steps, from.y + by.y * i / steps});
        }
        MouseButton(MOUSEEVENTF_LEFTUP);
        Pump(50);
    }
    // The thumb's leading edge in the track.
    static int ThumbAt(const SliderTrack& track, bool vertical) {
        RECT r;
        GetWindowRect(track.thumb().hwnd(), &r);
        MapWindowPoints(nullptr, track.hwnd(), reinterpret_cast<POINT*>(&r), 2);
        return vertical ? r.top : r.left;
    }

    kestra_test::TestFolder folder_;
    ValueDialog dialog;
};

// ----------------------------------------------------------------- BitmapEdit

TEST_F(ValueControls, NumericEditTakesDigitsEditingKeysAndReportsToItsParent) {
    const UINT killFocus = BitmapEditKillFocusMessage();
    ASSERT_NE(0u, killFocus);
    EXPECT_NE(killFocus, BitmapEditChangeMessage());
    HWND edit = dialog.edit.hwnd();
    ASSERT_NE(nullptr, edit);
    EXPECT_EQ(77, GetDlgCtrlID(edit));
    ClickAt(At(edit, 10, 10));
    ASSERT_EQ(edit, GetFocus());

    Type("1A2");
    Press(VK_SPACE);
    Type("3");
    EXPECT_EQ("123", dialog.edit.Text());
    EXPECT_EQ(3, dialog.Count(killFocus, 0));  // one per change, none for the letter

    Press(VK_HOME);
    Press(VK_DELETE);  // "23"
    Press(VK_END);
    Press(VK_BACK);  // "2"
    Press(VK_LEFT);
    Type("9");  // "92"
    Press(VK_RIGHT);
    Press(VK_OEM_PERIOD);
    Type("5");
    EXPECT_EQ("92.5", dialog.edit.Text());

    dialog.received.clear();
    Press(VK_RETURN);
    EXPECT_EQ("92.5", dialog.edit.Text());
    const auto enter = dialog.Of(UM_EDIT_ENTER);
    ASSERT_EQ(1u, enter.size());
    EXPECT_EQ(13u, enter[0].wParam);
    EXPECT_EQ(0, enter[0].lParam);

    SetFocus(dialog.hwnd());
    Pump(30);
    EXPECT_EQ(1, dialog.Count(killFocus, 1));
}

TEST_F(ValueControls, PasteIntoANumericEditKeepsOnlyDigitsCommasAndPoints) {
    HWND edit = dialog.edit.hwnd();
    ClickAt(At(edit, 10, 10));
    Type("7");
    ASSERT_TRUE(SetClipboardText("x1,2y.3 z-4"));
    CtrlPress('V');
    EXPECT_EQ("71,2.34", dialog.edit.Text());
    // The caret stays after the pasted text.
    Type("0");
    EXPECT_EQ("71,2.340", dialog.edit.Text());

    // A huge paste: the field takes what fits and keeps only digits.
    std::string huge;
    for (int i = 0; i < 100000; ++i) huge += "a1b2;"[i % 5];
    ASSERT_TRUE(SetClipboardText(huge));
    SetWindowTextA(edit, "");
    CtrlPress('V');
    const std::string text = dialog.edit.Text();
    EXPECT_GT(text.size(), 1000u);
    EXPECT_EQ(std::string::npos, text.find_first_not_of("12"));

    // The same through the edit's own paste message.
    ASSERT_TRUE(SetClipboardText("5 and 6"));
    SetWindowTextA(edit, "");
    SendMessageA(edit, WM_PASTE, 0, 0);
    EXPECT_EQ("56", dialog.edit.Text());
}

TEST_F(ValueControls, EditPaintsInItsOwnColours) {
    HWND edit = dialog.edit.hwnd();
    dialog.edit.SetColours(RGB(255, 255, 0), RGB(0, 0, 200));
    RedrawWindow(edit, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    Pump(50);
    HDC dc = GetDC(edit);
    RECT client;
    GetClientRect(edit, &client);
    EXPECT_EQ(RGB(0, 0, 200), GetPixel(dc, client.right - 3, client.bottom / 2));
    ReleaseDC(edit, dc);
}

// -------------------------------------------------------------------- sliders

TEST_F(ValueControls, TrackClicksReportTheTracksIdAndValueOverTheWholeWidth) {
    ASSERT_NE(nullptr, dialog.colour.hwnd());
    // The pointer really lands where the test aims.
    MouseTo(At(dialog.colour.hwnd(), 200, 3));
    POINT cursor, expected = At(dialog.colour.hwnd(), 200, 3);
    GetCursorPos(&cursor);
    ASSERT_EQ(expected.x, cursor.x);
    ASSERT_EQ(expected.y, cursor.y);

    // 0..255: the last pixel gives 255, the first 0 (the thumb moves away first).
    ClickTrack(dialog.colour, 255, 3);
    EXPECT_EQ(std::vector<int>{255}, dialog.Slider(202));
    EXPECT_EQ(255, dialog.colour.value());
    EXPECT_EQ(256 - 12, ThumbAt(dialog.colour, false));
    ClickTrack(dialog.colour, 0, 3);
    EXPECT_EQ(std::vector<int>{0}, dialog.Slider(202));
    EXPECT_EQ(0, ThumbAt(dialog.colour, false));

    // 0..10 over 112 pixels (111 from first to last): the first pixels at
    // 40 % and 45 % of the way, truncated and rounded.
    const int at40 = (111 * 40 + 99) / 100, at45 = (111 * 45 + 99) / 100;
    ClickTrack(dialog.slider, at40, 3);
    EXPECT_EQ(std::vector<int>{4}, dialog.Slider(201));
    ClickTrack(dialog.slider, at45, 3);
    EXPECT_EQ(std::vector<int>{4}, dialog.Slider(201));
    dialog.slider.SetRounding(true);
    ClickTrack(dialog.slider, at45, 3);
    EXPECT_EQ(std::vector<int>{5}, dialog.Slider(201));
    EXPECT_EQ(50, ThumbAt(dialog.slider, false));  // 100 pixels of travel

    // The vertical track rounds whatever the flag: 45 of 100 pixels is 4.5 -> 5.
    ClickTrack(dialog.vertical, 3, 100);
    EXPECT_EQ(std::vector<int>{10}, dialog.Slider(301));
    ClickTrack(dialog.vertical, 3, 45);
    EXPECT_EQ(std::vector<int>{5}, dialog.Slider(301));
    EXPECT_EQ(83 * 5 / 10, ThumbAt(dialog.vertical, true));
}

TEST_F(ValueControls, DraggingTheThumbReportsWhileMovingAndOnRelease) {
    // 100 pixels of travel for 0..10: 36 pixels are 3.6.
    DragThumb(dialog.slider, {36, 0});
    std::vector<int> values = dialog.Slider(201);
    ASSERT_GE(values.size(), 3u);
    for (size_t i = 1; i < values.size(); ++i) EXPECT_LE(values[i - 1], values[i]);
    EXPECT_EQ(3, values.back());  // truncated, rounding off: one release value
    EXPECT_EQ(36, ThumbAt(dialog.slider, false));
    EXPECT_EQ(0, dialog.Count(UM_SLIDER_CHANGED, 4) + int(dialog.Slider(kSliderSnappedId).size()));

    // Rounding on: the release rounds to 4 and snaps the thumb, reporting 4 twice.
    dialog.slider.SetValue(0);
    dialog.slider.SetRounding(true);
    DragThumb(dialog.slider, {36, 0});
    values = dialog.Slider(201);
    ASSERT_GE(values.size(), 2u);
    EXPECT_EQ(3, values[values.size() - 3]);
    EXPECT_EQ(4, values[values.size() - 2]);
    EXPECT_EQ(4, values.back());
    EXPECT_EQ(40, ThumbAt(dialog.slider, false));
    EXPECT_EQ(4, dialog.slider.value());

    // Beyond the end the thumb stops at it; the vertical thumb follows y.
    DragThumb(dialog.slider, {200, 0});
    EXPECT_EQ(10, dialog.Slider(201).back());
    EXPECT_EQ(100, ThumbAt(dialog.slider, false));
    DragThumb(dialog.vertical, {0, 50});
    EXPECT_EQ(50, ThumbAt(dialog.vertical, true));
    EXPECT_EQ(50 * 10 / 83, dialog.Slider(301).back());
}

TEST_F(ValueControls, WheelOverTheTracksAndLeavingThem) {
    MouseTo(At(dialog.slider.hwnd(), 80, 3));
    MouseTo(At(dialog.slider.hwnd(), 82, 3));
    EXPECT_EQ(dialog.slider.hwnd(), GetFocus());
    EXPECT_TRUE(dialog.slider.wheelActive());
    dialog.received.clear();
    Wheel(WHEEL_DELTA);
    Wheel(WHEEL_DELTA);
    Wheel(-WHEEL_DELTA);
    EXPECT_EQ((std::vector<int>{1, 2, 1}), dialog.Slider(201));
    EXPECT_EQ(10, ThumbAt(dialog.slider, false));

    // Leaving the track: the owner hears of it and the wheel no longer counts.
    dialog.received.clear();
    MouseTo(At(dialog.hwnd(), 300, 250));
    Pump(100);
    EXPECT_FALSE(dialog.slider.wheelActive());
    SendMessageA(dialog.slider.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_TRUE(dialog.Slider(201).empty());

    // The vertical track: the wheel turned down raises its value.
    MouseTo(At(dialog.vertical.hwnd(), 3, 80));
    MouseTo(At(dialog.vertical.hwnd(), 3, 82));
    EXPECT_EQ(dialog.vertical.hwnd(), GetFocus());
    dialog.received.clear();
    Wheel(-WHEEL_DELTA);
    Wheel(-WHEEL_DELTA);
    Wheel(WHEEL_DELTA);
    EXPECT_EQ((std::vector<int>{1, 2, 1}), dialog.Slider(301));
    // Leaving it gives the focus back to the dialog.
    MouseTo(At(dialog.hwnd(), 300, 250));
    Pump(100);
    EXPECT_EQ(dialog.hwnd(), GetFocus());
}

TEST_F(ValueControls, SliderShapeDisabledLookAndBadImagesOrRanges) {
    // The thumb's outline leaves out its white corners.
    Region region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(ERROR, GetWindowRgn(dialog.slider.thumb().hwnd(), region.get()));
    EXPECT_FALSE(PtInRegion(region.get(), 0, 0));
    EXPECT_TRUE(PtInRegion(region.get(), 6, 0));
    EXPECT_TRUE(PtInRegion(region.get(), 0, 10));

    // The disabled vertical track shows the disabled image.
    EnableWindow(dialog.vertical.hwnd(), FALSE);
    RedrawWindow(dialog.vertical.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(dialog.vertical.hwnd());
    EXPECT_EQ(RGB(0, 0, 60), GetPixel(dc, 1, 90));
    ReleaseDC(dialog.vertical.hwnd(), dc);
    EnableWindow(dialog.vertical.hwnd(), TRUE);
    RedrawWindow(dialog.vertical.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    dc = GetDC(dialog.vertical.hwnd());
    EXPECT_EQ(kNormalShade, GetPixel(dc, 1, 90));
    ReleaseDC(dialog.vertical.hwnd(), dc);

    // A missing or unreadable thumb image: no window at all.
    folder_.Write("junk.bmp", "BM not a picture");
    for (const char* name : {"missing.bmp", "junk.bmp"}) {
        CclickHSlider bad;
        EXPECT_FALSE(bad.Create(folder_.path() + name, 10, 200, 110, 224, dialog.hwnd(), 9));
        EXPECT_EQ(nullptr, bad.hwnd());
    }

    // A range with nothing in it holds its minimum, the thumb at the start.
    dialog.slider.SetRange(5, 5);
    dialog.slider.SetValue(9);
    EXPECT_EQ(0, ThumbAt(dialog.slider, false));
    ClickTrack(dialog.slider, 90, 3);
    EXPECT_EQ(std::vector<int>{5}, dialog.Slider(201));
    DragThumb(dialog.slider, {30, 0});
    EXPECT_EQ(5, dialog.Slider(201).back());
}

TEST_F(ValueControls, ThumbCornersOfAnyKeyColourShowTheTrackBehind) {
    // Thumbs keyed with colours whose red and blue differ, on a grey track.
    const COLORREF body = RGB(0, 160, 0);
    for (const COLORREF key : {RGB(255, 0, 0), RGB(0, 0, 255), RGB(255, 255, 0)}) {
        folder_.Write("thumb_key.bmp", BmpBytes(12, 18, [&](int x, int y) {
                          return (y < 3 && (x < 3 - y || x > 8 + y)) ? key : body;
                      }));
        CclickHSlider slider;
        ASSERT_TRUE(
            slider.Create(folder_.path() + "thumb_key.bmp", 200, 180, 312, 204, dialog.hwnd(), 9));
        slider.SetValue(5);
        RedrawWindow(slider.hwnd(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump(50);
        // What the track shows under the thumb's corners and its body.
        RECT thumb;
        GetWindowRect(slider.thumb().hwnd(), &thumb);
        MapWindowPoints(nullptr, slider.hwnd(), reinterpret_cast<POINT*>(&thumb), 2);
        const int x = thumb.left, y = thumb.top;
        HDC dc = GetDC(slider.hwnd());
        EXPECT_EQ(kNormalShade, GetPixel(dc, x, y)) << std::hex << key;
        EXPECT_EQ(kNormalShade, GetPixel(dc, x + 11, y)) << std::hex << key;
        EXPECT_EQ(body, GetPixel(dc, x + 6, y)) << std::hex << key;
        EXPECT_EQ(body, GetPixel(dc, x, y + 10)) << std::hex << key;
        ReleaseDC(slider.hwnd(), dc);
    }
}

// ---------------------------------------------------------------- spin fields

TEST_F(ValueControls, SpinArrowsStepAndEveryChangeReachesTheOwner) {
    SkinSpinEdit& spin = dialog.spin;
    ASSERT_NE(nullptr, spin.hwnd());
    EXPECT_EQ(kSpinEditId, GetDlgCtrlID(spin.edit().hwnd()));
    const POINT up = At(spin.hwnd(), 69, 5), down = At(spin.hwnd(), 69, 14);
    spin.SetRange(0, 10);
    spin.SetValue(10);
    EXPECT_EQ("10", spin.edit().Text());
    Pump(50);
    // The arrows draw themselves from the dialog's images: lit under the
    // pointer, pressed, and disabled with the field.
    const auto arrowPixel = [&] {
        RedrawWindow(spin.hwnd(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        HDC dc = GetDC(spin.hwnd());
        const COLORREF c = GetPixel(dc, 62, 5);
        ReleaseDC(spin.hwnd(), dc);
        return c;
    };
    EXPECT_EQ(kNormalShade, arrowPixel());
    MouseTo(up);
    MouseTo({up.x, up.y + 1});
    EXPECT_EQ(RGB(60, 0, 0), arrowPixel());
    MouseTo(At(dialog.hwnd(), 300, 250));
    EXPECT_EQ(kNormalShade, arrowPixel());
    EnableWindow(spin.hwnd(), FALSE);
    EXPECT_EQ(RGB(0, 0, 60), arrowPixel());
    EXPECT_FALSE(IsWindowEnabled(spin.edit().hwnd()));
    EnableWindow(spin.hwnd(), TRUE);

    // At the top the up arrow keeps 10, and the owner still hears 10.
    dialog.received.clear();
    ClickAt(up);
    Pump(50);
    EXPECT_EQ("10", spin.edit().Text());
    ASSERT_FALSE(dialog.Spin(501).empty());
    EXPECT_EQ(10, dialog.Spin(501).back());
    dialog.received.clear();
    ClickAt(down);
    ClickAt(down);
    Pump(50);
    EXPECT_EQ("8", spin.edit().Text());
    EXPECT_EQ(8, spin.value());
    EXPECT_EQ(8, dialog.Spin(501).back());

    // Steps of 50 from 130: up rounds to 200, down to 150 then 100.
    spin.SetRange(100, 3200);
    spin.SetStep(50);
    spin.SetValue(130);
    Pump(50);
    ClickAt(up);
    Pump(50);
    EXPECT_EQ("200", spin.edit().Text());
    ClickAt(down);
    ClickAt(down);
    Pump(50);
    EXPECT_EQ("100", spin.edit().Text());
    EXPECT_EQ(100, dialog.Spin(501).back());

    // The display-only field: a read-only, disabled edit, live arrows.
    SkinSpinView& view = dialog.view;
    EXPECT_FALSE(IsWindowEnabled(view.edit().hwnd()));
    EXPECT_TRUE(GetWindowLongPtrA(view.edit().hwnd(), GWL_STYLE) & ES_READONLY);
    view.SetValue(3);
    Pump(50);
    dialog.received.clear();
    ClickAt(At(view.hwnd(), 36, 5));
    Pump(50);
    EXPECT_EQ("4", view.edit().Text());
    EXPECT_EQ(std::vector<int>{4}, dialog.Spin(502));
    ClickAt(At(view.hwnd(), 36, 12));
    ClickAt(At(view.hwnd(), 36, 12));
    Pump(50);
    EXPECT_EQ(2, dialog.Spin(502).back());
}

TEST_F(ValueControls, SpinFieldTakesTypedNumbersAndEnter) {
    SkinSpinEdit& spin = dialog.spin;
    spin.SetRange(0, 100);
    spin.SetValue(0);
    ClickAt(At(spin.edit().hwnd(), 5, 5));
    ASSERT_EQ(spin.edit().hwnd(), GetFocus());
    Press(VK_END);
    Press(VK_BACK);
    Type("012");
    EXPECT_EQ("012", spin.edit().Text());
    EXPECT_EQ(12, spin.value());
    dialog.received.clear();
    Press(VK_RETURN);
    Pump(50);
    EXPECT_EQ("12", spin.edit().Text());
    EXPECT_EQ(12, spin.value());
    ASSERT_FALSE(dialog.Spin(501).empty());
    EXPECT_EQ(12, dialog.Spin(501).back());

    // The field takes as many characters as the maximum has digits; letters
    // are swallowed; a number beyond the range is brought back into it.
    Press(VK_END);
    Type("x345");
    EXPECT_EQ("100", spin.edit().Text());
    EXPECT_EQ(100, dialog.Spin(501).back());

    // A long paste into the field: no more characters than it takes.
    ASSERT_TRUE(SetClipboardText(std::string(100000, '7')));
    Press(VK_HOME);
    CtrlPress('V');
    Pump(50);
    EXPECT_LE(spin.edit().Text().size(), 3u);
    EXPECT_EQ(100, spin.value());
}

// ---------------------------------------------------------------- scroll bars

int TopIndex(HWND list) {
    return static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
}

COLORREF PixelAt(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return c;
}

TEST_F(ValueControls, ScrollFrameDrivesAndFollowsAListOf200Items) {
    HWND list = dialog.list;
    SkinScrollBar& bar = dialog.frame.verticalBar();
    ASSERT_NE(nullptr, bar.hwnd());
    EXPECT_EQ(dialog.frame.hwnd(), GetParent(GetParent(list)));
    EXPECT_EQ(12, bar.unit());
    const int page = bar.state().page;
    EXPECT_EQ(199, bar.state().max);
    EXPECT_GT(page, 3);
    EXPECT_EQ(0, bar.state().pos);
    RECT r;
    GetClientRect(bar.hwnd(), &r);
    const int length = r.bottom;
    EXPECT_EQ(120, length);
    // The list's own bar is out of sight: its client area is as wide as the inner window.
    GetClientRect(list, &r);
    EXPECT_EQ(160 - 12, r.right);

    // An arrow: one line; the track below the thumb: one page.
    ClickAt(At(bar.hwnd(), 6, length - 4));
    Pump(50);
    EXPECT_EQ(1, TopIndex(list));
    EXPECT_EQ(1, bar.state().pos);
    ClickAt(At(bar.hwnd(), 6, length - 12 - 3));
    Pump(50);
    EXPECT_EQ(1 + page, TopIndex(list));
    EXPECT_EQ(1 + page, bar.state().pos);

    // The thumb dragged: the list follows while it moves and where it is let go.
    const ScrollGeometry g = bar.Geometry();
    const int thumbMiddle = g.arrow + g.offset + g.thumb / 2;
    const POINT from = At(bar.hwnd(), 6, thumbMiddle);
    MouseTo(from);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseTo({from.x, from.y + 10});
    MouseTo({from.x, from.y + 20});
    EXPECT_TRUE(bar.dragging());
    EXPECT_EQ(bar.state().trackPos, TopIndex(list));
    const int expected =
        ScrollDragPosition(bar.state(), g, 1 + page, thumbMiddle, thumbMiddle + 20);
    EXPECT_EQ(expected, TopIndex(list));
    MouseButton(MOUSEEVENTF_LEFTUP);
    Pump(50);
    EXPECT_FALSE(bar.dragging());
    EXPECT_EQ(expected, TopIndex(list));
    EXPECT_EQ(expected, bar.state().pos);
    EXPECT_EQ(-1, bar.state().trackPos);

    // The list scrolled by itself (wheel, keys): the bar catches up.
    MouseTo(At(list, 40, 40));
    Wheel(-WHEEL_DELTA);
    EXPECT_GT(TopIndex(list), expected);
    EXPECT_TRUE(WaitUntil([&] { return bar.state().pos == TopIndex(list); }, 1000));
    ClickAt(At(list, 40, 5));
    Press(VK_END);
    EXPECT_EQ(200 - page, TopIndex(list));
    EXPECT_TRUE(WaitUntil([&] { return bar.state().pos == 200 - page; }, 1000));
    const ScrollGeometry end = bar.Geometry();
    EXPECT_EQ(end.track - end.thumb, end.offset);
}

TEST_F(ValueControls, ScrollBarRepeatsAfterHalfASecondAndPagesUpToTheThumb) {
    HWND list = dialog.list;
    SkinScrollBar& bar = dialog.frame.verticalBar();
    // Held on the arrow: one line at once, nothing more for 500 ms, then
    // one every 100 ms.
    MouseTo(At(bar.hwnd(), 6, 120 - 4));
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    const double start = e2e::PreciseNowMs();
    EXPECT_EQ(1, TopIndex(list));
    WaitUntil([] { return false; }, 400);
    const int early = TopIndex(list);
    const bool earlyInTime = e2e::PreciseNowMs() - start < 490;  // a slow machine can overshoot
    WaitUntil([&] { return e2e::PreciseNowMs() - start >= 1050; }, 2000);
    const int later = TopIndex(list);
    MouseButton(MOUSEEVENTF_LEFTUP);
    const int released = TopIndex(list);
    Pump(300);
    if (earlyInTime) {
        EXPECT_EQ(1, early);
    }
    EXPECT_GE(later, 1 + 2);  // about 5 repeats in the 550 ms after the first
    EXPECT_LE(later, 1 + 7);
    EXPECT_EQ(released, TopIndex(list));  // letting go stops it

    // Held on the track halfway down: pages until the thumb is under the
    // cursor, then stays.
    SendMessageA(list, LB_SETTOPINDEX, 0, 0);
    dialog.frame.Sync();
    const int at = 60;
    MouseTo(At(bar.hwnd(), 6, at));
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    WaitUntil([] { return false; }, 2500);
    MouseButton(MOUSEEVENTF_LEFTUP);
    Pump(50);
    const ScrollGeometry g = bar.Geometry();
    EXPECT_EQ(kScrollThumb, ScrollHitTest(g, at));
    EXPECT_LT(TopIndex(list), ScrollSpan(bar.state()));
    EXPECT_EQ(bar.state().pos, TopIndex(list));
}

TEST_F(ValueControls, ScrollBarLightsThePartUnderThePointer) {
    SkinScrollBar& bar = dialog.frame.verticalBar();
    EXPECT_EQ(kArrow, PixelAt(bar.hwnd(), 6, 120 - 6));
    MouseTo(At(bar.hwnd(), 6, 120 - 6));
    MouseTo(At(bar.hwnd(), 6, 120 - 5));
    EXPECT_EQ(kScrollLineDown, bar.hotPart());
    EXPECT_EQ(kArrowHot, PixelAt(bar.hwnd(), 6, 120 - 6));
    EXPECT_EQ(kArrow, PixelAt(bar.hwnd(), 6, 6));
    const ScrollGeometry g = bar.Geometry();
    const int thumb = g.arrow + g.offset + g.thumb / 2;
    EXPECT_EQ(kThumb, PixelAt(bar.hwnd(), 6, thumb));
    MouseTo(At(bar.hwnd(), 6, thumb));
    EXPECT_EQ(kScrollThumb, bar.hotPart());
    EXPECT_EQ(kThumbHot, PixelAt(bar.hwnd(), 6, thumb));
    EXPECT_EQ(kTrack, PixelAt(bar.hwnd(), 6, 100));
    MouseTo(At(dialog.hwnd(), 300, 250));
    EXPECT_TRUE(WaitUntil([&] { return bar.hotPart() == -1; }, 1500));
    EXPECT_EQ(kThumb, PixelAt(bar.hwnd(), 6, thumb));
}

TEST_F(ValueControls, HorizontalBarSendsItsCodesAndThumbPositionsToItsParent) {
    SkinScrollBar bar;
    ASSERT_TRUE(bar.Create(dialog.hwnd(), {20, 270, 220, 282}, SBS_HORZ));
    EXPECT_FALSE(bar.vertical());
    ScrollState state;
    state.max = 99;
    state.page = 10;
    state.pos = 20;
    bar.SetState(state);
    Pump(50);
    const auto codes = [&] {
        std::vector<std::pair<int, int>> out;  // code, position
        for (const auto& m : dialog.received) {
            if (m.message != WM_HSCROLL) continue;
            EXPECT_EQ(reinterpret_cast<LPARAM>(bar.hwnd()), m.lParam);
            out.push_back({LOWORD(m.wParam), HIWORD(m.wParam)});
        }
        return out;
    };
    dialog.received.clear();
    ClickAt(At(bar.hwnd(), 195, 6));  // the right arrow
    ClickAt(At(bar.hwnd(), 4, 6));    // the left arrow
    ClickAt(At(bar.hwnd(), 15, 6));   // the track left of the thumb
    auto got = codes();
    ASSERT_EQ(3u, got.size());
    EXPECT_EQ(SB_LINEDOWN, got[0].first);
    EXPECT_EQ(SB_LINEUP, got[1].first);
    EXPECT_EQ(SB_PAGEUP, got[2].first);

    // A drag: SB_THUMBTRACK with each new position, SB_THUMBPOSITION at the end.
    const ScrollGeometry g = bar.Geometry();  // 176 pixels of track, thumb 17
    const int middle = g.arrow + g.offset + g.thumb / 2;
    dialog.received.clear();
    const POINT from = At(bar.hwnd(), middle, 6);
    MouseTo(from);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseTo({from.x + 30, from.y});
    MouseTo({from.x + 60, from.y});
    MouseButton(MOUSEEVENTF_LEFTUP);
    got = codes();
    ASSERT_GE(got.size(), 3u);
    const int end = ScrollDragPosition(state, g, 20, middle, middle + 60);
    EXPECT_EQ(SB_THUMBTRACK, got[0].first);
    EXPECT_EQ(ScrollDragPosition(state, g, 20, middle, middle + 30), got[0].second);
    EXPECT_EQ(SB_THUMBTRACK, got[got.size() - 2].first);
    EXPECT_EQ(end, got[got.size() - 2].second);
    EXPECT_EQ(SB_THUMBPOSITION, got.back().first);
    EXPECT_EQ(end, got.back().second);
    EXPECT_EQ(-1, bar.state().trackPos);
    DestroyWindow(bar.hwnd());
}

}  // namespace
}  // namespace kestra
