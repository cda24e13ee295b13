#include "option/button_page_win.h"

#include "option/button_menu_win.h"

namespace kestra {
namespace {

constexpr int kFirstBoxEntry = 20;

}  // namespace

void CButtonPage::PlaceControls(const SkinFile& file, const SkinStateImages& images) {
    for (int i = 0; i < kBoxCount; ++i) {
        PlaceButton(boxes_[i], file.ReadEntry(kFirstBoxEntry + i), images);
        if (boxes_[i].hwnd() != nullptr)
            SetWindowLongPtrA(boxes_[i].hwnd(), GWLP_ID, kFirstBoxControlId + i);
    }
    Refresh();
}

void CButtonPage::Refresh() {
    if (context().logic == nullptr || context().layout == nullptr) return;
    const ProfileSettings& profile = logic().currentSettings();
    for (int i = 0; i < kBoxCount; ++i) {
        boxes_[i].SetCaption(BoxText(profile.buttons[i], BoxEditor::kButtonPage, context().texts,
                                     *context().layout));
        if (boxes_[i].hwnd()) InvalidateRect(boxes_[i].hwnd(), nullptr, FALSE);
    }
}

LRESULT CButtonPage::OnCommand(WPARAM wParam, LPARAM lParam) {
    const HWND from = reinterpret_cast<HWND>(lParam);
    if (from != nullptr && HIWORD(wParam) == BN_CLICKED) {
        for (int i = 0; i < kBoxCount; ++i) {
            if (from == boxes_[i].hwnd()) {
                OnBoxClicked(i);
                return 0;
            }
        }
    }
    return COptionPage::OnCommand(wParam, lParam);
}

void CButtonPage::OnBoxClicked(int box) {
    if (boxes_[box].hwnd() == nullptr) return;
    openBox_ = box;
    const std::vector<FunctionMenuItem> items = BoxMenu(
        BoxEditor::kButtonPage, box, logic().currentSettings().buttons[box], logic().macros());
    const int32_t command = TrackBoxMenu(hwnd(), boxes_[box].hwnd(), items, context().texts);
    boxes_[box].SetHover(false);
    InvalidateRect(boxes_[box].hwnd(), nullptr, FALSE);
    openBox_ = -1;
    if (command == 0) return;

    EditorDialogs dialogs(context().mainWindow, logic().macros(), context().texts,
                          context().clickWarning,
                          context().manageMacros);
    const CommandOutcome outcome = RunButtonCommand(logic().working(), logic().macros(),
                                                    BoxEditor::kButtonPage, box, command, dialogs);
    if (outcome.refreshBoxTexts) {
        Refresh();
        if (context().refreshBoxTexts) context().refreshBoxTexts();
    }
}

}  // namespace kestra
