#include "option/macro_page_win.h"

#include <cstring>

#include "option/macro_editor.h"

namespace kestra {
namespace {

constexpr int kMacroListEntry = 10;
constexpr int kManageEntry = 11;
constexpr int kStepListEntry = 20;
constexpr int kMacroListId = 0x510;
constexpr int kStepListId = 0x511;

RECT ToRect(const SkinRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

}  // namespace

void CMacroPage::PlaceControls(const SkinFile& file, const SkinStateImages& images) {
    PlaceButton(manage_, file.ReadEntry(kManageEntry), images);
    for (SkinListBox* list : {&macros_, &steps_}) {
        const int entry = list == &macros_ ? kMacroListEntry : kStepListEntry;
        if (list->Create(hwnd(), ToRect(file.ReadEntry(entry).rect),
                         list == &macros_ ? kMacroListId : kStepListId, WS_VSCROLL)) {
            list->UseSkinColours();
            list->SetKeyFilter(true);
        }
    }
    Refresh();
}

void CMacroPage::Refresh() {
    if (context().logic == nullptr || macros_.hwnd() == nullptr) return;
    const LRESULT was = SendMessageA(macros_.hwnd(), LB_GETCURSEL, 0, 0);
    SendMessageA(macros_.hwnd(), LB_RESETCONTENT, 0, 0);
    const std::vector<Macro>& list = logic().macros().macros();
    for (const Macro& m : list) macros_.AddItem(NameOf(m), 0);
    if (!list.empty()) {
        const LRESULT line = was >= 0 && was < static_cast<LRESULT>(list.size()) ? was : 0;
        SendMessageA(macros_.hwnd(), LB_SETCURSEL, line, 0);
    }
    ShowSteps();
}

void CMacroPage::ShowSteps() {
    SendMessageA(steps_.hwnd(), LB_RESETCONTENT, 0, 0);
    const LRESULT line = SendMessageA(macros_.hwnd(), LB_GETCURSEL, 0, 0);
    const std::vector<Macro>& list = logic().macros().macros();
    if (line < 0 || line >= static_cast<LRESULT>(list.size())) return;
    const Macro& macro = list[line];
    for (const StepLine& step : StepListLines(macro.steps, macro.stepCount, layout_))
        steps_.AddItem(step.text, step.data);
}

LRESULT CMacroPage::OnCommand(WPARAM wParam, LPARAM lParam) {
    const HWND from = reinterpret_cast<HWND>(lParam);
    if (from != nullptr && from == macros_.hwnd() && HIWORD(wParam) == LBN_SELCHANGE) {
        ShowSteps();
        return 0;
    }
    if (from != nullptr && from == manage_.hwnd() && HIWORD(wParam) == BN_CLICKED) {
        if (context().manageMacros) context().manageMacros();
        return 0;
    }
    return COptionPage::OnCommand(wParam, lParam);
}

}  // namespace kestra
