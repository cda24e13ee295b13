#include "monitor/shell_open_win.h"

#include <shellapi.h>

namespace kestra {

bool OpenWithShell(const std::string& target, int show, HANDLE* process) {
    if (process) *process = nullptr;
    if (target.empty()) return false;
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    // No error box of the shell's: Monitor runs unattended, its debug log
    // says what failed.
    info.fMask = SEE_MASK_FLAG_NO_UI | (process ? SEE_MASK_NOCLOSEPROCESS : 0);
    info.lpVerb = "open";
    info.lpFile = target.c_str();
    info.nShow = show;
    if (!ShellExecuteExA(&info)) return false;
    if (process) *process = info.hProcess;
    return true;
}

}  // namespace kestra
