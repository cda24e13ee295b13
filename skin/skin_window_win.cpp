#include "skin/skin_window_win.h"

#include "skin/skin_button_win.h"
#include "skin/skin_image_win.h"
#include "skin/skin_menu_win.h"
#include "skin/start_clock_win.h"

namespace kestra {
namespace {

std::string& SkinFolderStorage() {
    static std::string folder;
    return folder;
}

}  // namespace

void SetSkinFolder(const std::string& folder) {
    SkinFolderStorage() = folder;
}

const std::string& SkinFolder() {
    std::string& folder = SkinFolderStorage();
    if (folder.empty()) {
        char path[MAX_PATH] = {};
        const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string program(path, n < MAX_PATH ? n : 0);
        const size_t slash = program.find_last_of("\\/");
        folder =
            (slash == std::string::npos ? std::string() : program.substr(0, slash + 1)) + "skins\\";
    }
    return folder;
}

Font CreateSkinFont(SkinFontKind kind) {
    switch (kind) {
        case SkinFontKind::kCaption:
            return Font(CreateFontA(15, 6, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                    FF_SWISS, "Arial"));
        case SkinFontKind::kMessage:
            return Font(CreateFontA(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                    FF_SWISS, "Arial"));
        case SkinFontKind::kEdit:
            return Font(CreateFontA(13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 0,
                                    "Eurostile"));
        case SkinFontKind::kBold:
            return Font(CreateFontA(15, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, "Tohoma"));
    }
    return Font();
}

int SkinWindow::RunModal(HWND owner) {
    modalEnded_ = false;
    modalResult_ = IDCANCEL;
    if (!CreatePopup(owner)) {
        modalEnded_ = true;
        return IDCANCEL;
    }
    const bool reenableOwner = owner != nullptr && IsWindowEnabled(owner);
    if (reenableOwner) EnableWindow(owner, FALSE);
    ShowWindow(hwnd(), SW_SHOW);
    UpdateWindow(hwnd());
    SetForegroundWindow(hwnd());
    OnModalShown();
    MSG msg;
    while (!modalEnded_ && IsWindow(hwnd())) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // the caller's loop must see it too
            break;
        }
        if (got == -1) break;
        if (PreTranslateModalMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // Enabled again before the window goes, so activation returns to the owner.
    if (reenableOwner) EnableWindow(owner, TRUE);
    const int result = modalEnded_ ? modalResult_ : IDCANCEL;
    modalEnded_ = true;
    if (hwnd() != nullptr) DestroyWindow(hwnd());
    return result;
}

void SkinWindow::EndModal(int result) {
    if (modalEnded_) return;
    modalResult_ = result;
    modalEnded_ = true;
    if (hwnd() != nullptr) PostMessageA(hwnd(), WM_NULL, 0, 0);  // wakes the loop
}

bool SkinWindow::CreatePopup(HWND owner) {
    if (!CreateFrameworkWindow(0, PlainClass(), WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 0, owner)) {
        return false;
    }
    RECT area;
    if (owner == nullptr || !GetWindowRect(owner, &area)) {
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    }
    const int x = area.left + (area.right - area.left - size_.cx) / 2;
    const int y = area.top + (area.bottom - area.top - size_.cy) / 2;
    SetWindowPos(hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

bool SkinWindow::CreateChild(HWND parent, bool visible) {
    const DWORD style = WS_CHILD | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0);
    return CreateFrameworkWindow(0, PlainClass(), style, 0, 0, 0, 0, parent) != nullptr;
}

LRESULT SkinWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    static const MessageEntry<SkinWindow> kTable[] = {
        {WM_CREATE, &SkinWindow::OnCreate},
        {WM_PAINT, &SkinWindow::OnPaint},
        {WM_ERASEBKGND, &SkinWindow::OnEraseBackground},
        {WM_LBUTTONDOWN, &SkinWindow::OnLeftButtonDown},
        {WM_COMMAND, &SkinWindow::OnCommandMessage},
        {WM_DRAWITEM, &SkinWindow::OnDrawItem},
        {WM_MEASUREITEM, &SkinWindow::OnMeasureItem},
        {WM_DESTROY, &SkinWindow::OnDestroy},
    };
    LRESULT result = 0;
    if (RouteMessage(this, kTable, message, wParam, lParam, &result)) return result;
    return Window::OnMessage(message, wParam, lParam);
}

LRESULT SkinWindow::OnCreate(WPARAM wParam, LPARAM lParam) {
    if (DefaultProc(WM_CREATE, wParam, lParam) == -1) return -1;
    LoadSkin();
    StartPhaseScope phase(StartPhase::kOutlines);
    Region region = MaskToRegion(mask_.get(), RGB(255, 255, 255), 0);
    if (region) {
        // The system owns the region from here on.
        if (SetWindowRgn(hwnd(), region.get(), TRUE)) {
            region.release();
            hasRegion_ = true;
        }
    }
    return 0;
}

void SkinWindow::LoadSkin() {
    const std::string folder = SkinFolder();
    const SkinFile file = [&] {
        StartPhaseScope phase(StartPhase::kSkinFiles);
        return SkinFile(folder + skinFileName_);
    }();
    const SkinScreenImages names = file.ReadScreen();
    SkinStateImages images;
    SIZE ignored;
    LoadSkinImage(folder + names.mask, mask_, ignored);
    LoadSkinImage(folder + names.normal, images.normal, size_);
    LoadSkinImage(folder + names.over, images.over, ignored);
    LoadSkinImage(folder + names.down, images.down, ignored);
    LoadSkinImage(folder + names.disable, images.disable, ignored);
    MoveWindow(hwnd(), 0, 0, size_.cx, size_.cy, TRUE);
    PlaceControls(file, images);
    // The normal image is the background too: read and decoded once.
    background_ = std::move(images.normal);
}

void SkinWindow::PlaceButton(SkinButton& button, const SkinControlEntry& entry,
                             const SkinStateImages& images) {
    const RECT rect = {entry.rect.left, entry.rect.top, entry.rect.right, entry.rect.bottom};
    if (!button.Create(hwnd(), rect)) return;
    button.SetStateImages(rect, images.normal.get(), images.over.get(), images.down.get(),
                          images.disable.get());
    button.SetEntryText(entry.caption);
    button.SetCheck(entry.initialState);
}

LRESULT SkinWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    return DefaultProc(WM_COMMAND, wParam, lParam);
}

