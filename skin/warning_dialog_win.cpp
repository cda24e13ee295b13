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
            EndModal(IDOK);
            return 0;
        }
        for (int i = 1; i < buttonCount_; ++i) {
            if (from == buttons_[i].hwnd()) {
                EndModal(IDCANCEL);
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
    if (message == WM_CLOSE) {
        EndModal(IDCANCEL);
        return 0;
    }
    return SkinWindow::OnMessage(message, wParam, lParam);
}

}  // namespace kestra
