#include "tests/windows/e2e_harness_win.h"

#include <commctrl.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <sstream>

#include "settings/file_system.h"
#include "settings/ini_file.h"
#include "settings/ipc_names.h"
#include "settings/settings_files.h"
#include "settings/shared_block_win.h"
#include "skin/skin_file.h"
#include "vmouse/vmouse_wire.h"

namespace kestra {
namespace e2e {
namespace {

std::string WithSlash(std::string path) {
    if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
    return path;
}

bool CopyTree(const std::string& from, const std::string& to) {
    if (!CreateDirectoryA(to.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((from + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        // Settings of an earlier run are never part of a fresh folder.
        if (name == "config" || name == "config.ini") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ok = CopyTree(from + name + "\\", to + name + "\\") && ok;
        } else {
            ok = CopyFileA((from + name).c_str(), (to + name).c_str(), FALSE) && ok;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return ok;
}

void DeleteTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(path + "\\");
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The observer's keys, shared between its hook thread and the test.
struct KeyRecord {
    std::mutex lock;
    std::vector<ObservedKey> keys;
};
KeyRecord* g_keys = nullptr;

LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && g_keys) {
        const KBDLLHOOKSTRUCT* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        std::lock_guard<std::mutex> guard(g_keys->lock);
        g_keys->keys.push_back(
            {key->vkCode, wParam == WM_KEYUP || wParam == WM_SYSKEYUP, key->time, PreciseNowMs()});
        return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

double PreciseNowMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / ticksPerMs;
}

std::string StagedProgramFolder() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string folder = DirectoryOf(self);  // ...\tests\ of the build tree
    if (folder.size() > 1) folder.pop_back();
    return DirectoryOf(folder) + "program\\";
}

// ---- ProgramFolder ------------------------------------------------------------

ProgramFolder::ProgramFolder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    static unsigned counter = 0;
    char name[64];
    snprintf(name, sizeof name, "kestra-e2e-%lu-%u", GetCurrentProcessId(), ++counter);
    path_ = WithSlash(temp) + name + "\\";
    DeleteTree(path_);
    ok_ = CopyTree(StagedProgramFolder(), path_);
}

ProgramFolder::ProgramFolder(const std::string& existing)
    : path_(WithSlash(existing)), owned_(false) {
    const DWORD attributes = GetFileAttributesA(path_.c_str());
    ok_ = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

namespace {

// Calls `visit` with a handle (query, terminate, synchronize) of every process
// whose program lies in `folder`.
template <typename Visit>
void ForEachProcessIn(const std::string& folder, Visit visit) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        HANDLE process =
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                        entry.th32ProcessID);
        if (!process) continue;
        char image[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (QueryFullProcessImageNameA(process, 0, image, &size) &&
            _strnicmp(image, folder.c_str(), folder.size()) == 0) {
            visit(process);
        }
        CloseHandle(process);
    }
    CloseHandle(snapshot);
}

}  // namespace

int ProgramsRunningIn(const ProgramFolder& folder) {
    int running = 0;
    ForEachProcessIn(folder.path(), [&](HANDLE process) {
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) ++running;
    });
    return running;
}

ProgramFolder::~ProgramFolder() {
    if (!owned_) return;
    // What a killed Monitor leaves behind (its display program and applets)
    // would otherwise outlive the test, keep the folder, and hold the test
    // runner's output open.
    ForEachProcessIn(path_, [](HANDLE process) {
        TerminateProcess(process, 255);
        WaitForSingleObject(process, 5000);
    });
    DeleteTree(path_);
}

bool ProgramFolder::Has(const std::string& relative) const {
    return GetFileAttributesA(File(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// ---- Process ------------------------------------------------------------------

Process::~Process() {
    Kill();
}

Process::Process(Process&& other) noexcept : process_(other.process_), id_(other.id_) {
    other.process_ = nullptr;
    other.id_ = 0;
}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Kill();
        process_ = other.process_;
        id_ = other.id_;
        other.process_ = nullptr;
        other.id_ = 0;
    }
    return *this;
}

namespace {

// Starts `program` in its own folder. Wine now and then refuses a start with
// an internal error (about one in a few hundred here) that the same call
// right after does not meet: a test must not fail on it.
bool StartInItsFolder(const std::string& program, const std::string& arguments, BOOL inheritHandles,
                      STARTUPINFOA* startup, PROCESS_INFORMATION* info) {
    std::string line = "\"" + program + "\"";
    if (!arguments.empty()) line += " " + arguments;
    const std::string folder = DirectoryOf(program);
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt > 0) Sleep(100);
        std::vector<char> mutableLine(line.begin(), line.end());
        mutableLine.push_back('\0');
        if (CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, inheritHandles, 0,
                           nullptr, folder.c_str(), startup, info)) {
            return true;
        }
        const DWORD error = GetLastError();
        fprintf(stderr, "cannot start %s: error %lu\n", line.c_str(),
                static_cast<unsigned long>(error));
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) break;
    }
    return false;
}

}  // namespace

