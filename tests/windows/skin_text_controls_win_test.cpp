// The skinned list, pictures and the double-click test, driven the way a
// person drives them: the pointer, the buttons, the wheel and the keyboard
// through SendInput at screen coordinates. The dialog comes from the test
// skin that the skin generator writes beside the program folder.
#include <gtest/gtest.h>
#include <windows.h>
// (after windows.h, whose types it uses)
#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "settings/ipc_names.h"
#include "skin/double_click_win.h"
#include "skin/skin_list.h"
#include "skin/skin_list_win.h"
#include "skin/skin_picture_win.h"
#include "skin/skin_window_win.h"
#include "tests/windows/e2e_harness_win.h"

namespace kestra {
namespace {

using e2e::WaitUntil;

constexpr int kListId = 4096;

std::string TestSkinFolder() {
    std::string folder = e2e::StagedProgramFolder();  // ...\program\ of the build tree
    return folder.substr(0, folder.size() - std::string("program\\").size()) + "test_skins\\";
}

// ---- real input ---------------------------------------------------------------

void SendMouse(DWORD flags, LONG x = 0, LONG y = 0, DWORD data = 0) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = x;
    input.mi.dy = y;
    input.mi.mouseData = data;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

void MoveTo(POINT p) {
    const int w = GetSystemMetrics(SM_CXSCREEN);
    const int h = GetSystemMetrics(SM_CYSCREEN);
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, (p.x * 65535 + (w - 1) / 2) / (w - 1),
              (p.y * 65535 + (h - 1) / 2) / (h - 1));
    WaitUntil(
        [&] {
            POINT at;
            GetCursorPos(&at);
            return abs(at.x - p.x) <= 1 && abs(at.y - p.y) <= 1;
        },
        500);
}

void Click(POINT p, bool right = false) {
    MoveTo(p);
    SendMouse(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
    SendMouse(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
    e2e::SettleInput(60);
}

void Wheel(int delta) {
    SendMouse(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(delta));
    e2e::SettleInput(60);
}

void Key(WORD vk, bool down = true, bool up = true) {
    INPUT input[2] = {};
    int n = 0;
    if (down) {
        input[n].type = INPUT_KEYBOARD;
        input[n++].ki.wVk = vk;
    }
    if (up) {
        input[n].type = INPUT_KEYBOARD;
        input[n].ki.wVk = vk;
        input[n++].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(n, input, sizeof input[0]);
    e2e::SettleInput(30);
}

// Lower-case letters, digits and blanks.
void Type(const char* text) {
    for (const char* c = text; *c; ++c) {
        Key(*c == ' ' ? VK_SPACE : (*c >= 'a' && *c <= 'z' ? *c - 'a' + 'A' : *c));
    }
}

POINT ScreenPointOf(HWND window, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(window, &p);
    return p;
}

COLORREF ScreenPixel(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return c;
}

// ---- the test dialog ------------------------------------------------------------

// The list (entry "1"), the three-state picture ("2") and the single picture
// ("3") of the test skin; records what the controls tell it.
class TextControlsDialog : public SkinWindow {
public:
    TextControlsDialog() : SkinWindow("skin_text_controls.ini") {}
    ~TextControlsDialog() override { DestroyOwnWindow(); }
    SkinListBox list;
    SkinPicture picture;
    SkinPicture single{SkinPicture::Kind::kSingleImage};
    std::vector<e2e::RecordedMessage> received;
    int selectionChanges = 0;

    int Count(UINT message) const {
        int n = 0;
        for (const auto& m : received) n += m.message == message ? 1 : 0;
        return n;
    }
    const e2e::RecordedMessage* Last(UINT message) const {
        for (auto it = received.rbegin(); it != received.rend(); ++it) {
            if (it->message == message) return &*it;
        }
        return nullptr;
    }

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override {
        const SkinControlEntry e1 = file.ReadEntry(1);
        list.Create(hwnd(), RECT{e1.rect.left, e1.rect.top, e1.rect.right, e1.rect.bottom},
                    kListId);
        list.UseSkinColours();
        list.SetKeepOnFocusLoss(true);  // it sits in the dialog itself
        const SkinControlEntry e2 = file.ReadEntry(2);
        const RECT r2 = {e2.rect.left, e2.rect.top, e2.rect.right, e2.rect.bottom};
        picture.Create(hwnd(), r2);
        picture.SetStateImages(r2, images.normal.get(), images.over.get(), images.down.get());
        const SkinControlEntry e3 = file.ReadEntry(3);
        single.Create(hwnd(), RECT{e3.rect.left, e3.rect.top, e3.rect.right, e3.rect.bottom});
        single.LoadImageFile(0, SkinFolder() + "text_controls_badge.bmp");
    }
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (reinterpret_cast<HWND>(lParam) == list.hwnd() && HIWORD(wParam) == LBN_SELCHANGE) {
            ++selectionChanges;
        }
        return SkinWindow::OnCommand(wParam, lParam);
    }
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == UM_LIST_EDIT_DONE || message == UM_LIST_RBUTTON) {
            received.push_back({message, wParam, lParam, 0});
            return 0;
        }
        return SkinWindow::OnMessage(message, wParam, lParam);
    }
};

// One dialog for the suite: under Xvfb, Wine takes two seconds to take a
// shown top-level window off the screen.
class TextControlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SetSkinFolder(TestSkinFolder());
        shared_ = new TextControlsDialog;
        if (shared_->CreatePopup(nullptr)) {
            SetWindowPos(shared_->hwnd(), HWND_TOP, 100, 100, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        }
    }
    static void TearDownTestSuite() {
        delete shared_;
        shared_ = nullptr;
        SetSkinFolder("");
    }
    void SetUp() override {
        ASSERT_NE(nullptr, dialog.hwnd());
        ASSERT_EQ(420, dialog.skinSize().cx) << "no test skin in " << TestSkinFolder();
        SetForegroundWindow(dialog.hwnd());
        SetFocus(dialog.hwnd());
        dialog.list.AbandonEdit();
        dialog.list.SetKeyFilter(false);
        SendMessageA(dialog.list.hwnd(), LB_RESETCONTENT, 0, 0);
        const uint32_t pictures[] = {138, 137, 146, 135, 0, 1};
        for (int i = 0; i < 20; ++i) {
            ASSERT_EQ(i, dialog.list.AddItem("Macro " + std::to_string(i + 1),
                                             (i + 1) * 65536 + pictures[i % 6]));
        }
        WaitUntil([] { return false; }, 100);
        dialog.received.clear();
        dialog.selectionChanges = 0;
    }
    // The middle of a visible item, on the screen.
    POINT ItemPoint(int index) {
        RECT r;
        SendMessageA(dialog.list.hwnd(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
        return ScreenPointOf(dialog.list.hwnd(), 40, (r.top + r.bottom) / 2);
    }
    int Selected() const {
        return static_cast<int>(SendMessageA(dialog.list.hwnd(), LB_GETCURSEL, 0, 0));
    }
    int TopIndex() const {
        return static_cast<int>(SendMessageA(dialog.list.hwnd(), LB_GETTOPINDEX, 0, 0));
    }
    bool Editing() const { return dialog.list.editWindow() != nullptr; }

    static TextControlsDialog* shared_;
    TextControlsDialog& dialog = *shared_;
};
TextControlsDialog* TextControlsTest::shared_ = nullptr;

TEST_F(TextControlsTest, TheListFollowsTheMouseTheWheelAndTheKeys) {
    SkinListBox& list = dialog.list;
    ASSERT_NE(nullptr, list.hwnd());
    EXPECT_EQ(SkinListBox::kItemHeight, SendMessageA(list.hwnd(), LB_GETITEMHEIGHT, 0, 0));

    // Item pictures come from the program's bitmap resources by the low word
    // of the item data, black around them transparent: item 0 shows the red
    // arrow of a pressed key, item 5 keeps the space empty.
    MoveTo(ScreenPointOf(dialog.hwnd(), 300, 200));
    WaitUntil([] { return false; }, 100);
    const COLORREF panel = RGB(40, 40, 44);
    EXPECT_EQ(RGB(230, 30, 30), ScreenPixel(list.hwnd(), 5 + 7, 0 * 18 + 2 + 8));
    EXPECT_EQ(panel, ScreenPixel(list.hwnd(), 5, 0 * 18 + 2));  // a black corner
    EXPECT_EQ(panel, ScreenPixel(list.hwnd(), 5 + 7, 5 * 18 + 2 + 8));

    // Hover moves with the pointer and goes when it leaves the list.
    MoveTo(ItemPoint(2));
    EXPECT_TRUE(WaitUntil([&] { return list.hotItem() == 2; }, 1000));
    MoveTo(ItemPoint(4));
    EXPECT_TRUE(WaitUntil([&] { return list.hotItem() == 4; }, 1000));
    MoveTo(ScreenPointOf(dialog.hwnd(), 300, 200));
    EXPECT_TRUE(WaitUntil([&] { return list.hotItem() == -1; }, 1000));

    // A click selects and the owner hears of it; a right click sends 0x6BC
    // with the list's id.
    Click(ItemPoint(3));
    EXPECT_TRUE(WaitUntil([&] { return Selected() == 3; }, 1000));
    EXPECT_EQ(1, dialog.selectionChanges);
    EXPECT_EQ(list.hwnd(), GetFocus());
    Click(ItemPoint(5), true);
    ASSERT_TRUE(WaitUntil([&] { return dialog.Count(UM_LIST_RBUTTON) == 1; }, 1000));
    EXPECT_EQ(0u, dialog.Last(UM_LIST_RBUTTON)->wParam);
    EXPECT_EQ(kListId, dialog.Last(UM_LIST_RBUTTON)->lParam);

    // The wheel scrolls a line a notch: down for a negative delta.
    MoveTo(ItemPoint(1));
    Wheel(-WHEEL_DELTA);
    EXPECT_TRUE(WaitUntil([&] { return TopIndex() == 1; }, 1000));
    EXPECT_EQ(2, list.hotItem());  // the item now under the pointer
    Wheel(-WHEEL_DELTA);
    EXPECT_TRUE(WaitUntil([&] { return TopIndex() == 2; }, 1000));
    Wheel(WHEEL_DELTA);
    EXPECT_TRUE(WaitUntil([&] { return TopIndex() == 1; }, 1000));

    // Keys: all of them without the filter; only up and down with it. Each
    // move reaches the owner as a selection change.
    Key(VK_DOWN);
    EXPECT_TRUE(WaitUntil([&] { return Selected() == 4; }, 1000));
    Key(VK_END);
    EXPECT_TRUE(WaitUntil([&] { return Selected() == 19; }, 1000));
    EXPECT_EQ(3, dialog.selectionChanges);
    list.SetKeyFilter(true);
    Key(VK_HOME);
    Key(VK_PRIOR);
    Type("m");  // type-ahead would jump to "Macro 1"
    Key(VK_UP);
    EXPECT_TRUE(WaitUntil([&] { return Selected() == 18; }, 1000));
    WaitUntil([] { return false; }, 100);
    EXPECT_EQ(18, Selected());
    EXPECT_EQ(4, dialog.selectionChanges);
    list.SetKeyFilter(false);
    Key(VK_HOME);
    EXPECT_TRUE(WaitUntil([&] { return Selected() == 0; }, 1000));
    EXPECT_EQ(5, dialog.selectionChanges);
    EXPECT_EQ(0, dialog.Count(UM_LIST_EDIT_DONE));
}

TEST_F(TextControlsTest, InPlaceEditCommitsAbandonsAndRemoves) {
    SkinListBox& list = dialog.list;
    Click(ItemPoint(1));
    ASSERT_TRUE(WaitUntil([&] { return Selected() == 1; }, 1000));

    // Enter commits: 15 characters at most, the item keeps its data, the
    // owner gets 0x5F4 with the item's index and the list's id.
    ASSERT_TRUE(list.RenameSelected());
    ASSERT_TRUE(Editing());
    EXPECT_EQ(list.editWindow(), GetFocus());
    EXPECT_EQ(&list, SkinListBox::OpenEditor());
    Type("rapid fire twenty chars");
    Key(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return dialog.Count(UM_LIST_EDIT_DONE) == 1; }, 1000));
    EXPECT_FALSE(Editing());
    EXPECT_EQ(nullptr, SkinListBox::OpenEditor());
    EXPECT_EQ("rapid fire twen", list.ItemText(1));
    EXPECT_EQ(2u * 65536 + 137, list.ItemData(1));
    EXPECT_EQ(20, list.count());
    EXPECT_EQ(1u, dialog.Last(UM_LIST_EDIT_DONE)->wParam);
    EXPECT_EQ(kListId, dialog.Last(UM_LIST_EDIT_DONE)->lParam);
    EXPECT_EQ(1, Selected());

