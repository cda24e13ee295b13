#include "monitor/monitor_wnd_win.h"

#include <commctrl.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "monitor/add_ons_win.h"
#include "monitor/shell_open_win.h"
#include "settings/ini_file.h"
#include "settings/ipc_names.h"
#include "settings/settings_files.h"

namespace kestra {
namespace {

constexpr int kTextTrayOpen = 1002;
constexpr int kTextTrayExit = 1003;
constexpr int kTextTrayTip = 1004;
constexpr int kTextNotAnswering = 1091;

std::string OwnProgramPath() {
    char path[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path - 1);
    return std::string(path, length);
}

// How long a worker thread waits for more work before it ends: a macro
// button pressed again and again, or the jobs of an arrival, keep theirs.
constexpr DWORD kMacroThreadLingerMs = 30000;
constexpr DWORD kDeviceThreadLingerMs = 5000;

HWND FindByTitle(const char* title) {
    return FindWindowA(nullptr, title);
}

void PostIfPresent(const char* title, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    if (HWND window = FindByTitle(title)) PostMessageA(window, message, wParam, lParam);
}

}  // namespace

const MessageEntry<CMonitorWnd> CMonitorWnd::kMessages[] = {
    {WM_CREATE, &CMonitorWnd::OnCreate},
    {WM_DESTROY, &CMonitorWnd::OnDestroy},
    {WM_TIMER, &CMonitorWnd::OnTimer},
    {WM_COPYDATA, &CMonitorWnd::OnCopyData},
    {UM_APPLY_SETTINGS, &CMonitorWnd::OnApplySettings},
    {UM_RELOAD_SETTINGS, &CMonitorWnd::OnReloadSettings},
    {UM_RELOAD_SYSTEM_SETTINGS, &CMonitorWnd::OnReloadSystemSettings},
    {UM_MONITOR_IGNORED, &CMonitorWnd::OnIgnored},
    {UM_TRAY_NOTIFY, &CMonitorWnd::OnSystrayNotify},
    {UM_DEVICE_PRESENCE, &CMonitorWnd::OnDevicePresence},
    {UM_DEVICE_EVENT, &CMonitorWnd::OnDeviceEvent},
    {WM_COMMAND, &CMonitorWnd::OnCommand},
    {UM_PROFILE_SELECTED, &CMonitorWnd::OnProfileSelected},
    {UM_DEVICE_STATE_CHANGED, &CMonitorWnd::OnDeviceStateChanged},
    {UM_QUERY_DEVICE_STATE, &CMonitorWnd::OnQueryDeviceState},
    {UM_SCRIPT_REQUEST, &CMonitorWnd::OnScriptRequest},
    {UM_WRONG_FIRMWARE, &CMonitorWnd::OnWrongFirmware},
};

CMonitorWnd::CMonitorWnd(bool openOption)
    : openOption_(openOption),
      player_(injector_, clock_, layout_),
      logic_(MonitorLogic::Parts{*this, flags_, injector_, layout_, player_, registry_, pointer_,
                                 *this}),
      presence_(*this, flags_),
      applier_(link_, *this),
      jobs_(applier_, link_, *this, flags_, *this, *this),
      macroThread_(&CMonitorWnd::OnMacroThreadMessage, this, kMacroThreadLingerMs),
      deviceThread_(&CMonitorWnd::OnDeviceThreadMessage, this, kDeviceThreadLingerMs) {}

CMonitorWnd::~CMonitorWnd() {
    DestroyOwnWindow();
    // A window that was never destroyed still stops its threads before the
    // objects they use go away.
    deviceThread_.Stop();
    macroThread_.Stop();
    if (smallIcon_) DestroyIcon(smallIcon_);
}

bool CMonitorWnd::Create() {
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
    HWND window = CreateFrameworkWindow(0, PlainClass(), WS_POPUP, 100, 100, 100, 100, nullptr);
    return window != nullptr;
}

LRESULT CMonitorWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (taskbarCreated_ != 0 && message == taskbarCreated_) return OnTaskbarCreated(wParam, lParam);
    if (RouteMessage(this, kMessages, message, wParam, lParam, &result)) return result;
    return Window::OnMessage(message, wParam, lParam);
}

