// Button assignment page (tab "47"): a box per mouse button of the current
// profile, each showing and choosing its function.
#pragma once

#include "option/option_page_win.h"
#include "skin/skin_button_win.h"

namespace kestra {

class CButtonPage : public COptionPage {
public:
    ~CButtonPage() override { DestroyOwnWindow(); }
    static constexpr int kBoxCount = 16;
    static constexpr int kFirstBoxControlId = 200;

    explicit CButtonPage(OptionContext& context) : COptionPage("skin_button_page.ini", context) {}

    // The box texts of the current profile.
    void Refresh() override;
    SkinButton& box(int index) { return boxes_[index]; }

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void OnBoxClicked(int box);

    SkinButton boxes_[kBoxCount];  // "20".."35"
    int openBox_ = -1;             // the box whose popup is open
};

}  // namespace kestra
