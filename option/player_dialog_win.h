// The player dialog ("skin_select_player.ini"): which media player the media
// buttons of a profile drive (MediaOption). Entry "1" names the player and
// opens the choice, "2" OK, "3" Cancel, "4" the corner cross (cancels).
#pragma once

#include <windows.h>

#include <cstdint>

#include "skin/skin_button_win.h"
#include "skin/skin_window_win.h"

namespace kestra {

class CPlayerDialog : public SkinWindow {
public:
    CPlayerDialog(HWND owner, int32_t player);

    // IDOK or IDCANCEL; the owner is disabled meanwhile.
    int RunModal() { return SkinWindow::RunModal(owner_); }
    int32_t player() const { return player_; }

    SkinButton& playerBox() { return box_; }
    SkinButton& okButton() { return ok_; }

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnBoxClicked();

    HWND owner_;
    int32_t player_;
    SkinButton box_;     // "1"
    SkinButton ok_;      // "2"
    SkinButton cancel_;  // "3"
    SkinButton close_;   // "4"
};

}  // namespace kestra
