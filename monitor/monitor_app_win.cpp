// Monitor.exe: the application object and the program's entry point.
#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "monitor/command_line_win.h"
#include "monitor/monitor_wnd_win.h"
#include "settings/ipc_names.h"
#include "settings/shared_block_win.h"

namespace kestra {

class CMonitorApp {
public:
    // False when the program is to end at once (a second instance).
    bool InitInstance(const char* commandLine);
    int Run();
    ~CMonitorApp();

private:
    SingleInstance instance_;
    std::unique_ptr<CMonitorWnd> window_;
    bool com_ = false;
};

bool CMonitorApp::InitInstance(const char* commandLine) {
    const std::string line = commandLine ? commandLine : "";
    OutputDebugStringA(("CMonitorApp: " + line + "\n").c_str());
    const bool openOption = !line.empty() && line[0] == '1';

    if (!instance_.Acquire(kMonitorInstanceMutexName)) {
        if (openOption) {
            if (HWND running = FindWindowA(nullptr, kMonitorWindowTitle)) {
                PostMessageA(running, WM_COMMAND, ID_TRAY_OPEN, 0);
            }
        }
        return false;
    }
    com_ = SUCCEEDED(CoInitialize(nullptr));
    window_.reset(new CMonitorWnd(openOption));
    return window_->Create();
}

int CMonitorApp::Run() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

CMonitorApp::~CMonitorApp() {
    if (com_) CoUninitialize();
    window_.reset();
}

}  // namespace kestra

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    // A command for scripts runs beside a running Monitor: it never takes
    // the single-instance lock.
    const kestra::CommandLine command = kestra::ParseCommandLine(commandLine ? commandLine : "");
    if (command.kind != kestra::MonitorCommand::kStartAgent) return kestra::RunCommandLine(command);
    kestra::CMonitorApp app;
    if (!app.InitInstance(commandLine)) return 0;
    return app.Run();
}