bool Process::Start(const std::string& program, const std::string& arguments) {
    Kill();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!StartInItsFolder(program, arguments, FALSE, &startup, &info)) return false;
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
    return true;
}

bool Process::running() const {
    return process_ && !Wait(0);
}

bool Process::Wait(DWORD timeoutMs) const {
    return !process_ || WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

DWORD Process::exitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) GetExitCodeProcess(process_, &code);
    return code;
}

void Process::Kill() {
    if (!process_) return;
    if (!Wait(0)) {
        TerminateProcess(process_, 255);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
    process_ = nullptr;
    id_ = 0;
}

RunResult Run(const std::string& program, const std::string& arguments, DWORD timeoutMs) {
    RunResult result;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    HANDLE errorReadEnd = nullptr, errorWriteEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return result;
    if (!CreatePipe(&errorReadEnd, &errorWriteEnd, &inherit, 0)) {
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        return result;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errorReadEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = errorWriteEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION info = {};
    const bool started = StartInItsFolder(program, arguments, TRUE, &startup, &info);
    CloseHandle(writeEnd);
    CloseHandle(errorWriteEnd);
    if (!started) {
        CloseHandle(readEnd);
        CloseHandle(errorReadEnd);
        return result;
    }
    CloseHandle(info.hThread);
    // Both read until the child closes its ends; a log can be larger than a
    // pipe's buffer, so neither may wait for the other.
    auto readAll = [](HANDLE from, std::string& into) {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(from, buffer, sizeof buffer, &got, nullptr) && got > 0)
            into.append(buffer, got);
        CloseHandle(from);
    };
    std::thread errors(readAll, errorReadEnd, std::ref(result.errors));
    readAll(readEnd, result.output);
    errors.join();
    if (WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(info.hProcess, &code);
        result.exitCode = static_cast<int>(code);
    } else {
        TerminateProcess(info.hProcess, 255);
    }
    CloseHandle(info.hProcess);
    return result;
}

// ---- VirtualMouse -------------------------------------------------------------

void AskForVirtualMouse() {
    SetEnvironmentVariableA(vmouse::kVirtualMouseVariable, "1");
}

WithoutEnvironmentVariable::WithoutEnvironmentVariable(const char* name) : name_(name) {
    char value[4096];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    had_ = length > 0 && length < sizeof value;
    if (had_) value_.assign(value, length);
    SetEnvironmentVariableA(name, nullptr);
}

WithoutEnvironmentVariable::~WithoutEnvironmentVariable() {
    SetEnvironmentVariableA(name_.c_str(), had_ ? value_.c_str() : nullptr);
}

VirtualMouse::~VirtualMouse() {
    if (started_) Stop();
}

RunResult VirtualMouse::Call(const std::string& arguments) {
    RunResult result = Run(program_, arguments);
    // A failed call says how it ended: a message of its own, a crash, or no end.
    if (result.exitCode != 0) {
        fprintf(stderr, "vmouse %s: exit code %d (0x%08X)\n", arguments.c_str(), result.exitCode,
                static_cast<unsigned>(result.exitCode));
    }
    return result;
}

bool VirtualMouse::Start(const std::string& firmware) {
    const bool ok = Call(firmware.empty() ? "start" : "start --firmware " + firmware).exitCode == 0;
    started_ = started_ || ok;
    return ok;
}

bool VirtualMouse::Stop() {
    started_ = false;
    return Call("stop").exitCode == 0;
}

bool VirtualMouse::Plug() {
    return Call("plug").exitCode == 0;
}
bool VirtualMouse::Unplug() {
    return Call("unplug").exitCode == 0;
}

bool VirtualMouse::Bounce(unsigned count, unsigned gapMs) {
    return Call("bounce " + std::to_string(count) + " " + std::to_string(gapMs)).exitCode == 0;
}

bool VirtualMouse::UnplugAfter(unsigned count) {
    return Call("unplug-after " + std::to_string(count)).exitCode == 0;
}

bool VirtualMouse::Refuse(bool on) {
    return Call(on ? "refuse on" : "refuse off").exitCode == 0;
}

bool VirtualMouse::Event(uint16_t code, uint16_t value) {
    char arguments[48];
    snprintf(arguments, sizeof arguments, "event 0x%04X 0x%04X", code, value);
    return Call(arguments).exitCode == 0;
}

std::vector<std::string> VirtualMouse::Log() {
    std::vector<std::string> lines;
    std::istringstream text(Call("log").output);
    std::string line;
    while (std::getline(text, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

bool VirtualMouse::ClearLog() {
    return Call("log --clear").exitCode == 0;
}
std::string VirtualMouse::State() {
    return Call("state").output;
}

int VirtualMouse::LibrarySubscriptions() {
    const std::string state = State();
    const char kLine[] = "library subscriptions: ";
    const size_t at = state.find(kLine);
    if (at == std::string::npos) return -1;
    return atoi(state.c_str() + at + sizeof kLine - 1);
}

size_t CountPrefix(const std::vector<std::string>& log, const std::string& prefix) {
    return static_cast<size_t>(std::count_if(log.begin(), log.end(), [&](const std::string& l) {
        return l.compare(0, prefix.size(), prefix) == 0;
    }));
}

bool LogHas(VirtualMouse& mouse, const std::string& prefix) {
    return CountPrefix(mouse.Log(), prefix) > 0;
}

// ---- waiting and observing ----------------------------------------------------

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD begin = GetTickCount();
    for (;;) {
        PumpMessages();
        if (condition()) return true;
        if (GetTickCount() - begin >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

void SettleInput(DWORD minimumMs, DWORD limitMs) {
    WaitUntil([] { return false; }, minimumMs);
    int quiet = 0;
    // Twice empty, a little apart: a message handled may post the next one.
    WaitUntil(
        [&] {
            const DWORD waiting =
                HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE | QS_SENDMESSAGE | QS_PAINT));
            quiet = waiting == 0 ? quiet + 1 : 0;
            return quiet >= 2;
        },
        limitMs);
}

HWND WaitForWindow(const char* title, DWORD timeoutMs) {
    HWND window = nullptr;
    WaitUntil([&] { return (window = FindWindowA(nullptr, title)) != nullptr; }, timeoutMs);
    return window;
}

bool WaitForNoWindow(const char* title, DWORD timeoutMs) {
    return WaitUntil([&] { return FindWindowA(nullptr, title) == nullptr; }, timeoutMs);
}

MessageRecorder::MessageRecorder(const char* title) {
    WNDCLASSA cls = {};
    cls.lpfnWndProc = &MessageRecorder::Proc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "KestraMessageRecorder";
    RegisterClassA(&cls);  // fails harmlessly once registered
    window_ = CreateWindowExA(WS_EX_TOOLWINDOW, cls.lpszClassName, title ? title : "",
                              title ? WS_OVERLAPPEDWINDOW : 0, 0, 0, 200, 100,
                              title ? nullptr : HWND_MESSAGE, nullptr, cls.hInstance, nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

MessageRecorder::~MessageRecorder() {
    if (window_) DestroyWindow(window_);
}

int MessageRecorder::Count(UINT message) const {
    return static_cast<int>(
        std::count_if(messages_.begin(), messages_.end(),
                      [&](const RecordedMessage& m) { return m.message == message; }));
}

int MessageRecorder::Count(UINT message, WPARAM wParam) const {
    return static_cast<int>(std::count_if(
        messages_.begin(), messages_.end(),
        [&](const RecordedMessage& m) { return m.message == message && m.wParam == wParam; }));
}

int MessageRecorder::Find(UINT message, WPARAM wParam, size_t from) const {
    for (size_t i = from; i < messages_.size(); ++i) {
        if (messages_[i].message == message && messages_[i].wParam == wParam)
            return static_cast<int>(i);
    }
    return -1;
}

LRESULT CALLBACK MessageRecorder::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MessageRecorder* self =
        reinterpret_cast<MessageRecorder*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && (message >= WM_USER || message == WM_CLOSE)) {
        self->messages_.push_back({message, wParam, lParam, PreciseNowMs()});
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool ReadSharedBlock(SettingsStore& store) {
    KernelHandle mutex = OpenBlockMutex();
    SharedSettingsBlock block;
    if (!mutex || block.Open() != SharedSettingsBlock::kMapped) return false;
    return block.Read(mutex.Get(), store);
}

// ---- MonitorProgram -----------------------------------------------------------

bool KeepNotificationAreaIcon() {
    // The icon is left to the shell, which drops it with the process:
    // taking it away would cost the same two seconds.
    static const bool kept = [] {
        HWND owner = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr,
                                     nullptr, nullptr, nullptr);
        NOTIFYICONDATAA data = {};
        data.cbSize = sizeof data;
        data.hWnd = owner;
        data.uID = 1;
        data.uFlags = NIF_ICON;
        data.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
        return owner && Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
    }();
    return kept;
}

bool HasNotificationIcon(HWND owner, UINT id) {
    // A modification that changes nothing succeeds only for an icon that is there.
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = id;
    return owner && Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

namespace {

struct TooltipSearch {
    DWORD process;
    std::vector<HWND> found;
};
BOOL CALLBACK FindTooltip(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<TooltipSearch*>(data);
    char name[32] = "";
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    GetClassNameA(window, name, sizeof name);
    if (process == search.process && strcmp(name, TOOLTIPS_CLASSA) == 0) {
        search.found.push_back(window);
    }
    return TRUE;
}

}  // namespace

std::vector<std::wstring> NotificationAreaTips() {
    std::vector<std::wstring> tips;
    HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
    TooltipSearch search = {0, {}};
    if (tray == nullptr || !GetWindowThreadProcessId(tray, &search.process)) return tips;
    EnumWindows(&FindTooltip, reinterpret_cast<LPARAM>(&search));
    // The tool records and their texts must live in the shell's own memory.
    KernelHandle shell(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                                   search.process));
    if (!shell) return tips;
    constexpr size_t kTextChars = 256;
    auto* remote = static_cast<uint8_t*>(
        VirtualAllocEx(shell.Get(), nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
    if (remote == nullptr) return tips;
    auto* remoteText = reinterpret_cast<WCHAR*>(remote + 1024);
    for (HWND tooltip : search.found) {
        const LRESULT count = SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            TTTOOLINFOW tool = {};
            tool.cbSize = sizeof tool;
            tool.lpszText = remoteText;
            SIZE_T moved = 0;
            if (!WriteProcessMemory(shell.Get(), remote, &tool, sizeof tool, &moved) ||
                !SendMessageW(tooltip, TTM_ENUMTOOLSW, static_cast<WPARAM>(i),
                              reinterpret_cast<LPARAM>(remote)) ||
                !ReadProcessMemory(shell.Get(), remote, &tool, sizeof tool, &moved)) {
                continue;
            }
            tool.lpszText = remoteText;
            WCHAR empty[1] = {0};
            WriteProcessMemory(shell.Get(), remoteText, empty, sizeof empty, &moved);
            WriteProcessMemory(shell.Get(), remote, &tool, sizeof tool, &moved);
            SendMessageW(tooltip, TTM_GETTEXTW, kTextChars, reinterpret_cast<LPARAM>(remote));
            WCHAR text[kTextChars] = {};
            if (ReadProcessMemory(shell.Get(), remoteText, text, sizeof text - sizeof(WCHAR),
                                  &moved)) {
                tips.emplace_back(text);
            }
        }
    }
    VirtualFreeEx(shell.Get(), remote, 0, MEM_RELEASE);
    return tips;
}

bool MonitorProgram::Start(const std::string& arguments) {
    KeepNotificationAreaIcon();
    if (!process_.Start(folder_.File("Monitor.exe"), arguments)) return false;
    return WaitUntil([&] { return window() != nullptr || !process_.running(); }, 20000) &&
           window() != nullptr;
}

HWND MonitorProgram::window() const {
    return FindWindowA(nullptr, kMonitorWindowTitle);
}

bool MonitorProgram::Close(DWORD timeoutMs) {
    if (!process_.running()) return true;
    HWND monitor = window();
    if (monitor) PostMessageA(monitor, WM_COMMAND, ID_TRAY_EXIT, 0);
    const bool ended = WaitUntil([&] { return !process_.running(); }, timeoutMs);
    if (!ended) process_.Kill();
    return ended;
}

// ---- KeyObserver --------------------------------------------------------------

KeyObserver::KeyObserver() {
    g_keys = new KeyRecord();
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &KeyObserver::Thread, this, 0, &threadId_);
    if (thread_) WaitForSingleObject(ready_, 5000);
}

KeyObserver::~KeyObserver() {
    if (thread_) {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
    }
    if (ready_) CloseHandle(ready_);
    delete g_keys;
    g_keys = nullptr;
}

DWORD WINAPI KeyObserver::Thread(LPVOID p) {
    KeyObserver* self = static_cast<KeyObserver*>(p);
    // The hook is called on this thread, which therefore only pumps messages.
    HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardHook, GetModuleHandleA(nullptr), 0);
    self->hooked_ = hook != nullptr;
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before we say so
    SetEvent(self->ready_);
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    if (hook) UnhookWindowsHookEx(hook);
    return 0;
}

std::vector<ObservedKey> KeyObserver::Keys() const {
    std::lock_guard<std::mutex> guard(g_keys->lock);
    return g_keys->keys;
}

std::string KeyObserver::Describe() const {
    std::string text;
    for (const ObservedKey& key : Keys())
        text += (key.up ? "-" : "+") + std::to_string(key.virtualKey) + " ";
    return text;
}

void KeyObserver::Clear() {
    std::lock_guard<std::mutex> guard(g_keys->lock);
    g_keys->keys.clear();
}

// ---- settings files -----------------------------------------------------------

void WriteSettings(const ProgramFolder& folder, const std::function<void(SettingsStore&)>& edit) {
    std::unique_ptr<SettingsStore> store(new SettingsStore());
    ClearStore(*store);
    ResetAllProfiles(*store);
    store->MouseType = 0;
    if (edit) edit(*store);
    SaveStore(folder.path(), *store);
}

int ReadConfigInt(const ProgramFolder& folder, const char* key, int fallback, const char* section) {
    return IniFile(ConfigIniPath(folder.path())).GetInt(section, key, fallback);
}

std::string BmpBytes(int w, int h, const PixelFn& pixel) {
    const int stride = (w * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + stride * h;
    info.biSize = sizeof(info);
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
    for (int row = h - 1; row >= 0; --row) {
        std::string line(stride, '\0');
        for (int x = 0; x < w; ++x) {
            const COLORREF c = pixel(x, row);
            line[x * 3] = static_cast<char>(GetBValue(c));
            line[x * 3 + 1] = static_cast<char>(GetGValue(c));
            line[x * 3 + 2] = static_cast<char>(GetRValue(c));
        }
        bytes += line;
    }
    return bytes;
}

std::string Observed(const ProgramFolder& folder, VirtualMouse& mouse) {
    std::string config;
    ReadWholeFile(ConfigIniPath(folder.path()), config);
    const size_t setting = config.find("[Setting]");
    if (setting != std::string::npos) {
        const size_t next = config.find("\n[", setting);
        config = config.substr(setting,
                               next == std::string::npos ? std::string::npos : next + 1 - setting);
    }
    const std::vector<std::string> log = mouse.Log();
    const size_t shown = log.size() < 12 ? log.size() : 12;
    std::string text = "\n--- config.ini\n" + config + "\n--- vmouse state\n" + mouse.State() +
                       "--- vmouse log: " + std::to_string(log.size()) + " reports, the last " +
                       std::to_string(shown) + ":\n";
    for (size_t i = log.size() - shown; i < log.size(); ++i) text += log[i] + "\n";
    return text;
}

// ---- real pointer input at skin places ------------------------------------

RECT SkinEntryRect(const ProgramFolder& folder, const char* skinFile, int entry) {
    const SkinFile file(folder.File("skins\\") + skinFile);
    SkinRect r = file.ReadEntry(entry).rect;
    if (r.right <= r.left || r.bottom <= r.top) file.ReadArea(entry, r);
    return RECT{r.left, r.top, r.right, r.bottom};
}

POINT ScreenPoint(const SkinPlace& place, int x, int y) {
    POINT p = {place.origin.x + x, place.origin.y + y};
    ClientToScreen(place.window, &p);
    return p;
}

namespace {

void SendPointer(DWORD flags, POINT screen) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    const int w = GetSystemMetrics(SM_CXSCREEN);
    const int h = GetSystemMetrics(SM_CYSCREEN);
    // Rounded up: the system truncates on the way back, and a pixel to the
    // left would be another slider value.
    in.mi.dx = static_cast<LONG>((screen.x * 65536LL + w - 1) / w);
    in.mi.dy = static_cast<LONG>((screen.y * 65536LL + h - 1) / h);
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof(INPUT));
    // Lets the other program take the input before the next step.
    WaitUntil([] { return false; }, 40);
}

}  // namespace

void MovePointerTo(POINT screen) {
    SendPointer(0, screen);
}

void ClickOnScreen(POINT screen) {
    MovePointerTo(screen);
    SendPointer(MOUSEEVENTF_LEFTDOWN, screen);
    SendPointer(MOUSEEVENTF_LEFTUP, screen);
    // Away again, so the next click is not taken for the second of a double click.
    WaitUntil([] { return false; }, 250);
}

void DragOnScreen(POINT from, POINT to) {
    MovePointerTo(from);
    SendPointer(MOUSEEVENTF_LEFTDOWN, from);
    const int steps = (std::max(std::abs(to.x - from.x), std::abs(to.y - from.y)) + 5) / 6;
    for (int i = 1; i <= steps; ++i) {
        MovePointerTo({from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
    }
    SendPointer(MOUSEEVENTF_LEFTUP, to);
    WaitUntil([] { return false; }, 250);
}

void ClickSkinEntry(const ProgramFolder& folder, const char* skinFile, int entry,
                    const SkinPlace& place) {
    const RECT r = SkinEntryRect(folder, skinFile, entry);
    ClickOnScreen(ScreenPoint(place, (r.left + r.right) / 2, (r.top + r.bottom) / 2));
}

void SendKey(WORD virtualKey, bool up) {
    INPUT key = {};
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = virtualKey;
    key.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &key, sizeof key);
}

void PressKey(WORD virtualKey) {
    SendKey(virtualKey, false);
    SendKey(virtualKey, true);
    SettleInput();
}

namespace {
BOOL CALLBACK FindMenuWindow(HWND window, LPARAM found) {
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (strcmp(name, "#32768") != 0 || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}
}  // namespace

bool MenuOpen() {
    bool found = false;
    EnumWindows(&FindMenuWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string LogLine(const char* kind, const uint8_t* bytes, size_t count) {
    std::string line = kind;
    char digits[4];
    for (size_t i = 0; i < count; ++i) {
        snprintf(digits, sizeof digits, " %02X", bytes[i]);
        line += digits;
    }
    return line;
}

HWND WaitForForegroundDialog(DWORD processId, HWND main, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            HWND w = GetForegroundWindow();
            DWORD process = 0;
            GetWindowThreadProcessId(w, &process);
            if (w != nullptr && w != main && process == processId) found = w;
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

void TypeText(const std::string& text) {
    for (char c : text) {
        INPUT key[2] = {};
        key[0].type = key[1].type = INPUT_KEYBOARD;
        key[0].ki.wScan = key[1].ki.wScan = static_cast<unsigned char>(c);
        key[0].ki.dwFlags = KEYEVENTF_UNICODE;
        key[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(2, key, sizeof(INPUT));
    }
    SettleInput();
}

UserThread::UserThread(std::function<bool()> script, std::function<void()> giveUp)
    : thread_([this, script, giveUp] {
          done_ = script();
          if (done_) return;
          for (int i = 0; i < 3; ++i) PressKey(VK_ESCAPE);
          if (giveUp) giveUp();
      }) {}

bool PickMenuEntry(int position, DWORD timeoutMs) {
    if (!WaitUntil(MenuOpen, timeoutMs)) return false;
    for (int i = 0; i <= position; ++i) PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    return WaitUntil([] { return !MenuOpen(); }, timeoutMs);
}

}  // namespace e2e
}  // namespace kestra
