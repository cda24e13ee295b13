// The macro chooser ("skin_select_macro.ini"): which macro of the list a
// button plays, and its play option. Entry "1" OK, "2" Cancel, "3" the
// corner cross (cancels), "4" the macro box (a click opens the list), "5".."7"
// the play options 0..2.
#pragma once

#include <windows.h>

#include <cstdint>

#include "option/macro_library.h"
#include "settings/language_text.h"
#include "skin/skin_button_win.h"
#include "skin/skin_dialog_win.h"

namespace kestra {

class CSelectMacroDialog : public SkinDialog {
public:
    ~CSelectMacroDialog() override { DestroyOwnWindow(); }
    // `macroIndex` -1: no macro chosen yet.
    // `texts` (may be null) gives the box's line when no macro is chosen.
    CSelectMacroDialog(HWND owner, const MacroLibrary& macros, int32_t playOption, int macroIndex,
                       const LanguageText* texts = nullptr);

    int32_t playOption() const { return playOption_; }
    int macroIndex() const { return macroIndex_; }

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    static constexpr int kOptionCount = 3;
    void OnBoxClicked();
    void ShowChoice();

    const MacroLibrary& macros_;
    const LanguageText* texts_;
    int32_t playOption_;
    int macroIndex_;
    SkinButton box_;                    // "4"
    SkinButton options_[kOptionCount];  // "5".."7"
};

}  // namespace kestra