// ---- creation and destruction ---------------------------------------------

LRESULT CMonitorWnd::OnCreate(WPARAM wParam, LPARAM lParam) {
    if (DefaultProc(WM_CREATE, wParam, lParam) == -1) return -1;
    // Found by this title from the first moment on.
    SetWindowTextA(hwnd(), kMonitorWindowTitle);

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    folder_ = DirectoryOf(OwnProgramPath());
    language_.Load(folder_);
    configPath_ = ConfigIniPath(folder_);
    registry_.OpenKey(kMouseRegistryKey);
    link_.Load(folder_);
    logic_.SetProgramFolder(folder_);

    std::unique_ptr<SettingsStore> loaded(new SettingsStore());
    LoadStore(folder_, *loaded, &ReadSystemSettingsFromRegistry);
    logic_.Load(*loaded);
    OsdSettings osd{};
    if (ReadOsdSettings(osd)) logic_.SetOsd(osd);

    bool existed = false;
    blockMutex_ = CreateBlockMutex(existed);
    if (existed) return -1;
    if (block_.Create()) block_.Write(blockMutex_.Get(), logic_.working());

    AddOnContext context{hwnd(), folder_, configPath_, &logic_.working()};
    addOns_ = CreateMonitorAddOns(context);
    logic_.SetAddOns(addOns_.get());

    SetWindowLongPtrA(hwnd(), GWL_EXSTYLE,
                      GetWindowLongPtrA(hwnd(), GWL_EXSTYLE) | WS_EX_TOOLWINDOW);

    logic_.ConnectedStart(link_.Open(hwnd()), openOption_);
    logic_.ApplySystemSettings(false);
    StartCompanionPrograms();
    return 0;
}

LRESULT CMonitorWnd::OnDestroy(WPARAM wParam, LPARAM lParam) {
    logic_.StopProgramWatch();
    ::KillTimer(hwnd(), TIMER_FIRMWARE_CHECK);
    ::KillTimer(hwnd(), TIMER_ARRIVAL_SETTLE);
    ::KillTimer(hwnd(), TIMER_KEY_REPEAT);
    ::KillTimer(hwnd(), TIMER_VOLUME_REPEAT);
    CloseOptionWindow();
    EndCompanionPrograms();
    if (flags_.busy) flags_.abort = 1;
    deviceThread_.Stop();
    link_.Close();
    link_.Unload();
    // A long macro would hold shut-down for its whole length: stop it, which
    // also releases what it holds down.
    if (player_.playing()) player_.Cancel();
    macroThread_.Stop();
    block_.Close();
    blockMutex_.Reset();
    RemoveTrayIcon();
    language_.Free();
    registry_.CloseKey();
    DefaultProc(WM_DESTROY, wParam, lParam);
    PostQuitMessage(0);
    return 0;
}

void CMonitorWnd::OnMacroThreadMessage(void* p, UINT message, WPARAM, LPARAM) {
    if (message != TM_PLAY_MACRO) return;
    // A raised timer resolution costs power system-wide: only while playing.
    ScopedTimerResolution resolution;
    static_cast<CMonitorWnd*>(p)->player_.Play();
}

void CMonitorWnd::OnDeviceThreadMessage(void* p, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != TM_DEVICE_JOB) return;
    // The pauses between reports are 100-200 ms; at the default 15.6 ms
    // tick each would overrun by up to a tick, a full apply by ~8 %.
    ScopedTimerResolution resolution;
    static_cast<CMonitorWnd*>(p)->jobs_.Run(static_cast<unsigned>(wParam),
                                            static_cast<int>(lParam));
}