    // Escape: a rename keeps the old text, a new item goes; no notification.
    ASSERT_TRUE(list.RenameSelected());
    Type("other");
    Key(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !Editing(); }, 1000));
    EXPECT_EQ("rapid fire twen", list.ItemText(1));
    ASSERT_TRUE(list.AddAndEdit());
    EXPECT_EQ(21, list.count());
    EXPECT_EQ(20, list.editIndex());
    Type("abandoned");
    Key(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !Editing(); }, 1000));
    EXPECT_EQ(20, list.count());

    // An emptied name removes the item and tells nobody.
    ASSERT_TRUE(list.RenameSelected());
    Key(VK_DELETE);
    Key(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !Editing(); }, 1000));
    EXPECT_EQ(19, list.count());
    EXPECT_EQ("Macro 3", list.ItemText(1));

    // Moving the focus away commits: a click into the list.
    ASSERT_TRUE(list.AddAndEdit());
    Type("  by focus ");
    Click(ItemPoint(TopIndex()));
    ASSERT_TRUE(WaitUntil([&] { return !Editing(); }, 1000));
    EXPECT_EQ("by focus", list.ItemText(19));
    WaitUntil([] { return false; }, 50);
    ASSERT_EQ(2, dialog.Count(UM_LIST_EDIT_DONE));
    EXPECT_EQ(19u, dialog.Last(UM_LIST_EDIT_DONE)->wParam);
}

