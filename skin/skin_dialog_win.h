// A skinned modal dialog: a SkinWindow with OK, Cancel and the corner cross.
// Cancel, the cross and a close from the system end it with IDCANCEL; OK ends
// it with IDOK once the dialog has taken what it shows (OnOk).
#pragma once

#include <windows.h>

#include <string>

#include "skin/skin_button_win.h"
#include "skin/skin_window_win.h"

namespace kestra {

class SkinDialog : public SkinWindow {
public:
    SkinDialog(std::string skinFileName, HWND owner)
        : SkinWindow(std::move(skinFileName)), owner_(owner) {}
    ~SkinDialog() override { DestroyOwnWindow(); }

    // IDOK or IDCANCEL; the owner is disabled meanwhile.
    int RunModal() { return SkinWindow::RunModal(owner_); }

    SkinButton& okButton() { return ok_; }

protected:
    // Creates OK, Cancel and the corner cross from their entries.
    void PlaceDialogButtons(const SkinFile& file, const SkinStateImages& images, int okEntry,
                            int cancelEntry, int closeEntry);
    // OK was pressed: take the shown values; false keeps the dialog open.
    virtual bool OnOk() { return true; }
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    HWND owner() const { return owner_; }

private:
    HWND owner_;
    SkinButton ok_;
    SkinButton cancel_;
    SkinButton close_;
};

}  // namespace kestra
