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
    Pump(30);
}

void MouseButton(DWORD flags) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    Send(in);
    Pump(30);
}

void Wheel(int delta) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_WHEEL;
    in.mi.mouseData = static_cast<DWORD>(delta);
    Send(in);
    Pump(30);
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
    Pump(30);
}

void CtrlPress(WORD vk) {
    Key(VK_CONTROL, false);
    Key(vk, false);
    Key(vk, true);
    Key(VK_CONTROL, true);
    Pump(50);
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

using PixelFn = std::function<COLORREF(int x, int y)>;

// A 24-bit bottom-up BMP file of the given picture.
std::string BmpBytes(int w, int h, const PixelFn& pixel) {
    const int stride = (w * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + stride * h;
    info.biSize = sizeof(info);
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
    for (int row = h - 1; row >= 0; --row) {
        std::string line(stride, '\0');
        for (int x = 0; x < w; ++x) {
            const COLORREF c = pixel(x, row);
            line[x * 3] = static_cast<char>(GetBValue(c));
            line[x * 3 + 1] = static_cast<char>(GetGValue(c));
            line[x * 3 + 2] = static_cast<char>(GetRValue(c));
        }
        bytes += line;
    }
    return bytes;
}

constexpr int kDialogWidth = 420;
constexpr int kDialogHeight = 300;
constexpr COLORREF kNormalShade = RGB(30, 30, 30);

// A dialog with one control of each kind, placed at its skin entries; it
// records every private and registered message that reaches it.
class ValueDialog : public SkinWindow {
public:
    ValueDialog() : SkinWindow("skin_values.ini") {}

    BitmapEdit edit;
    CclickHSlider slider;    // 0..10 over 112 pixels, id 201
    CclickHSlider colour;    // 0..255 over 256 pixels, id 202
    CclickVSlider vertical;  // 0..10 over 101 pixels, id 301
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
        if (message >= WM_USER && message < kReflectBase) {
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
                      "6=view,260,20,50,17,\r\n");
        // Thumbs: red shapes on white, which is outside them.
        const auto thumb = [](int x, int y) {
            return (y < 3 && (x < 3 - y || x > 8 + y)) ? RGB(255, 255, 255) : RGB(220, 30, 30);
        };
        folder_.Write("thumb_h.bmp", BmpBytes(12, 18, thumb));
        folder_.Write("thumb_v.bmp", BmpBytes(12, 18, thumb));
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

}  // namespace
}  // namespace kestra