namespace {

struct CompanionProgram {
    const char* file;
    const char* title;
    // Ours and holding nothing of the user's: ended when it does not end in
    // time. The applets, which this software does not ship, are only asked.
    bool endIfLate;
};

const CompanionProgram kCompanionPrograms[] = {
    {"Overlay.exe", kOsdWindowTitle, true},
    {"Applets\\SysGauge.exe", kGaugeAppletWindowTitle, false},
    {"Applets\\MailCheck.EXE", kMailAppletWindowTitle, false},
};

// How long Monitor's end waits for the programs it started to end with it.
constexpr DWORD kCompanionEndMs = 5000;

DWORD MsLeftUntil(DWORD deadline) {
    const DWORD now = GetTickCount();
    return static_cast<LONG>(deadline - now) > 0 ? deadline - now : 0;
}

struct WindowsOfProcess {
    DWORD process;
    const char* title;
};

BOOL CALLBACK PostCloseIfOfProcess(HWND window, LPARAM lParam) {
    const WindowsOfProcess* wanted = reinterpret_cast<const WindowsOfProcess*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char title[128] = {};
    if (process == wanted->process && GetWindowTextA(window, title, sizeof title) > 0 &&
        strcmp(title, wanted->title) == 0) {
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

}  // namespace

void CMonitorWnd::StartCompanionPrograms() {
    for (const CompanionProgram& program : kCompanionPrograms) {
        const std::string path = folder_ + program.file;
        // Missing companion programs are normal (the applets are rarely there).
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        SHELLEXECUTEINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        info.lpVerb = "open";
        info.lpFile = path.c_str();
        info.nShow = SW_SHOWNORMAL;
        if (ShellExecuteExA(&info) && info.hProcess) {
            companions_.push_back(
                Companion{KernelHandle(info.hProcess), program.title, program.endIfLate});
        }
    }
}

// The programs Monitor started end with it. One that is still starting has
// no window yet to be told, and would otherwise run on without Monitor,
// holding its file (an uninstall could not remove it); so each is waited for
// until it reads its messages, told by its own window, and given a few
// seconds to end; the display program is ended if it has not by then.
void CMonitorWnd::EndCompanionPrograms() {
    // Windows of instances an earlier Monitor started, by their titles.
    PostIfPresent(kOsdWindowTitle, WM_CLOSE);
    for (const char* title : kAppletWindowTitles) PostIfPresent(title, WM_CLOSE);

    const DWORD deadline = GetTickCount() + kCompanionEndMs;
    for (const Companion& companion : companions_) {
        if (WaitForSingleObject(companion.process.Get(), 0) == WAIT_OBJECT_0) continue;
        WaitForInputIdle(companion.process.Get(), MsLeftUntil(deadline));
        WindowsOfProcess wanted = {GetProcessId(companion.process.Get()), companion.title};
        EnumWindows(&PostCloseIfOfProcess, reinterpret_cast<LPARAM>(&wanted));
    }
    for (const Companion& companion : companions_) {
        if (WaitForSingleObject(companion.process.Get(), MsLeftUntil(deadline)) != WAIT_OBJECT_0 &&
            companion.endIfLate) {
            TerminateProcess(companion.process.Get(), 1);
        }
    }
    companions_.clear();
}

// ---- messages ----------------------------------------------------------------

LRESULT CMonitorWnd::OnTimer(WPARAM wParam, LPARAM lParam) {
    switch (wParam) {
        case TIMER_VOLUME_REPEAT:
            logic_.addOns().OnVolumeRepeatTimer();
            break;
        case TIMER_KEY_REPEAT:
            logic_.OnKeyRepeatTimer();
            break;
        case TIMER_APP_WATCH:
            logic_.OnAppWatch();
            break;
        case TIMER_FIRMWARE_CHECK:
            ::KillTimer(hwnd(), TIMER_FIRMWARE_CHECK);
            PostDeviceJob(DEVICE_JOB_FIRMWARE_CHECK);
            break;
        case TIMER_ARRIVAL_SETTLE:
            presence_.OnArrivalSettled();
            break;
        default:
            break;
    }
    return DefaultProc(WM_TIMER, wParam, lParam);
}

LRESULT CMonitorWnd::OnCopyData(WPARAM, LPARAM lParam) {
    const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data) logic_.OnCopyData(data->lpData, data->cbData);
    return TRUE;
}

LRESULT CMonitorWnd::OnApplySettings(WPARAM, LPARAM) {
    logic_.OnApplySettings();
    return 0;
}

LRESULT CMonitorWnd::OnReloadSettings(WPARAM, LPARAM) {
    logic_.OnReloadSettings(false);
    return 0;
}

LRESULT CMonitorWnd::OnReloadSystemSettings(WPARAM, LPARAM) {
    logic_.OnReloadSettings(true);
    return 0;
}

LRESULT CMonitorWnd::OnIgnored(WPARAM, LPARAM) {
    return 0;
}

LRESULT CMonitorWnd::OnDevicePresence(WPARAM wParam, LPARAM) {
    // Only 0 and 1 mean anything; a wider value must not pass as one of them
    // once cut to the event word's 16 bits.
    if (wParam <= 0xFFFF) logic_.OnDeviceEvent(MakeEventWord(0x7F00, wParam), &presence_);
    return 0;
}

LRESULT CMonitorWnd::OnDeviceEvent(WPARAM wParam, LPARAM lParam) {
    logic_.OnDeviceEvent(MakeEventWord(wParam, static_cast<uintptr_t>(lParam)), &presence_);
    return 1;
}

LRESULT CMonitorWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
        case ID_TRAY_OPEN:
            OnCustomizer();
            return 0;
        case ID_TRAY_EXIT:
            PostMessageA(hwnd(), WM_CLOSE, 0, 0);
            return 0;
        default:
            return DefaultProc(WM_COMMAND, wParam, lParam);
    }
}