TEST_F(TextControlsTest, OneInPlaceEditAtATimeAndNoOverflowFromPastes) {
    SkinListBox& list = dialog.list;
    SkinListBox other;
    ASSERT_TRUE(other.Create(dialog.hwnd(), RECT{232, 130, 380, 220}, 77));
    other.SetKeepOnFocusLoss(true);
    other.AddItem("Other", 0);
    SendMessageA(other.hwnd(), LB_SETCURSEL, 0, 0);
    SendMessageA(list.hwnd(), LB_SETCURSEL, 2, 0);

    ASSERT_TRUE(list.RenameSelected());
    EXPECT_FALSE(other.RenameSelected());
    EXPECT_FALSE(other.AddAndEdit());
    EXPECT_FALSE(list.AddAndEdit());
    EXPECT_EQ(1, other.count());

    // A paste of 100,000 characters stops at the edit's limit.
    const std::string huge(100000, 'x');
    ASSERT_TRUE(OpenClipboard(dialog.hwnd()));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, huge.size() + 1);
    ASSERT_NE(nullptr, memory);
    memcpy(GlobalLock(memory), huge.c_str(), huge.size() + 1);
    GlobalUnlock(memory);
    ASSERT_NE(nullptr, SetClipboardData(CF_TEXT, memory));
    CloseClipboard();
    Key(VK_CONTROL, true, false);
    Key('V');
    Key(VK_CONTROL, false, true);
    EXPECT_TRUE(WaitUntil([&] { return GetWindowTextLengthA(list.editWindow()) == 15; }, 1000));
    // Text set from outside is not limited by the edit; the commit still is.
    SendMessageA(list.editWindow(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(huge.c_str()));
    list.CommitEdit();
    EXPECT_EQ(std::string(15, 'x'), list.ItemText(2));

    // Now the other list may edit.
    EXPECT_TRUE(other.RenameSelected());
    other.AbandonEdit();
    EXPECT_EQ("Other", other.ItemText(0));
    // A list that goes while editing leaves no editor behind.
    ASSERT_TRUE(other.RenameSelected());
    DestroyWindow(other.hwnd());
    EXPECT_EQ(nullptr, SkinListBox::OpenEditor());
    EXPECT_TRUE(list.RenameSelected());
    list.AbandonEdit();
}

