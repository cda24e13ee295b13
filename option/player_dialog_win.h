// The player dialog ("skin_select_player.ini"): which media player the media
// buttons of a profile drive (MediaOption). Entry "1" names the player and
// opens the choice, "2" OK, "3" Cancel, "4" the corner cross (cancels).
#pragma once

#include <windows.h>

#include <cstdint>

#include "skin/skin_button_win.h"
#include "skin/skin_dialog_win.h"

namespace kestra {

class CPlayerDialog : public SkinDialog {
public:
    ~CPlayerDialog() override { DestroyOwnWindow(); }
    CPlayerDialog(HWND owner, int32_t player);

    int32_t player() const { return player_; }

    SkinButton& playerBox() { return box_; }

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void OnBoxClicked();

    int32_t player_;
    SkinButton box_;     // "1"
};

}  // namespace kestra
