// Sideways scrolling on a real desktop: stand-in windows with the class names
// of the applications receive exactly the messages, or the clicks, that one
// tilt of the wheel makes. Which window gets what, for every kind, and where
// nothing is sent, is checked natively over a fake window tree (TiltScroll.*).
#include "monitor/tilt_scroll_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/windows/e2e_harness_win.h"

namespace kestra {
namespace {

struct HScroll {
    HWND to;
    WPARAM code;
    HWND bar;
};
std::vector<HScroll> g_hscrolls;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HSCROLL) {
        g_hscrolls.push_back({window, wParam, reinterpret_cast<HWND>(lParam)});
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Register(const char* className) {
    WNDCLASSA cls = {};
    cls.lpfnWndProc = CountingProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    cls.lpszClassName = className;
    RegisterClassA(&cls);
}

void Pump(DWORD ms) {
    e2e::WaitUntil([] { return false; }, ms);
}

// A frame at (100,100) of 600 x 400 with a pane of `paneClass` above a
// horizontal scroll bar, as document and spreadsheet programs lay them out.
class Frame {
public:
    explicit Frame(const char* paneClass) {
        Register("KestraTiltFrame");
        Register(paneClass);
        frame = CreateWindowExA(WS_EX_TOOLWINDOW, "KestraTiltFrame", "tilt", WS_POPUP, 100, 100,
                                600, 400, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        pane = CreateWindowExA(0, paneClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 600, 380, frame,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
        bar = CreateWindowExA(0, "ScrollBar", "", WS_CHILD | WS_VISIBLE | SBS_HORZ, 0, 380, 600, 20,
                              frame, nullptr, GetModuleHandleA(nullptr), nullptr);
        // Never activated: under Wine an activated window waits for a window
        // manager when it goes. Topmost, so that no window another test left
        // on the desktop covers the point the tilt is made at.
        SetWindowPos(frame, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        Pump(100);
        g_hscrolls.clear();
    }
    ~Frame() { DestroyWindow(frame); }
    HWND frame = nullptr;
    HWND pane = nullptr;
    HWND bar = nullptr;
};

TEST(TiltScrollWin, DocumentPanesScrollTheirBarTiltSpeedTimes) {
    Frame word("_WwG");
    ASSERT_NE(nullptr, word.bar);
    SetCursorPos(300, 250);
    ASSERT_EQ(word.pane, WindowFromPoint(POINT{300, 250}));
    DesktopTiltScroller().Scroll(TiltDirection::kRight, 3);
    Pump(100);
    ASSERT_EQ(3u, g_hscrolls.size());
    for (const HScroll& h : g_hscrolls) {
        EXPECT_EQ(word.frame, h.to);
        EXPECT_EQ(static_cast<WPARAM>(SB_LINERIGHT), h.code);
        EXPECT_EQ(word.bar, h.bar);
    }
}

// The mouse buttons that reach a low-level hook, with where they happened.
struct Click {
    DWORD message;
    POINT at;
};

// The hook lives on its own thread, which pumps while the test injects; the
// test reads what it saw under a lock.
class MouseObserver {
public:
    MouseObserver() {
        InitializeCriticalSection(&lock_);
        current_ = this;
        ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, &MouseObserver::Thread, this, 0, &threadId_);
        WaitForSingleObject(ready_, 5000);
    }
    ~MouseObserver() {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
        CloseHandle(ready_);
        current_ = nullptr;
        DeleteCriticalSection(&lock_);
    }
    bool ok() const { return hooked_; }
    // A pointer move that has reached the hook: its thread is pumping, so
    // the clicks that follow are not passed by an idle hook on a busy machine.
    bool WarmUp() {
        const LONG before = moves_;
        INPUT move = {};
        move.type = INPUT_MOUSE;
        move.mi.dx = 1;  // the work that follows puts the pointer where it needs it
        move.mi.dwFlags = MOUSEEVENTF_MOVE;
        SendInput(1, &move, sizeof move);
        return e2e::WaitUntil([&] { return moves_ != before; }, 5000);
    }
    void Clear() {
        EnterCriticalSection(&lock_);
        clicks_.clear();
        LeaveCriticalSection(&lock_);
    }
    std::vector<Click> clicks() {
        EnterCriticalSection(&lock_);
        std::vector<Click> copy = clicks_;
        LeaveCriticalSection(&lock_);
        return copy;
    }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        MouseObserver* self = current_;
        if (code >= 0 && self && wParam == WM_MOUSEMOVE) InterlockedIncrement(&self->moves_);
        if (code >= 0 && self && wParam != WM_MOUSEMOVE) {
            EnterCriticalSection(&self->lock_);
            self->clicks_.push_back(
                {static_cast<DWORD>(wParam), reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam)->pt});
            LeaveCriticalSection(&self->lock_);
            return 1;  // swallowed: nothing on the test desktop reacts to them
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static DWORD WINAPI Thread(LPVOID p) {
        MouseObserver* self = static_cast<MouseObserver*>(p);
        HHOOK hook =
            SetWindowsHookExA(WH_MOUSE_LL, &MouseObserver::Hook, GetModuleHandleA(nullptr), 0);
        self->hooked_ = hook != nullptr;
        SetEvent(self->ready_);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        if (hook) UnhookWindowsHookEx(hook);
        return 0;
    }
    static MouseObserver* current_;
    CRITICAL_SECTION lock_;
    std::vector<Click> clicks_;
    volatile LONG moves_ = 0;
    HANDLE ready_ = nullptr;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    bool hooked_ = false;
};
MouseObserver* MouseObserver::current_ = nullptr;

// The class of the window at a point, for a failure message.
std::string ClassAt(POINT point) {
    char name[64] = "(none)";
    if (HWND window = WindowFromPoint(point)) GetClassNameA(window, name, sizeof name);
    return name;
}

// The clicks injected while `work` runs: waits until `expected` have reached
// the hook (a loaded machine may take its time), then a little longer for any
// that should not have come. One observer serves a whole test: a hook
// installed afresh for each step sometimes let its first events pass unseen.
template <class Work>
std::vector<Click> ClicksDuring(MouseObserver& observer, size_t expected, Work work) {
    observer.Clear();
    work();
    e2e::WaitUntil([&] { return observer.clicks().size() >= expected; }, 5000);
    Pump(100);
    return observer.clicks();
}

TEST(TiltScrollWin, SpreadsheetsAreClickedOnTheArrowAndTheCursorGoesBack) {
    Frame sheet("EXCEL7");
    RECT bar;
    GetWindowRect(sheet.bar, &bar);
    ASSERT_EQ(sheet.pane, WindowFromPoint(POINT{320, 240})) << ClassAt(POINT{320, 240});
    MouseObserver observer;
    ASSERT_TRUE(observer.ok());
    ASSERT_TRUE(observer.WarmUp());
    const std::vector<Click> right = ClicksDuring(observer, 4, [] {
        SetCursorPos(320, 240);
        DesktopTiltScroller().Scroll(TiltDirection::kRight, 2);
    });
    POINT cursor;
    GetCursorPos(&cursor);
    EXPECT_EQ(320, cursor.x);
    EXPECT_EQ(240, cursor.y);
    ASSERT_EQ(4u, right.size());
    for (size_t i = 0; i < right.size(); ++i) {
        EXPECT_EQ(static_cast<DWORD>(i % 2 ? WM_LBUTTONUP : WM_LBUTTONDOWN), right[i].message);
        EXPECT_NEAR(bar.right - 5, right[i].at.x, 1);
        EXPECT_NEAR(bar.top + 5, right[i].at.y, 1);
    }
    EXPECT_TRUE(g_hscrolls.empty());

    // With swapped buttons the primary one is the right button.
    SwapMouseButton(TRUE);
    const bool swapped = GetSystemMetrics(SM_SWAPBUTTON) != 0;
    ASSERT_EQ(sheet.pane, WindowFromPoint(POINT{320, 240})) << ClassAt(POINT{320, 240});
    const std::vector<Click> left = ClicksDuring(observer, 2, [] {
        SetCursorPos(320, 240);
        DesktopTiltScroller().Scroll(TiltDirection::kLeft, 1);
    });
    SwapMouseButton(FALSE);
    ASSERT_TRUE(swapped);
    ASSERT_EQ(2u, left.size());
    EXPECT_EQ(static_cast<DWORD>(WM_RBUTTONDOWN), left[0].message);
    EXPECT_EQ(static_cast<DWORD>(WM_RBUTTONUP), left[1].message);
    EXPECT_NEAR(bar.left + 5, left[0].at.x, 1);
}

}  // namespace
}  // namespace kestra
