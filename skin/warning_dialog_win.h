// The five skinned confirmation dialogs. The wording is part of each skin's
// images; entry "1" confirms (IDOK), the other entries cancel (IDCANCEL).
#pragma once

#include <windows.h>

#include <string>

#include "skin/skin_button_win.h"
#include "skin/skin_window_win.h"

namespace kestra {

enum class WarningKind { kClick, kResetCurrent, kResetAll, kMacroSet, kDeleteMacro };

const char* WarningSkinFile(WarningKind kind);

class WarningDialog : public SkinWindow {
public:
    WarningDialog(WarningKind kind, HWND owner);
    ~WarningDialog() override { DestroyOwnWindow(); }

    void SetMessage(const std::string& text) { message_ = text; }
    // Shows the dialog and returns IDOK or IDCANCEL once a button ends it.
    // The owner is disabled meanwhile.
    int RunModal() { return SkinWindow::RunModal(owner_); }

    int buttonCount() const { return buttonCount_; }
    SkinButton& button(int index) { return buttons_[index]; }

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc, const RECT& client) override;
    bool ErasesBackground() const override { return kind_ == WarningKind::kDeleteMacro; }
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    WarningKind kind_;
    HWND owner_;
    std::string message_;
    SkinButton buttons_[3];
    int buttonCount_;
    Font font_;
};

}  // namespace kestra