LRESULT CMonitorWnd::OnTaskbarCreated(WPARAM, LPARAM) {
    // A restarted shell has forgotten every icon.
    if (trayIcon_) {
        trayIcon_ = false;
        AddTrayIcon();
    }
    return 0;
}

LRESULT CMonitorWnd::OnProfileSelected(WPARAM wParam, LPARAM) {
    if (wParam < static_cast<WPARAM>(kProfileCount)) {
        logic_.addOns().ShowProfile(static_cast<int>(wParam),
                                    ProfileIndicationReason::kDeviceSelected, logic_.osd());
    }
    return 0;
}

LRESULT CMonitorWnd::OnDeviceStateChanged(WPARAM, LPARAM) {
    logic_.OnDeviceStateChanged();
    return 0;
}

LRESULT CMonitorWnd::OnQueryDeviceState(WPARAM, LPARAM) {
    return static_cast<LRESULT>(DeviceStateWord(flags_));
}

LRESULT CMonitorWnd::OnScriptRequest(WPARAM wParam, LPARAM lParam) {
    return static_cast<LRESULT>(
        logic_.OnScriptRequest(static_cast<uintptr_t>(wParam), static_cast<intptr_t>(lParam)));
}

LRESULT CMonitorWnd::OnWrongFirmware(WPARAM, LPARAM) {
    logic_.OnWrongFirmware();
    return 0;
}

LRESULT CMonitorWnd::OnSystrayNotify(WPARAM, LPARAM lParam) {
    switch (static_cast<UINT>(lParam)) {
        case WM_LBUTTONDOWN: {
            HWND popup = GetLastActivePopup(hwnd());
            if (IsIconic(popup)) ShowWindow(popup, SW_RESTORE);
            SetForegroundWindow(popup);
            SetActiveWindow(popup);
            break;
        }
        case WM_LBUTTONDBLCLK:
            DebugLine(std::string("OnSystrayNotify WM_LBUTTONDBLCLK\n"));
            OnCustomizer();
            break;
        case WM_RBUTTONDOWN:
            ShowTrayMenu();
            break;
        default:
            break;
    }
    return 0;
}

void CMonitorWnd::ShowTrayMenu() {
    // Without the foreground the menu would not close when clicked away.
    SetForegroundWindow(GetLastActivePopup(hwnd()));
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    AppendMenuA(menu, MF_STRING, ID_TRAY_OPEN, language_.Text(kTextTrayOpen).c_str());
    SetMenuDefaultItem(menu, ID_TRAY_OPEN, FALSE);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, ID_TRAY_EXIT, language_.Text(kTextTrayExit).c_str());
    POINT at = {};
    GetCursorPos(&at);
    TrackPopupMenu(menu, TPM_LEFTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
    PostMessageA(hwnd(), WM_NULL, 0, 0);
    DestroyMenu(menu);
}

