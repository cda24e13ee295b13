#include "option/shortcut_dialog_win.h"

#include <cstdio>
#include <cstring>

#include "option/button_assignment.h"
#include "keys/key_names.h"

namespace kestra {
namespace {

constexpr int kEditEntry = 10;
constexpr int kOkEntry = 2;
constexpr int kCancelEntry = 3;
constexpr int kCloseEntry = 4;
constexpr int kFirstCheckEntry = 5;
constexpr int kEditControlId = 301;

// The dialog the hook posts to; one shortcut dialog is open at a time.
HWND g_hookTarget = nullptr;

// A window's key message names Shift, Ctrl and Alt without their side; the
// key table (like the hook) knows only the sided keys.
uint32_t SidedVirtualKey(WPARAM virtualKey, LPARAM keyData) {
    const bool extended = (keyData & 0x01000000) != 0;
    switch (virtualKey) {
    case VK_SHIFT:
        return MapVirtualKeyA((keyData >> 16) & 0xFF, MAPVK_VSC_TO_VK_EX) == VK_RSHIFT ? VK_RSHIFT
                                                                                       : VK_LSHIFT;
    case VK_CONTROL:
        return extended ? VK_RCONTROL : VK_LCONTROL;
    case VK_MENU:
        return extended ? VK_RMENU : VK_LMENU;
    default:
        return static_cast<uint32_t>(virtualKey);
    }
}

}  // namespace

CShortcutDialog::CShortcutDialog(HWND owner, uint8_t key, const uint8_t flags[5])
    : SkinDialog("skin_shortcut.ini", owner), key_(key) {
    for (int j = 0; j < kFlagCount; ++j) flags_[j] = flags[j] ? 1 : 0;
}

CShortcutDialog::~CShortcutDialog() {
    DestroyOwnWindow();
    RemoveHook();
}

LRESULT CALLBACK CShortcutDialog::KeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && g_hookTarget != nullptr) {
        const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        PostMessageA(g_hookTarget, UM_SHORTCUT_KEY, event->vkCode, event->flags & LLKHF_UP);
        char line[16];
        snprintf(line, sizeof line, "%lx\n", static_cast<unsigned long>(event->vkCode));
        OutputDebugStringA(line);
        return 1;  // no other program sees the key
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CShortcutDialog::RemoveHook() {
    if (!hook_) return;
    char line[64];
    const HHOOK handle = hook_.get();
    const bool removed = UnhookWindowsHookEx(hook_.release()) != 0;
    snprintf(line, sizeof line, "%p %s", static_cast<void*>(handle),
             removed ? "UnHhook: Success \r\n" : "UnHhook: Fail \r\n");
    OutputDebugStringA(line);
    g_hookTarget = nullptr;
}

void CShortcutDialog::PlaceControls(const SkinFile& file, const SkinStateImages& images) {
    SetWindowTextA(hwnd(), "Q.VENO Shortcut Dialog");
    PlaceDialogButtons(file, images, kOkEntry, kCancelEntry, kCloseEntry);
    for (int j = 0; j < kFlagCount; ++j) {
        PlaceButton(checks_[j], file.ReadEntry(kFirstCheckEntry + j), images);
        checks_[j].SetToggleMode(true);
    }
    const SkinRect r = file.ReadEntry(kEditEntry).rect;
    if (r.right > r.left &&
        edit_.Create(hwnd(), RECT{r.left + 4, r.top + 4, r.right - 4, r.bottom - 2}, WS_VISIBLE,
                     kEditControlId)) {
        edit_.SetColours(0x000000, 0xFFFFFF);
        edit_.ApplyFont();
    }
    uint32_t virtualKey = 0;
    KeyIndexToVirtualKey(key_, layout_, virtualKey);
    edit_.SetText(KeyName(virtualKey));
    ShowFlags();
    // Without the hook the dialog still takes the keys that reach its own
    // window (PreTranslateModalMessage); only those the system keeps for
    // itself, such as Alt+Tab, are then out of reach.
    g_hookTarget = hwnd();
    hook_.reset(InstallHook());
    if (!hook_) g_hookTarget = nullptr;
}

HHOOK CShortcutDialog::InstallHook() {
    return SetWindowsHookExA(WH_KEYBOARD_LL, &KeyboardHook, GetModuleHandleA(nullptr), 0);
}

bool CShortcutDialog::PreTranslateModalMessage(const MSG& msg) {
    if (hook_) return false;
    const bool keyMessage = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN ||
                            msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP ||
                            msg.message == WM_CHAR || msg.message == WM_SYSCHAR;
    if (!keyMessage || (msg.hwnd != hwnd() && !IsChild(hwnd(), msg.hwnd))) return false;
    // Key names come from the key itself; characters never reach the edit.
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        ShowKey(SidedVirtualKey(msg.wParam, msg.lParam));
    }
    return true;
}

void CShortcutDialog::ShowFlags() {
    for (int j = 0; j < kFlagCount; ++j) {
        const bool enabled = ModifierCheckEnabled(flags_, j);
        checks_[j].SetCheck(flags_[0] ? (j == 0 ? 1 : 0) : flags_[j]);
        checks_[j].Enable(enabled);
        if (checks_[j].hwnd()) InvalidateRect(checks_[j].hwnd(), nullptr, FALSE);
    }
}

void CShortcutDialog::ShowKey(uint32_t virtualKey) {
    // A key the table has no row for is stored as 0: it shows as nothing,
    // never by a name that OK would not keep.
    const bool known = VirtualKeyToKeyIndex(virtualKey, layout_, key_);
    edit_.SetText(known ? KeyName(virtualKey) : std::string());
}

LRESULT CShortcutDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == UM_SHORTCUT_KEY) {
        ShowKey(static_cast<uint32_t>(wParam));
        return 0;
    }
    if (message == WM_DESTROY) RemoveHook();
    return SkinDialog::OnMessage(message, wParam, lParam);
}

LRESULT CShortcutDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    const HWND from = reinterpret_cast<HWND>(lParam);
    if (from != nullptr && HIWORD(wParam) == BN_CLICKED) {
        for (int j = 0; j < kFlagCount; ++j) {
            if (from == checks_[j].hwnd()) {
                flags_[j] = checks_[j].checked() ? 1 : 0;
                ShowFlags();
                return 0;
            }
        }
    }
    return SkinDialog::OnCommand(wParam, lParam);
}

}  // namespace kestra
