// The shortcut dialog ("skin_shortcut.ini"): the key of a key combination and
// its five flags. While it is open a low-level keyboard hook takes every key,
// so that combinations the system or other programs would act on can be
// captured too. Entry "10" the key name, "2" OK, "3" Cancel, "4" the corner
// cross (cancels), "5".."9" the flags key alone, Shift, Ctrl, Alt, Windows.
#pragma once

#include <windows.h>

#include <cstdint>

#include "keys/key_names_win.h"
#include "skin/bitmap_edit_win.h"
#include "skin/gdi_win.h"
#include "skin/skin_button_win.h"
#include "skin/skin_dialog_win.h"

namespace kestra {

// A key captured by the hook: wParam the virtual key, lParam 0x80 on release.
constexpr UINT UM_SHORTCUT_KEY = 0x40A;

class CShortcutDialog : public SkinDialog {
public:
    CShortcutDialog(HWND owner, uint8_t key, const uint8_t flags[5]);
    ~CShortcutDialog() override;

    uint8_t key() const { return key_; }
    const uint8_t* flags() const { return flags_; }

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool PreTranslateModalMessage(const MSG& msg) override;
    // The system-wide keyboard hook; null where it cannot be installed.
    virtual HHOOK InstallHook();

private:
    static constexpr int kFlagCount = 5;
    static LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam);
    void ShowFlags();
    void ShowKey(uint32_t virtualKey);
    void RemoveHook();

    uint8_t key_;
    uint8_t flags_[kFlagCount];
    SystemKeyboardLayout layout_;
    Hook hook_;
    BitmapEdit edit_;                // "10"
    SkinButton checks_[kFlagCount];  // "5".."9"
};

}  // namespace kestra
