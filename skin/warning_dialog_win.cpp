#include "skin/warning_dialog_win.h"

namespace kestra {

const char* WarningSkinFile(WarningKind kind) {
    switch (kind) {
        case WarningKind::kClick:
            return "skin_click_warn.ini";
        case WarningKind::kResetCurrent:
            return "skin_reset_current_warn.ini";
        case WarningKind::kResetAll:
            return "skin_reset_all_warn.ini";
        case WarningKind::kMacroSet:
            return "skin_macro_set_warn.ini";
        case WarningKind::kDeleteMacro:
            return "skin_delete_macro_warn.ini";
    }
    return "";
}

WarningDialog::WarningDialog(WarningKind kind, HWND owner)
    : SkinWindow(WarningSkinFile(kind)),
      kind_(kind),
      owner_(owner),
      buttonCount_(kind == WarningKind::kMacroSet ? 2 : 3) {}

void WarningDialog::PlaceControls(const SkinFile& file, const SkinStateImages& images) {
    for (int i = 0; i < buttonCount_; ++i) {
        PlaceButton(buttons_[i], file.ReadEntry(i + 1), images);
    }
    font_ = CreateSkinFont(kind_ == WarningKind::kDeleteMacro ? SkinFontKind::kBold
                                                              : SkinFontKind::kMessage);
}

LRESULT WarningDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    const HWND from = reinterpret_cast<HWND>(lParam);
    if (from != nullptr) {
        if (from == buttons_[0].hwnd()) {
            End(IDOK);
            return 0;
        }
        for (int i = 1; i < buttonCount_; ++i) {
            if (from == buttons_[i].hwnd()) {
                End(IDCANCEL);
                return 0;
            }
        }
    }
    return SkinWindow::OnCommand(wParam, lParam);
}

void WarningDialog::Paint(HDC dc, const RECT& client) {
    if (kind_ == WarningKind::kDeleteMacro) {
        SkinWindow::Paint(dc, client);
        return;
    }
    PaintMessage(dc, client, message_, font_.get());
}

LRESULT WarningDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            End(IDCANCEL);
            return 0;
        case WM_DESTROY:
            done_ = true;
            break;
        default:
            break;
    }
    return SkinWindow::OnMessage(message, wParam, lParam);
}

void WarningDialog::End(int result) {
    if (done_) return;
    result_ = result;
    done_ = true;
    PostMessageA(hwnd(), WM_NULL, 0, 0);  // wakes the modal loop
}

int WarningDialog::RunModal() {
    done_ = false;
    result_ = IDCANCEL;
    if (!CreatePopup(owner_)) return IDCANCEL;
    const bool reenableOwner = owner_ != nullptr && IsWindowEnabled(owner_);
    if (reenableOwner) EnableWindow(owner_, FALSE);
    ShowWindow(hwnd(), SW_SHOW);
    UpdateWindow(hwnd());
    MSG msg;
    while (!done_) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // the caller's loop must see it too
            break;
        }
        if (got == -1) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // Enabled again before the dialog goes, so activation returns to the owner.
    if (reenableOwner) EnableWindow(owner_, TRUE);
    if (hwnd() != nullptr) DestroyWindow(hwnd());
    return result_;
}

}  // namespace kestra
