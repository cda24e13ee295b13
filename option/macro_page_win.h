// Macro page (tab "37"): the macro library and the selected macro's steps,
// read only, and the button that opens the macro manager, where macros are
// recorded and edited. Entries: "10" the macro list, "20" the step list,
// "11" the manager button.
#pragma once

#include "keys/key_names_win.h"
#include "option/option_page_win.h"
#include "skin/skin_button_win.h"
#include "skin/skin_list_win.h"

namespace kestra {

class CMacroPage : public COptionPage {
public:
    ~CMacroPage() override { DestroyOwnWindow(); }
    explicit CMacroPage(OptionContext& context) : COptionPage("skin_macro_page.ini", context) {}

    void Refresh() override;

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void ShowSteps();

    SystemKeyboardLayout layout_;
    SkinListBox macros_;
    SkinListBox steps_;
    SkinButton manage_;
};

}  // namespace kestra