void CMonitorWnd::OnCustomizer() {
    DebugLine(std::string("CMonitorWnd OnCustomizer\n"));
    HWND option = FindByTitle(kOptionWindowTitle);
    if (option) {
        DebugLine(std::string("CMonitorWnd OnCustomizer hWnd!=NULL\n"));
        if (IsIconic(option)) ShowWindow(option, SW_SHOWNORMAL);
        SetForegroundWindow(option);
        SetActiveWindow(option);
    } else {
        DebugLine(std::string("CMonitorWnd OnCustomizer hWnd==NULL\n"));
        OpenProgram(folder_ + "Option.exe", SW_SHOWNORMAL);
    }
}

// ---- MonitorEffects ----------------------------------------------------------

void CMonitorWnd::DebugLine(const std::string& line) {
    OutputDebugStringA(line.c_str());
}

bool CMonitorWnd::ReadBlock(SettingsStore& store) {
    return block_.Read(blockMutex_.Get(), store);
}

bool CMonitorWnd::WriteBlock(const SettingsStore& store) {
    return block_.Write(blockMutex_.Get(), store);
}

bool CMonitorWnd::PostToOption(unsigned message) {
    HWND option = FindByTitle(kOptionWindowTitle);
    return option && PostMessageA(option, message, 0, 0);
}

uintptr_t CMonitorWnd::OsdWindow() {
    return reinterpret_cast<uintptr_t>(FindByTitle(kOsdWindowTitle));
}

void CMonitorWnd::StartTimer(unsigned id, unsigned periodMs) {
    SetTimer(hwnd(), id, periodMs, nullptr);
}

void CMonitorWnd::KillTimer(unsigned id) {
    ::KillTimer(hwnd(), id);
}

bool CMonitorWnd::PostDeviceJob(unsigned job) {
    jobs_.HandOver(logic_.working());
    return deviceThread_.Post(TM_DEVICE_JOB, job, 0);
}

bool CMonitorWnd::PostPlayMacro() {
    return macroThread_.Post(TM_PLAY_MACRO, 0, 0);
}

void CMonitorWnd::PostOpenOption() {
    PostMessageA(hwnd(), WM_COMMAND, ID_TRAY_OPEN, 0);
}

// A button's program.
void CMonitorWnd::ShellOpen(const std::string& path) {
    OpenProgram(path, SW_SHOW);
}

void CMonitorWnd::OpenProgram(const std::string& path, int show) {
    // The shell finds what a path alone would not: a name on the search path,
    // a document, a web address.
    if (!OpenWithShell(path, show)) {
        DebugLine("Open failed (" + std::to_string(GetLastError()) + "): " + path + "\n");
    }
}

void CMonitorWnd::SaveCurrentProfile(int profile) {
    SaveCurrentProfileNumber(folder_, profile);
}

void CMonitorWnd::SaveActiveLevel(int index, const ProfileSettings& profile) {
    kestra::SaveActiveLevel(folder_, index, profile);
}

void CMonitorWnd::SaveDevicePresence(int state) {
    kestra::SaveDevicePresence(folder_, state == kDevicePresent);
}

bool CMonitorWnd::ReadOsdSettings(OsdSettings& osd) {
    return kestra::ReadOsdSettings(configPath_, osd);
}

void CMonitorWnd::AddTrayIcon() {
    if (trayIcon_) return;
    if (!smallIcon_) ExtractIconExA(OwnProgramPath().c_str(), 0, nullptr, &smallIcon_, 1);
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof data;
    data.hWnd = hwnd();
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = UM_TRAY_NOTIFY;
    data.hIcon = smallIcon_;
    CopyLanguageText(&language_, kTextTrayTip, data.szTip, sizeof data.szTip);
    trayIcon_ = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
    if (trayIcon_ && trayTip_.profile >= 0) ShowTrayTip(trayTip_);
}

namespace {

std::u16string FromCodePage(const std::string& text) {
    if (text.empty()) return u"";
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return u"";
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return std::u16string(wide.begin(), wide.end());
}

}  // namespace

