// Overlay.exe: the on-screen display program that Monitor starts, feeds by
// posted messages and closes at its own end. One instance only.
#include <windows.h>

#include <string>

#include "overlay/overlay_wnd_win.h"
#include "settings/ipc_names.h"
#include "settings/settings_files.h"
#include "settings/shared_block_win.h"

namespace {

std::string OwnProgramPath() {
    char path[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path - 1);
    return std::string(path, length);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    kestra::SingleInstance instance;
    if (!instance.Acquire(kestra::kOsdInstanceMutexName)) return 0;
    // The panel is drawn for the screen's real resolution, not stretched.
    SetProcessDPIAware();
    kestra::COverlayWnd window(kestra::DirectoryOf(OwnProgramPath()));
    if (!window.Create()) return 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}
