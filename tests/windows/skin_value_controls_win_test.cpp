// The value and text controls in a test dialog built from a test skin, driven
// by real input: the pointer moved and buttons, wheel and keys pressed with
// SendInput at screen coordinates; the dialog records what reaches it.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "settings/ipc_names.h"
#include "skin/bitmap_edit_win.h"
#include "skin/skin_window_win.h"
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
    std::vector<e2e::RecordedMessage> received;

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
                      "1=edit,20,20,120,20,\r\n");
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

}  // namespace
}  // namespace kestra
