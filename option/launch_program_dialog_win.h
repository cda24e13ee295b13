// The launch-program dialog ("skin_lanuch_program.ini"): the program a button
// starts. Entry "1" the path edit, "2" browse, "3" OK, "4" Cancel, "5" the
// corner cross (cancels).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "skin/bitmap_edit_win.h"
#include "skin/skin_button_win.h"
#include "skin/skin_dialog_win.h"

namespace kestra {

class CLaunchProgramDialog : public SkinDialog {
public:
    ~CLaunchProgramDialog() override { DestroyOwnWindow(); }
    // Asks for a program file, starting from `path`; false when cancelled.
    using Browser = std::function<bool(HWND owner, std::string& path)>;

    CLaunchProgramDialog(HWND owner, std::string path, Browser browse = Browser());

    // The edit's text when the dialog ended with OK.
    const std::string& path() const { return path_; }

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnModalShown() override;
    bool OnOk() override;

private:
    std::string path_;
    Browser browse_;
    BitmapEdit edit_;          // "1"
    SkinButton browseButton_;  // "2"
};

// The system's open-file dialog for programs, starting on the user's desktop.
bool BrowseForProgram(HWND owner, std::string& path);

}  // namespace kestra
