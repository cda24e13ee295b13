// CProfileDialog ("skin_profile.ini"): the name of the current profile and
// the program (game) it is bound to. Entry "1" the name edit, "2" the
// game-file edit, "3" browse, "4" OK, "5" Cancel, "6" the corner cross.
#pragma once

#include <windows.h>

#include <string>

#include "option/launch_program_dialog_win.h"
#include "settings/settings_record.h"
#include "skin/bitmap_edit_win.h"
#include "skin/skin_button_win.h"
#include "skin/skin_window_win.h"

namespace kestra {

class CProfileDialog : public SkinWindow {
public:
    ~CProfileDialog() override { DestroyOwnWindow(); }
    enum Mode { kFilled = 0, kEmpty = 1 };
    using Browser = CLaunchProgramDialog::Browser;

    // OK writes both texts into `profile`; cancel leaves it alone.
    CProfileDialog(HWND owner, ProfileSettings& profile, Mode mode, Browser browse = Browser());

    // IDOK or IDCANCEL; the owner is disabled meanwhile.
    int RunModal() { return SkinWindow::RunModal(owner_); }

    BitmapEdit& nameEdit() { return name_; }
    BitmapEdit& gameEdit() { return game_; }

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnModalShown() override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    HWND owner_;
    ProfileSettings& profile_;
    Mode mode_;
    Browser browse_;
    BitmapEdit name_;          // "1"
    BitmapEdit game_;          // "2"
    SkinButton browseButton_;  // "3"
    SkinButton ok_;            // "4"
    SkinButton cancel_;        // "5"
    SkinButton close_;         // "6"
};

}  // namespace kestra