void CMonitorWnd::ShowTrayTip(const TrayTipInfo& info) {
    trayTip_ = info;
    if (!trayIcon_) return;
    char product[128] = "";
    CopyLanguageText(&language_, kTextTrayTip, product, sizeof product);
    const std::u16string tip = TrayTipText(
        FromCodePage(product), FromCodePage(info.name), info,
        info.notAnswering ? FromCodePage(language_.Text(kTextNotAnswering)) : std::u16string());
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = hwnd();
    data.uID = kTrayIconId;
    data.uFlags = NIF_TIP;
    const size_t length = std::min(tip.size(), sizeof data.szTip / sizeof data.szTip[0] - 1);
    for (size_t i = 0; i < length; ++i) data.szTip[i] = static_cast<WCHAR>(tip[i]);
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void CMonitorWnd::RemoveTrayIcon() {
    if (!trayIcon_) return;
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof data;
    data.hWnd = hwnd();
    data.uID = kTrayIconId;
    Shell_NotifyIconA(NIM_DELETE, &data);
    trayIcon_ = false;
}

std::string CMonitorWnd::ForegroundProgram() {
    DWORD process = 0;
    HWND foreground = GetForegroundWindow();
    if (!foreground || !GetWindowThreadProcessId(foreground, &process) || !process) return "";
    // The same window of the same process is the same program: the list of
    // processes, the costly part, is read only when another one is in front.
    if (foreground == foregroundWindow_ && process == foregroundProcess_) return foregroundProgram_;
    const std::string program = ProgramOfProcess(process);
    if (!program.empty()) {  // a failed look is tried again next time
        foregroundWindow_ = foreground;
        foregroundProcess_ = process;
        foregroundProgram_ = program;
    }
    return program;
}

std::string CMonitorWnd::ProgramOfProcess(DWORD process) {
    // The process's own image path: one question, where the list of all
    // processes takes some 12 ms under Wine.
    KernelHandle handle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
    if (handle) {
        char path[2 * MAX_PATH] = {};
        DWORD size = sizeof path;
        if (QueryFullProcessImageNameA(handle.Get(), 0, path, &size) && size > 0 &&
            size < sizeof path) {
            const char* name = path + size;
            while (name > path && name[-1] != '\\' && name[-1] != '/') --name;
            if (*name) return name;
        }
    }
    // Processes that refuse even that question still show in the list.
    KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.Get() == INVALID_HANDLE_VALUE) {
        snapshot.Release();
        return "";
    }
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.Get(), &entry); more;
         more = Process32Next(snapshot.Get(), &entry)) {
        if (entry.th32ProcessID == process) {
            return std::string(entry.szExeFile, strnlen(entry.szExeFile, sizeof entry.szExeFile));
        }
    }
    return "";
}

CMonitorWnd* CMonitorWnd::foregroundWatcher_ = nullptr;

namespace {

// Wine (8.0) raises no foreground event of its own when a window comes to
// the front (it passes on those other programs raise), so there the 2-second
// look stays the program watch beside the hook.
bool ForegroundEventsRaised() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return !(ntdll && GetProcAddress(ntdll, "wine_get_version"));
}

}  // namespace

bool CMonitorWnd::HookForeground() {
    if (!foregroundHook_) {
        // Out of context: called on this thread from its message loop, with
        // no library loaded into other programs.
        foregroundHook_ =
            SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                            &CMonitorWnd::ForegroundChanged, 0, 0, WINEVENT_OUTOFCONTEXT);
        if (foregroundHook_) foregroundWatcher_ = this;
    }
    return foregroundHook_ && ForegroundEventsRaised();
}

void CMonitorWnd::UnhookForeground() {
    if (!foregroundHook_) return;
    UnhookWinEvent(foregroundHook_);
    foregroundHook_ = nullptr;
    foregroundWatcher_ = nullptr;
}

void CALLBACK CMonitorWnd::ForegroundChanged(HWINEVENTHOOK hook, DWORD, HWND, LONG, LONG, DWORD,
                                             DWORD) {
    CMonitorWnd* self = foregroundWatcher_;
    if (self && hook == self->foregroundHook_) self->logic_.OnForegroundChange();
}

// ---- PresenceEffects ---------------------------------------------------------

void CMonitorWnd::OpenFeatureDevice() {}
// The binding opens both channels together, in the order the mouse needs.
void CMonitorWnd::OpenReportDevice() {
    link_.OpenChannels();
}
void CMonitorWnd::CloseFeatureDevice() {}
void CMonitorWnd::CloseReportDevice() {
    link_.CloseChannels();
}

