// Lighting page (tab "38"): light effect, intensity or speed, direction and
// the colour of the active level, the effect dialogs and the swatch popup.
#pragma once

#include <windows.h>

#include "option/light_dialogs_win.h"
#include "option/light_page.h"
#include "option/option_page_win.h"
#include "skin/gdi_win.h"
#include "skin/skin_button_win.h"
#include "skin/slider_win.h"

namespace kestra {

// Entries of skin_light_setting.ini.
constexpr int kLightEffectEntry = 1;
constexpr int kLightLevelEntry = 2;
constexpr int kLightDirectionEntry = 3;
constexpr int kLightFirstLabelEntry = 4;   // "4".."6": the three labels
constexpr int kLightFirstSliderEntry = 7;  // "7".."9": red, green, blue
constexpr int kLightPreviewEntry = 10;
constexpr int kLightFirstPresetEntry = 11;  // "11".."17"
constexpr int kLightFirstDialogEntry = 20;  // "20".."23": the effect dialogs
constexpr int kLightColourTitleEntry = 24;

class CLightPage : public COptionPage {
public:
    ~CLightPage() override { DestroyOwnWindow(); }
    explicit CLightPage(OptionContext& context) : COptionPage("skin_light_setting.ini", context) {}

    void Refresh() override;

    SkinButton& effectButton() { return effect_; }
    SkinButton& levelButton() { return level_; }
    SkinButton& directionButton() { return direction_; }
    CclickHSlider& slider(int channel) { return sliders_[channel]; }
    SkinColorButton& preset(int index) { return presets_[index]; }
    SkinColorButton& preview() { return preview_; }
    SkinButton& dialogButton(int index) { return dialogs_[index]; }
    CColourSwatchPopup& swatches() { return swatchPopup_; }
    // The colour the preview shows (a swatch under the pointer, else the
    // edited colour).
    COLORREF previewColour() const { return preview_.colour(); }

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc, const RECT& client) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    enum class MenuKind { kEffect, kLevel, kDirection };
    void OpenMenu(MenuKind kind);
    void OpenEffectDialog(LightEffectDialog dialog);
    void OpenSwatches();
    void ShowLabels(const LightView& view);
    void ShowColour(const LightView& view);
    void ShowPreview(COLORREF colour);
    std::string Text(int number);

    SkinButton effect_;               // "1"
    SkinButton level_;                // "2"
    SkinButton direction_;            // "3"
    RECT labels_[3] = {};             // "4".."6"
    CclickHSlider sliders_[3];        // "7".."9", ids 201..203
    RECT values_[3] = {};             // beside the sliders
    SkinColorButton preview_;         // "10"
    SkinColorButton presets_[kPresetCount];  // "11".."17"
    SkinButton dialogs_[kEffectDialogCount];  // "20".."23"
    RECT colourTitle_ = {0, 0, 0, 0};         // "24"
    CColourSwatchPopup swatchPopup_;
    Font font_;
    Font titleFont_;
    bool swatchShown_ = false;  // a swatch under the pointer shows in the preview
};

}  // namespace kestra
