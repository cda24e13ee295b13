#include "option/option_shell_win.h"

#include <commdlg.h>
#include <shellapi.h>

#include "option/option_logic.h"
#include "skin/late_library_win.h"

namespace kestra {

bool ChooseFileName(HWND owner, const std::string& initialName, const char* filterText,
                    const char* defaultExtension, bool save, std::string& path) {
    char file[MAX_PATH * 2] = {};
    initialName.copy(file, sizeof file - 1);
    const std::string filter = DialogFilter(filterText);
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.lpstrDefExt = defaultExtension;
    // The program folder stays the process's current folder.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    dialog.Flags |= save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;
    using Dialog = BOOL(WINAPI*)(OPENFILENAMEA*);
    const auto run =
        LateFunctionAs<Dialog>("comdlg32.dll", save ? "GetSaveFileNameA" : "GetOpenFileNameA");
    NeedCom();
    if (run == nullptr || !run(&dialog)) return false;
    path = file;
    return !path.empty();
}

bool SystemOptionShell::ChooseImportFile(HWND owner, const std::string& initialName,
                                         std::string& path) {
    return ChooseFileName(owner, initialName, kProfileFileFilter, kProfileDefaultExtension, false,
                          path);
}

bool SystemOptionShell::ChooseExportFile(HWND owner, const std::string& initialName,
                                         std::string& path) {
    return ChooseFileName(owner, initialName, kProfileFileFilter, kProfileDefaultExtension, true,
                          path);
}

bool SystemOptionShell::Confirm(HWND owner, WarningKind kind) {
    WarningDialog dialog(kind, owner);
    return dialog.RunModal() == IDOK;
}

void SystemOptionShell::ShowMessage(HWND owner, const char* text) {
    MessageBoxA(owner, text, "", MB_OK);
}

void SystemOptionShell::Open(const std::string& target) {
    using Execute = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    const auto execute = LateFunctionAs<Execute>("shell32.dll", "ShellExecuteA");
    NeedCom();
    if (execute != nullptr)
        execute(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace kestra
