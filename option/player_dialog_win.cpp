#include "option/player_dialog_win.h"

#include "option/button_assignment.h"
#include "option/button_menu_win.h"
#include "skin/skin_menu_win.h"

namespace kestra {
namespace {

constexpr int kBoxEntry = 1;
constexpr int kOkEntry = 2;
constexpr int kCancelEntry = 3;
constexpr int kCloseEntry = 4;

}  // namespace

CPlayerDialog::CPlayerDialog(HWND owner, int32_t player)
    : SkinDialog("skin_select_player.ini", owner), player_(player) {}

void CPlayerDialog::PlaceControls(const SkinFile& file, const SkinStateImages& images) {
    PlaceButton(box_, file.ReadEntry(kBoxEntry), images);
    PlaceDialogButtons(file, images, kOkEntry, kCancelEntry, kCloseEntry);
    box_.SetCaption(std::string("  ") + PlayerName(player_));
}

LRESULT CPlayerDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    const HWND from = reinterpret_cast<HWND>(lParam);
    if (from != nullptr && HIWORD(wParam) == BN_CLICKED) {
        if (from == box_.hwnd()) {
            OnBoxClicked();
            return 0;
        }
    }
    return SkinDialog::OnCommand(wParam, lParam);
}

void CPlayerDialog::OnBoxClicked() {
    const int32_t command = TrackBoxMenu(hwnd(), box_.hwnd(), PlayerMenu(), nullptr);
    box_.SetHover(false);
    if (command != 0) {
        player_ = PlayerFromCommand(command);
        box_.SetCaption(std::string("  ") + PlayerName(player_));
    }
    InvalidateRect(box_.hwnd(), nullptr, FALSE);
}

}  // namespace kestra
