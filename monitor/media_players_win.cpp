#include "monitor/media_players_win.h"

#include "settings/registry_key_win.h"
#include "settings/ipc_names.h"

namespace kestra {
namespace {

// Registered texts are read into buffers of this size.
constexpr DWORD kRegisteredTextBytes = 260;
// A hung player must not freeze Monitor's window thread: a message it has
// not taken within this time is given up.
constexpr UINT kPlayerAnswerMs = 500;

HWND AsWindow(PlayerWindow window) {
    return reinterpret_cast<HWND>(window);
}

}  // namespace

void ForceForeground(HWND window) {
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    const DWORD ours = GetCurrentThreadId();
    HWND foreground = GetForegroundWindow();
    const DWORD theirs = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    const bool attach = theirs != 0 && theirs != ours;
    if (attach) AttachThreadInput(theirs, ours, TRUE);
    SetForegroundWindow(window);
    if (attach) AttachThreadInput(theirs, ours, FALSE);
}

void SystemMediaEffects::KeyEvent(uint8_t virtualKey, uint32_t flags) {
    keybd_event(virtualKey, 0, flags, 0);
}

void SystemMediaEffects::StartVolumeRepeat() {
    SetTimer(owner_, TIMER_VOLUME_REPEAT, kVolumeRepeatMs, nullptr);
}

void SystemMediaEffects::StopVolumeRepeat() {
    KillTimer(owner_, TIMER_VOLUME_REPEAT);
}

std::string SystemMediaEffects::ReadMachineString(const std::string& key,
                                                  const std::string& value) {
    RegistryKey registry;
    if (!registry.Open("HKEY_LOCAL_MACHINE\\" + key, KEY_QUERY_VALUE, false)) return std::string();
    return registry.ReadString(value, kRegisteredTextBytes);
}

std::string SystemMediaEffects::ExpandEnvironment(const std::string& text) {
    if (text.empty()) return text;
    char expanded[MAX_PATH * 4];
    const DWORD length = ExpandEnvironmentStringsA(text.c_str(), expanded, sizeof expanded);
    if (length == 0 || length > sizeof expanded) return text;
    return expanded;
}

bool SystemMediaEffects::BringToFront(const std::string& title) {
    HWND window = FindWindowA(nullptr, title.c_str());
    if (!window) return false;
    ForceForeground(window);
    return true;
}

void SystemMediaEffects::Run(const std::string& commandLine) {
    WinExec(commandLine.c_str(), SW_SHOWNORMAL);
}

void SystemMediaEffects::PostAppCommand(uint32_t lParam) {
    PostMessageA(owner_, WM_APPCOMMAND, reinterpret_cast<WPARAM>(owner_),
                 static_cast<LPARAM>(lParam));
}

PlayerWindow SystemMediaEffects::FindPlayer(const char* className, const char* title) {
    return reinterpret_cast<PlayerWindow>(FindWindowA(className, title));
}

void SystemMediaEffects::SendCommand(PlayerWindow window, uint32_t id) {
    SendMessageTimeoutA(AsWindow(window), WM_COMMAND, static_cast<WPARAM>(id), 0,
                        SMTO_NORMAL | SMTO_ABORTIFHUNG, kPlayerAnswerMs, nullptr);
}

void SystemMediaEffects::SendKey(PlayerWindow window, bool keyUp, uint8_t virtualKey,
                                 uint32_t lParam, bool post) {
    const UINT message = keyUp ? WM_KEYUP : WM_KEYDOWN;
    // Through an unsigned 32-bit value, so that the transition bits stay
    // the same on 32-bit and 64-bit builds.
    const LPARAM value = static_cast<LPARAM>(static_cast<DWORD>(lParam));
    if (post)
        PostMessageA(AsWindow(window), message, virtualKey, value);
    else
        SendMessageTimeoutA(AsWindow(window), message, virtualKey, value,
                            SMTO_NORMAL | SMTO_ABORTIFHUNG, kPlayerAnswerMs, nullptr);
}

void SystemMediaEffects::PauseMs(int milliseconds) {
    Sleep(static_cast<DWORD>(milliseconds));
}

}  // namespace kestra
