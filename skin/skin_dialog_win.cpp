#include "skin/skin_dialog_win.h"

namespace kestra {

void SkinDialog::PlaceDialogButtons(const SkinFile& file, const SkinStateImages& images,
                                    int okEntry, int cancelEntry, int closeEntry) {
    PlaceButton(ok_, file.ReadEntry(okEntry), images);
    PlaceButton(cancel_, file.ReadEntry(cancelEntry), images);
    PlaceButton(close_, file.ReadEntry(closeEntry), images);
}

LRESULT SkinDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    const HWND from = reinterpret_cast<HWND>(lParam);
    if (from != nullptr && HIWORD(wParam) == BN_CLICKED) {
        if (from == ok_.hwnd()) {
            if (OnOk()) EndModal(IDOK);
            return 0;
        }
        if (from == cancel_.hwnd() || from == close_.hwnd()) {
            EndModal(IDCANCEL);
            return 0;
        }
    }
    return SkinWindow::OnCommand(wParam, lParam);
}

LRESULT SkinDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        EndModal(IDCANCEL);
        return 0;
    }
    return SkinWindow::OnMessage(message, wParam, lParam);
}

}  // namespace kestra
