// Performance page (tab "39"): pointer, wheel, double-click and report-rate
// settings of the current profile.
#pragma once

#include <windows.h>

#include "option/option_page_win.h"
#include "option/performance_page.h"
#include "skin/gdi_win.h"
#include "skin/skin_button_win.h"
#include "skin/slider_win.h"

namespace kestra {

// Sets the system's double-click time at once, as a user's change in the
// system's own settings would.
void SetSystemDoubleClickTime(int ms);

class CPerformancePage : public COptionPage {
public:
    ~CPerformancePage() override { DestroyOwnWindow(); }
    static constexpr int kSliderCount = 4;  // in creation order: 201, 202, 204, 203

    explicit CPerformancePage(OptionContext& context)
        : COptionPage("skin_performance.ini", context) {}

    void Refresh() override;

    // The button of skin entry `entry` (0..52), or null when the page has none.
    SkinButton* button(int entry);
    CclickHSlider& slider(int index) { return sliders_[index]; }

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc, const RECT& client) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static constexpr int kEntryCount = 53;  // "0".."52"
    void Show(const PerformanceView& view);
    void Select(const ButtonRow& row, int selected);
    void AfterChange(const PerformanceChange& change);

    SkinButton buttons_[kEntryCount];  // by entry; only the rows' and "52" are made
    CclickHSlider sliders_[kSliderCount];
    RECT valueRects_[kSliderCount] = {};
    RECT resolutionText_ = {0, 0, 0, 0};
    Font valueFont_;
    Font resolutionFont_;
};

}  // namespace kestra