TEST_F(TextControlsTest, ADropDownClosesItsPopupOnFocusLossButNotForItsOwnEdit) {
    HWND holder = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE, 120, 420,
                                  160, 80, dialog.hwnd(), nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, holder);
    SkinListBox drop;
    ASSERT_TRUE(drop.Create(holder, RECT{0, 0, 160, 80}, 5));
    drop.AddItem("First", 0);
    SendMessageA(drop.hwnd(), LB_SETCURSEL, 0, 0);
    for (bool keep : {true, false}) {
        drop.SetKeepOnFocusLoss(keep);
        // Apart, so that the second click is not taken for a double-click.
        Click(ScreenPointOf(drop.hwnd(), keep ? 20 : 80, 9));
        ASSERT_TRUE(WaitUntil([&] { return GetFocus() == drop.hwnd(); }, 1000));
        // Its own in-place edit takes the focus without closing anything.
        ASSERT_TRUE(drop.RenameSelected());
        WaitUntil([] { return false; }, 50);
        EXPECT_TRUE(IsWindowVisible(holder));
        Key(VK_ESCAPE);
        ASSERT_TRUE(WaitUntil([&] { return GetFocus() == drop.hwnd(); }, 1000));
        SetFocus(dialog.hwnd());
        WaitUntil([] { return false; }, 100);
        EXPECT_EQ(keep, IsWindow(holder) != FALSE) << keep;
    }
    if (IsWindow(holder)) DestroyWindow(holder);
}

