// The level colour dialog ("skin_dpi_color.ini"): the red, green and blue
// sliders (ids 400, 401, 402) with their numbers, a preview, OK and Cancel.
// Run modally over Option's main window by the DPI levels page.
#pragma once

#include <windows.h>

#include <cstdint>

#include "skin/gdi_win.h"
#include "skin/skin_button_win.h"
#include "skin/skin_dialog_win.h"
#include "skin/slider_win.h"

namespace kestra {

class CDpiColourDialog : public SkinDialog {
public:
    ~CDpiColourDialog() override { DestroyOwnWindow(); }
    // `colour` is 0x00BBGGRR; `level` (0..4) names the level in the title.
    CDpiColourDialog(HWND owner, uint32_t colour, int level = -1);

    uint32_t colour() const { return colour_; }

    CclickHSlider& slider(int channel) { return sliders_[channel]; }

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override;
    void Paint(HDC dc, const RECT& client) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    uint32_t colour_;
    int level_;
    RECT preview_ = {0, 0, 0, 0};  // "4"
    CclickHSlider sliders_[3];     // "5".."7"
    RECT values_[3] = {};
    RECT title_ = {0, 0, 0, 0};  // "8"
    Font font_;
    Font titleFont_;
};

}  // namespace kestra
