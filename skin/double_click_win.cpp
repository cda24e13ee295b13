#include "skin/double_click_win.h"

#include <commctrl.h>
#include <mmsystem.h>

namespace kestra {
namespace {

constexpr char kDefaultMessage[] = "Double-click the picture to try your double-click speed.";

}  // namespace

bool DoubleClickTest::Create(HWND parent, const RECT& rect, const std::string& programFolder) {
    // Owner-drawn, so the button paints nothing of its own over the picture.
    if (!CreateFrameworkWindow(0, ButtonClass(), WS_CHILD | BS_OWNERDRAW, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, parent)) {
        return false;
    }
    // A missing or unreadable picture leaves the area blank.
    picture_ = Bitmap(static_cast<HBITMAP>(
        LoadImageA(nullptr, (programFolder + kDoubleClickPicture).c_str(), IMAGE_BITMAP, 0, 0,
                   LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    return true;
}

void DoubleClickTest::SetMedia(const std::string& clipPath, const std::string& soundPath) {
    clipPath_ = clipPath;
    soundPath_ = soundPath;
}

void DoubleClickTest::Play() {
    if (hwnd() == nullptr) return;
    if (animation_ == nullptr) {
        static const bool registered = [] {
            INITCOMMONCONTROLSEX init = {sizeof init, ICC_ANIMATE_CLASS};
            return InitCommonControlsEx(&init) != FALSE;
        }();
        (void)registered;
        RECT client;
        GetClientRect(hwnd(), &client);
        animation_ =
            CreateWindowExA(0, ANIMATE_CLASSA, "", WS_CHILD | WS_VISIBLE, 0, 0, client.right,
                            client.bottom, hwnd(), nullptr, GetModuleHandleA(nullptr), nullptr);
        if (animation_ != nullptr && !clipPath_.empty()) {
            clipOpen_ = SendMessageA(animation_, ACM_OPENA, 0,
                                     reinterpret_cast<LPARAM>(clipPath_.c_str())) != 0;
        }
    }
    ++plays_;
    if (animation_ != nullptr && clipOpen_ &&
        SendMessageA(animation_, ACM_PLAY, 1, MAKELPARAM(0, 0xFFFF)) != 0) {
        ++clipsStarted_;
    }
    // No default system sound stands in for a missing file.
    if (!soundPath_.empty()) {
        PlaySoundA(soundPath_.c_str(), nullptr,
                   SND_FILENAME | SND_NOWAIT | SND_ASYNC | SND_NODEFAULT);
    }
}

void DoubleClickTest::CloseClip() {
    if (animation_ != nullptr && IsWindow(animation_)) {
        SendMessageA(animation_, ACM_OPENA, 0, 0);
    }
    clipOpen_ = false;
}

LRESULT DoubleClickTest::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    static const MessageEntry<DoubleClickTest> kTable[] = {
        {UM_REFLECT_DRAWITEM, &DoubleClickTest::OnDrawItem},
        {WM_LBUTTONDBLCLK, &DoubleClickTest::OnDoubleClick},
        {WM_SHOWWINDOW, &DoubleClickTest::OnShowWindow},
        {WM_ERASEBKGND, &DoubleClickTest::OnEraseBackground},
    };
    LRESULT result = 0;
    if (RouteMessage(this, kTable, message, wParam, lParam, &result)) return result;
    if (message == WM_DESTROY) {
        CloseClip();
        animation_ = nullptr;
    }
    return Window::OnMessage(message, wParam, lParam);
}

LRESULT DoubleClickTest::OnDrawItem(WPARAM, LPARAM lParam) {
    const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (draw == nullptr || draw->hDC == nullptr) return FALSE;
    if (!picture_) return TRUE;
    MemoryDC memory(CreateCompatibleDC(draw->hDC));
    if (!memory) return TRUE;
    ScopedSelectObject select(memory.get(), picture_.get());
    BitBlt(draw->hDC, 0, 0, draw->rcItem.right - draw->rcItem.left,
           draw->rcItem.bottom - draw->rcItem.top, memory.get(), 0, 0, SRCCOPY);
    return TRUE;
}

LRESULT DoubleClickTest::OnDoubleClick(WPARAM wParam, LPARAM lParam) {
    Play();
    return DefaultProc(WM_LBUTTONDBLCLK, wParam, lParam);
}

LRESULT DoubleClickTest::OnShowWindow(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefaultProc(WM_SHOWWINDOW, wParam, lParam);
    Play();
    return result;
}

LRESULT DoubleClickTest::OnEraseBackground(WPARAM, LPARAM) {
    return TRUE;
}

DoubleClickDialog::DoubleClickDialog(HWND owner, std::string programFolder)
    : SkinWindow("skin_cartoon.ini"),
      owner_(owner),
      programFolder_(std::move(programFolder)),
      message_(kDefaultMessage) {}

bool DoubleClickDialog::Open() {
    if (hwnd() != nullptr) return true;
    if (!CreatePopup(owner_)) return false;
    ShowWindow(hwnd(), SW_SHOW);
    // The area plays its clip once as it appears.
    if (area_.hwnd() != nullptr) ShowWindow(area_.hwnd(), SW_SHOW);
    return true;
}

void DoubleClickDialog::PlaceControls(const SkinFile& file, const SkinStateImages& images) {
    for (int i = 0; i < kButtonCount; ++i) PlaceButton(buttons_[i], file.ReadEntry(i + 1), images);
    const SkinControlEntry entry = file.ReadEntry(4);
    const RECT rect = {entry.rect.left, entry.rect.top, entry.rect.right, entry.rect.bottom};
    if (area_.Create(hwnd(), rect, programFolder_)) {
        area_.SetMedia(programFolder_ + kDoubleClickClip, programFolder_ + kDoubleClickSound);
    }
    font_ = CreateSkinFont(SkinFontKind::kMessage);
}

LRESULT DoubleClickDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    const HWND from = reinterpret_cast<HWND>(lParam);
    if (from != nullptr) {
        if (from == buttons_[0].hwnd() || from == buttons_[2].hwnd()) {
            DestroyWindow(hwnd());
            return 0;
        }
        if (from == buttons_[1].hwnd()) {
            area_.Play();
            return 0;
        }
        if (from == area_.hwnd()) return 0;  // a single click does nothing
    }
    return SkinWindow::OnCommand(wParam, lParam);
}

void DoubleClickDialog::Paint(HDC dc, const RECT& client) {
    PaintMessage(dc, client, message_, font_.get());
}

LRESULT DoubleClickDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            DestroyWindow(hwnd());
            return 0;
        case WM_DESTROY:
            area_.CloseClip();
            break;
        default:
            break;
    }
    return SkinWindow::OnMessage(message, wParam, lParam);
}

}  // namespace kestra