LRESULT SkinWindow::OnCommandMessage(WPARAM wParam, LPARAM lParam) {
    return OnCommand(wParam, lParam);
}

void SkinWindow::Paint(HDC dc, const RECT& client) {
    if (!background_) return;
    MemoryDC memory(CreateCompatibleDC(dc));
    if (!memory) return;
    ScopedSelectObject select(memory.get(), background_.get());
    BitBlt(dc, 0, 0, client.right - client.left, client.bottom - client.top, memory.get(), 0, 0,
           SRCCOPY);
}

void SkinWindow::PaintMessage(HDC dc, const RECT& client, const std::string& message, HFONT font) {
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    MemoryDC memory(CreateCompatibleDC(dc));
    Bitmap picture(CreateCompatibleBitmap(dc, width, height));
    if (!memory || !picture) return;
    ScopedSelectObject selectPicture(memory.get(), picture.get());
    SkinWindow::Paint(memory.get(), client);
    if (!message.empty()) {
        ScopedSelectObject selectFont(memory.get(), font);
        SetBkMode(memory.get(), TRANSPARENT);
        SetTextColor(memory.get(), RGB(255, 255, 255));
        RECT textRect = {20, 50, 220, 94};
        DrawTextA(memory.get(), message.c_str(), static_cast<int>(message.size()), &textRect,
                  DT_CENTER | DT_WORDBREAK);
    }
    BitBlt(dc, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

LRESULT SkinWindow::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    if (dc != nullptr) {
        RECT client;
        GetClientRect(hwnd(), &client);
        Paint(dc, client);
        EndPaint(hwnd(), &ps);
    }
    return 0;
}

LRESULT SkinWindow::OnEraseBackground(WPARAM wParam, LPARAM lParam) {
    if (ErasesBackground()) return DefaultProc(WM_ERASEBKGND, wParam, lParam);
    return TRUE;
}

LRESULT SkinWindow::OnLeftButtonDown(WPARAM wParam, LPARAM lParam) {
    // A page drags the top-level window it sits in; a popup drags itself.
    HWND target = hwnd();
    if (GetWindowLongPtrA(hwnd(), GWL_STYLE) & WS_CHILD) {
        HWND root = GetAncestor(hwnd(), GA_ROOT);
        if (root != nullptr) target = root;
    }
    PostMessageA(target, WM_NCLBUTTONDOWN, HTCAPTION, lParam);
    return DefaultProc(WM_LBUTTONDOWN, wParam, lParam);
}

LRESULT SkinWindow::OnDrawItem(WPARAM wParam, LPARAM lParam) {
    auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (draw == nullptr) return FALSE;
    if (draw->CtlType == ODT_MENU) return SkinMenu::HandleDrawItem(*draw) ? TRUE : FALSE;
    Window* control = FromHandle(draw->hwndItem);
    if (control != nullptr) {
        SendMessageA(draw->hwndItem, UM_REFLECT_DRAWITEM, wParam, lParam);
        return TRUE;
    }
    return DefaultProc(WM_DRAWITEM, wParam, lParam);
}

LRESULT SkinWindow::OnMeasureItem(WPARAM wParam, LPARAM lParam) {
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (measure != nullptr && measure->CtlType == ODT_MENU &&
        SkinMenu::HandleMeasureItem(*measure)) {
        return TRUE;
    }
    return DefaultProc(WM_MEASUREITEM, wParam, lParam);
}

LRESULT SkinWindow::OnDestroy(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefaultProc(WM_DESTROY, wParam, lParam);
    mask_.reset();
    background_.reset();
    return result;
}

}  // namespace kestra
