#include "option/launch_program_dialog_win.h"

#include <commdlg.h>
#include <shlobj.h>

#include "settings/settings_record.h"
#include "skin/late_library_win.h"

namespace kestra {
namespace {

constexpr int kEditEntry = 1;
constexpr int kBrowseEntry = 2;
constexpr int kOkEntry = 3;
constexpr int kCancelEntry = 4;
constexpr int kCloseEntry = 5;
constexpr int kEditControlId = 300;

}  // namespace

bool BrowseForProgram(HWND owner, std::string& path) {
    using FolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    using Dialog = BOOL(WINAPI*)(OPENFILENAMEA*);
    const auto folderPath = LateFunctionAs<FolderPath>("shell32.dll", "SHGetFolderPathA");
    const auto open = LateFunctionAs<Dialog>("comdlg32.dll", "GetOpenFileNameA");
    if (open == nullptr) return false;
    NeedCom();
    char desktop[MAX_PATH] = "";
    if (folderPath != nullptr) folderPath(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop);
    char file[MAX_PATH] = "";
    snprintf(file, sizeof file, "%s\\.exe", desktop);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = "exe file(*.exe)\0*.EXE\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrDefExt = "*.exe";
    ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
    if (!open(&ofn)) return false;
    path = file;
    return true;
}

CLaunchProgramDialog::CLaunchProgramDialog(HWND owner, std::string path, Browser browse)
    : SkinDialog("skin_lanuch_program.ini", owner),
      path_(std::move(path)),
      browse_(browse ? std::move(browse) : Browser(&BrowseForProgram)) {}

void CLaunchProgramDialog::PlaceControls(const SkinFile& file, const SkinStateImages& images) {
    PlaceButton(browseButton_, file.ReadEntry(kBrowseEntry), images);
    PlaceDialogButtons(file, images, kOkEntry, kCancelEntry, kCloseEntry);
    // The edit sits inside the entry's box, its text clear of the edges.
    const SkinRect r = file.ReadEntry(kEditEntry).rect;
    if (r.right > r.left &&
        edit_.Create(hwnd(), RECT{r.left + 4, r.top + 4, r.right - 4, r.bottom - 2},
                     WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, kEditControlId)) {
        edit_.SetColours(0x000000, 0xE5E5E5);
        edit_.ApplyFont();
        // The button keeps 261 characters of it.
        SendMessageA(edit_.hwnd(), EM_LIMITTEXT, kProgramPathSize - 1, 0);
        edit_.SetText(path_);
    }
}

bool CLaunchProgramDialog::OnOk() {
    path_ = edit_.Text();
    return true;
}

LRESULT CLaunchProgramDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    const HWND from = reinterpret_cast<HWND>(lParam);
    if (from != nullptr && HIWORD(wParam) == BN_CLICKED) {
        if (from == browseButton_.hwnd()) {
            std::string chosen = edit_.Text();
            if (browse_(hwnd(), chosen)) edit_.SetText(chosen);
            return 0;
        }
    }
    return SkinDialog::OnCommand(wParam, lParam);
}

void CLaunchProgramDialog::OnModalShown() {
    if (edit_.hwnd() != nullptr) SetFocus(edit_.hwnd());
}

}  // namespace kestra
