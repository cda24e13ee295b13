// Option.exe: the application object and the program's entry point.
#include <windows.h>

#include <memory>
#include <string>

#include "option/option_dlg_win.h"
#include "option/option_shell_win.h"
#include "settings/ipc_names.h"
#include "settings/settings_files.h"
#include "settings/shared_block_win.h"
#include "skin/late_library_win.h"
#include "skin/skin_menu_win.h"
#include "skin/start_clock_win.h"

namespace kestra {

class COptionApp {
public:
    // False when the program is to end at once (a second instance).
    bool InitInstance();
    int Run();
    ~COptionApp();

private:
    SingleInstance instance_;
    SystemOptionShell shell_;
    std::unique_ptr<COptionDlg> dialog_;
    bool coolMenu_ = false;
};

std::string OwnProgramFolder() {
    char path[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path - 1);
    return DirectoryOf(std::string(path, length));
}

bool COptionApp::InitInstance() {
    // A second copy ends silently; the running one is not brought forward.
    if (!instance_.Acquire(kOptionInstanceMutexName)) return false;
    const std::string folder = OwnProgramFolder();
    // COM, which the file dialogs, the shell and the picture decoder use,
    // is initialised when one of them is first needed.
    coolMenu_ = CoolMenu::Install();
    dialog_.reset(new COptionDlg(folder, shell_));
    return true;
}

int COptionApp::Run() {
    return dialog_->RunModal();
}

COptionApp::~COptionApp() {
    dialog_.reset();
    if (coolMenu_) CoolMenu::Uninstall();
    EndLateCom();
}

}  // namespace kestra

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    kestra::StartMark("winmain");
    kestra::COptionApp app;
    if (!app.InitInstance()) return 0;
    kestra::StartMark("initialised");
    return app.Run();
}