COLORREF BitmapPixel(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
}

TEST_F(TextControlsTest, PicturesShowTheImageOfTheirState) {
    SkinPicture& picture = dialog.picture;
    // The centre of the glyph's left button differs between the three looks.
    const int x = 17, y = 15;
    std::vector<COLORREF> seen;
    for (int state : {0, 1, 2}) {
        picture.SetState(state);
        UpdateWindow(picture.hwnd());
        EXPECT_EQ(state, picture.state());
        ASSERT_NE(nullptr, picture.image(state));
        EXPECT_EQ(BitmapPixel(picture.image(state), x, y), ScreenPixel(picture.hwnd(), x, y));
        seen.push_back(ScreenPixel(picture.hwnd(), 1, 24));  // the tile's edge
    }
    EXPECT_NE(seen[0], seen[1]);
    EXPECT_NE(seen[1], seen[2]);
    picture.SetState(3);
    picture.SetState(-1);
    EXPECT_EQ(2, picture.state());

    SkinPicture& single = dialog.single;
    ASSERT_NE(nullptr, single.image(0));
    UpdateWindow(single.hwnd());
    EXPECT_EQ(RGB(230, 30, 30), ScreenPixel(single.hwnd(), 24, 8));  // the badge
    single.SetState(1);
    EXPECT_EQ(0, single.state());
    EXPECT_EQ(nullptr, single.image(1));
    // An unreadable file leaves the picture blank, nothing more.
    EXPECT_FALSE(single.LoadImageFile(0, SkinFolder() + "skin_text_controls.ini"));
    EXPECT_EQ(nullptr, single.image(0));
    UpdateWindow(single.hwnd());
    EXPECT_TRUE(single.LoadImageFile(0, SkinFolder() + "text_controls_badge.bmp"));
    picture.SetState(0);
}

Bitmap PlainBitmap(int width, int height, COLORREF colour) {
    HDC screen = GetDC(nullptr);
    Bitmap bitmap(CreateCompatibleBitmap(screen, width, height));
    ReleaseDC(nullptr, screen);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap.get());
    Brush brush(CreateSolidBrush(colour));
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, brush.get());
    SelectObject(dc, old);
    DeleteDC(dc);
    return bitmap;
}

TEST_F(TextControlsTest, APictureSwitchedToASmallerImageShowsNothingOfTheLargerOne) {
    SkinPicture picture;
    ASSERT_TRUE(picture.Create(dialog.hwnd(), RECT{240, 120, 304, 184}));
    picture.SetImage(0, PlainBitmap(64, 64, RGB(0, 200, 0)));
    UpdateWindow(picture.hwnd());
    ASSERT_EQ(RGB(0, 200, 0), ScreenPixel(picture.hwnd(), 40, 40));
    picture.SetImage(0, PlainBitmap(16, 16, RGB(0, 0, 200)));
    UpdateWindow(picture.hwnd());
    EXPECT_EQ(RGB(0, 0, 200), ScreenPixel(picture.hwnd(), 8, 8));
    // Where only the larger image was: the skins' dark panel.
    EXPECT_EQ(RGB(40, 40, 44), ScreenPixel(picture.hwnd(), 40, 40));
    EXPECT_EQ(RGB(40, 40, 44), ScreenPixel(picture.hwnd(), 8, 60));
}

// ---- the double-click test ------------------------------------------------------

void DoubleClickAt(POINT p) {
    MoveTo(p);
    for (int i = 0; i < 2; ++i) {
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        SendMouse(MOUSEEVENTF_LEFTUP);
    }
    WaitUntil([] { return false; }, 60);
}