void CMonitorWnd::MarkAllChanged() {
    kestra::MarkAllChanged(logic_.working());
    jobs_.RequestFullApply();
}

void CMonitorWnd::StartArrivalTimer() {
    StartTimer(TIMER_ARRIVAL_SETTLE, kArrivalSettleMs);
}
void CMonitorWnd::KillArrivalTimer() {
    KillTimer(TIMER_ARRIVAL_SETTLE);
}
void CMonitorWnd::PostFirmwareCheck(int connection) {
    jobs_.HandOver(logic_.working());
    deviceThread_.Post(TM_DEVICE_JOB, DEVICE_JOB_FIRMWARE_CHECK, connection);
}
void CMonitorWnd::StartProgramWatch() {
    logic_.StartProgramWatch();
}
void CMonitorWnd::StopProgramWatch() {
    logic_.StopProgramWatch();
}
void CMonitorWnd::WriteDeviceKey(int value) {
    SaveDevicePresence(value);
}
void CMonitorWnd::CloseOptionWindow() {
    PostIfPresent(kOptionWindowTitle, WM_CLOSE);
}

void CMonitorWnd::DeviceStateChanged() {
    // The tray and the shell belong to the window thread.
    PostMessageA(hwnd(), UM_DEVICE_STATE_CHANGED, 0, 0);
}

void CMonitorWnd::PostDeviceStateToOption(unsigned long word) {
    PostIfPresent(kOptionWindowTitle, UM_DEVICE_STATE, static_cast<WPARAM>(word));
}

// ---- device thread -------------------------------------------------------------

void CMonitorWnd::DebugLine(const char* line) {
    OutputDebugStringA(line ? line : "");
}

void CMonitorWnd::ReportWrongFirmware() {
    // The question is the window thread's: shut-down waits for this thread,
    // and a box shown here could leave the two waiting on each other.
    PostMessageA(hwnd(), UM_WRONG_FIRMWARE, 0, 0);
}

bool CMonitorWnd::PostApplyDoneToOption() {
    return PostToOption(UM_APPLY_DONE);
}

void CMonitorWnd::PostApplyProgressToOption(int sent, int total, int remainingPauseMs) {
    HWND option = FindByTitle(kOptionWindowTitle);
    if (option == nullptr) return;
    PostMessageA(option, UM_APPLY_PROGRESS,
                 static_cast<WPARAM>(
                     PackApplyProgress(static_cast<unsigned>(sent), static_cast<unsigned>(total))),
                 static_cast<LPARAM>(remainingPauseMs));
}

void CMonitorWnd::ShowProfileSelected(int profile) {
    // The add-ons and the OSD settings belong to the window thread.
    PostMessageA(hwnd(), UM_PROFILE_SELECTED, static_cast<WPARAM>(profile), 0);
}

void CMonitorWnd::Sleep(int ms) {
    ::Sleep(static_cast<DWORD>(ms));
}

bool CMonitorWnd::AbortRequested() {
    return flags_.abort != 0;
}

// ---- window thread: the firmware question --------------------------------------

FirmwareAnswer CMonitorWnd::AskOkCancel(const char* text, const char* caption) {
    // The box's own message loop keeps Monitor at work: the mouse's events,
    // Option's Apply (the device thread answers it), the tray's Exit.
    const int answer = MessageBoxA(hwnd(), text, caption, MB_OKCANCEL | MB_ICONEXCLAMATION);
    // Ended meanwhile (Exit, WM_CLOSE, logoff): the box went with its owner.
    if (!hwnd()) return FirmwareAnswer::kClosed;
    return answer == IDOK ? FirmwareAnswer::kUpdate : FirmwareAnswer::kCancel;
}

void CMonitorWnd::ShellOpen(const char* path) {
    ShellExecuteA(nullptr, "open", path ? path : "", nullptr, nullptr, SW_SHOWNORMAL);
}

void CMonitorWnd::CloseMonitor() {
    PostMessageA(hwnd(), WM_CLOSE, 0, 0);
}

}  // namespace kestra
