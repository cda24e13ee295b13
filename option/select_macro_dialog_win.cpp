#include "option/select_macro_dialog_win.h"

#include <cstring>

#include "option/button_assignment.h"
#include "option/button_menu_win.h"
#include "skin/skin_menu_win.h"

namespace kestra {
namespace {

constexpr int kOkEntry = 1;
constexpr int kCancelEntry = 2;
constexpr int kCloseEntry = 3;
constexpr int kBoxEntry = 4;
constexpr int kFirstOptionEntry = 5;

}  // namespace

CSelectMacroDialog::CSelectMacroDialog(HWND owner, const MacroLibrary& macros, int32_t playOption,
                                       int macroIndex, const LanguageText* texts)
    : SkinDialog("skin_select_macro.ini", owner),
      macros_(macros),
      texts_(texts),
      playOption_(playOption >= 0 && playOption < kOptionCount ? playOption : 0),
      macroIndex_(macroIndex >= 0 && static_cast<size_t>(macroIndex) < macros.macros().size()
                      ? macroIndex
                      : -1) {}

void CSelectMacroDialog::PlaceControls(const SkinFile& file, const SkinStateImages& images) {
    PlaceDialogButtons(file, images, kOkEntry, kCancelEntry, kCloseEntry);
    PlaceButton(box_, file.ReadEntry(kBoxEntry), images);
    for (int i = 0; i < kOptionCount; ++i)
        PlaceButton(options_[i], file.ReadEntry(kFirstOptionEntry + i), images);
    ShowChoice();
}

void CSelectMacroDialog::ShowChoice() {
    box_.SetCaption("  " + MacroChooserCaption(macros_, macroIndex_, texts_));
    for (int i = 0; i < kOptionCount; ++i) options_[i].SetCheck(i == playOption_ ? 1 : 0);
    if (box_.hwnd()) InvalidateRect(box_.hwnd(), nullptr, FALSE);
}

LRESULT CSelectMacroDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    const HWND from = reinterpret_cast<HWND>(lParam);
    if (from != nullptr && HIWORD(wParam) == BN_CLICKED) {
        if (from == box_.hwnd()) {
            OnBoxClicked();
            return 0;
        }
        for (int i = 0; i < kOptionCount; ++i) {
            if (from == options_[i].hwnd()) {
                playOption_ = i;
                ShowChoice();
                return 0;
            }
        }
    }
    return SkinDialog::OnCommand(wParam, lParam);
}

void CSelectMacroDialog::OnBoxClicked() {
    const int32_t command = TrackBoxMenu(hwnd(), box_.hwnd(), MacroChooserMenu(macros_), nullptr);
    box_.SetHover(false);
    const int index = MacroChooserIndex(command, macros_);
    if (index >= 0) macroIndex_ = index;
    ShowChoice();
}

}  // namespace kestra