TEST(DoubleClickTest, TheDialogPlaysItsClipOnARealDoubleClickOnly) {
    const std::string program = e2e::StagedProgramFolder();
    SetSkinFolder(program + "skins\\");
    DoubleClickDialog dialog(nullptr, program);
    ASSERT_TRUE(dialog.Open());
    SetForegroundWindow(dialog.hwnd());
    DoubleClickTest& area = dialog.area();
    ASSERT_NE(nullptr, area.hwnd());
    RECT r;
    GetWindowRect(dialog.hwnd(), &r);
    EXPECT_EQ(240, r.right - r.left);
    GetWindowRect(area.hwnd(), &r);
    MapWindowPoints(nullptr, dialog.hwnd(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(60, r.left);
    EXPECT_EQ(100, r.top);

    // Shown: the picture was read, the animation control took our clip and
    // played it once.
    EXPECT_TRUE(area.hasPicture());
    ASSERT_NE(nullptr, area.animation());
    EXPECT_TRUE(area.clipOpen());
    EXPECT_EQ(1, area.plays());
    EXPECT_EQ(1, area.clipsStarted());

    const POINT middle = ScreenPointOf(area.hwnd(), 60, 45);
    Click(middle);
    WaitUntil([] { return false; }, GetDoubleClickTime() + 100);
    EXPECT_EQ(1, area.plays());  // a single click does nothing
    DoubleClickAt(middle);
    EXPECT_TRUE(WaitUntil([&] { return area.plays() == 2; }, 1000));
    EXPECT_EQ(2, area.clipsStarted());
    WaitUntil([] { return false; }, GetDoubleClickTime() + 100);

    // "2" plays again, "1" closes.
    GetWindowRect(dialog.button(1).hwnd(), &r);
    Click(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    EXPECT_TRUE(WaitUntil([&] { return area.plays() == 3; }, 1000));
    GetWindowRect(dialog.button(0).hwnd(), &r);
    Click(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    EXPECT_TRUE(WaitUntil([&] { return dialog.hwnd() == nullptr; }, 1000));
    SetSkinFolder("");
}

// Counts the requests to close the clip that reach an animation control.
int g_clipsClosed = 0;
WNDPROC g_animationProc = nullptr;
LRESULT CALLBACK CountingAnimationProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == ACM_OPENA && lParam == 0) ++g_clipsClosed;
    return CallWindowProcA(g_animationProc, hwnd, message, wParam, lParam);
}

TEST(DoubleClickTest, AnAreaThatDiesBeforeItsWindowStillClosesItsClip) {
    const std::string program = e2e::StagedProgramFolder();
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(nullptr, parent);
    {
        DoubleClickTest area;
        ASSERT_TRUE(area.Create(parent, RECT{0, 0, 120, 90}, program));
        area.SetMedia(program + kDoubleClickClip, "");
        area.Play();
        ASSERT_TRUE(area.clipOpen());
        g_clipsClosed = 0;
        g_animationProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            area.animation(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingAnimationProc)));
    }  // the object goes first: its destructor takes the window
    EXPECT_EQ(1, g_clipsClosed);
    DestroyWindow(parent);
}

TEST(DoubleClickTest, MissingMediaLeaveABlankAreaThatStillAnswers) {
    e2e::ProgramFolder folder;
    ASSERT_TRUE(folder.ok());
    for (const char* file : {kDoubleClickPicture, kDoubleClickClip, kDoubleClickSound}) {
        DeleteFileA(folder.File(file).c_str());
    }
    // A clip that is not a clip.
    HANDLE junk = CreateFileA(folder.File(kDoubleClickClip).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(junk, "RIFF\x10\0\0\0AVI LIST", 16, &written, nullptr);
    CloseHandle(junk);
    SetSkinFolder(folder.File("skins\\"));
    DoubleClickDialog dialog(nullptr, folder.path());
    ASSERT_TRUE(dialog.Open());
    EXPECT_FALSE(dialog.area().hasPicture());
    EXPECT_FALSE(dialog.area().clipOpen());
    DoubleClickAt(ScreenPointOf(dialog.area().hwnd(), 60, 45));
    EXPECT_TRUE(WaitUntil([&] { return dialog.area().plays() == 2; }, 1000));
    EXPECT_EQ(0, dialog.area().clipsStarted());
    PostMessageA(dialog.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return dialog.hwnd() == nullptr; }, 1000));
    SetSkinFolder("");
}

}  // namespace
}  // namespace kestra
