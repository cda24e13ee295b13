// The lighting page's small windows: the four effect dialogs
// ("skin_dandian_light.ini", "skin_danse_light.ini", "skin_qise_light.ini",
// "skin_xuancai_light.ini") and the colour swatch popup ("skin_cpi_color.ini").
#pragma once

#include <windows.h>

#include <memory>

#include "option/light_page.h"
#include "skin/gdi_win.h"
#include "skin/skin_button_win.h"
#include "skin/skin_window_win.h"
#include "skin/slider_win.h"
#include "skin/spin_win.h"

namespace kestra {

// An effect dialog: the speed slider (id 200) and the second control (a spin
// field, id 400, usable only at speed 4); the single-colour dialog adds its
// intensity slider (id 201) and seven colour buttons. It edits a copy of the
// profile; OK hands the dialog's fields back (CopyEffectDialogFields).
class CLightEffectDialog : public SkinWindow {
public:
    ~CLightEffectDialog() override { DestroyOwnWindow(); }
    CLightEffectDialog(HWND owner, const ProfileSettings& profile, LightEffectDialog dialog);

    // IDOK or IDCANCEL; the owner is disabled meanwhile.
    int RunModal() { return SkinWindow::RunModal(owner_); }
    const ProfileSettings& edited() const { return *edited_; }

    CclickHSlider& speedSlider() { return speed_; }
    SkinSpinEdit& secondControl() { return second_; }
    CclickHSlider& intensitySlider() { return intensity_; }
    SkinColorButton& colourButton(int index) { return colours_[index]; }
    SkinButton& okButton() { return ok_; }

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc, const RECT& client) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Change(int controlId, int value);
    void ShowColourChoice();

    HWND owner_;
    LightEffectDialog dialog_;
    std::unique_ptr<ProfileSettings> edited_;
    SkinButton ok_;                 // "1"
    SkinButton cancel_;             // "2"
    SkinButton close_;              // "3"
    CclickHSlider speed_;           // "4"
    SkinSpinEdit second_;           // "5"
    RECT title_ = {0, 0, 0, 0};     // "6"
    SkinColorButton colours_[kColourChoiceCount];  // "7".."13"
    RECT colourRects_[kColourChoiceCount] = {};     // the chosen one is underlined
    CclickHSlider intensity_;       // "14"
    RECT speedValue_ = {0, 0, 0, 0};
    RECT intensityValue_ = {0, 0, 0, 0};
    Font font_;
    Font titleFont_;
};

// Seven colour swatches in a popup under the pointer. Shown, it holds the
// mouse: moving over a swatch posts UM_SWATCH_HOVER (1, index) to its
// target and highlights it, leaving the swatches posts (0, last index); a
// click on a swatch posts UM_SWATCH_CLICKED (0, index) and hides the popup,
// a click elsewhere only hides it, as do losing the focus and Escape.
// Hiding releases the mouse and ends a highlight with (0, index).
class CColourSwatchPopup : public SkinWindow {
public:
    ~CColourSwatchPopup() override { DestroyOwnWindow(); }
    CColourSwatchPopup() : SkinWindow("skin_cpi_color.ini") {}

    // Created hidden, owned by `owner` (a top-level window); messages go to
    // `target`.
    bool Create(HWND owner, HWND target);
    // Shows the popup with its top left at the screen point.
    void ShowAt(POINT screen);
    void Hide();

    bool shown() const { return shown_; }
    int highlighted() const { return highlighted_; }
    // A swatch's rectangle in the popup's client area.
    const RECT& swatch(int index) const { return swatches_[index]; }

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override;
    void Paint(HDC dc, const RECT& client) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    int SwatchAt(LPARAM clientPoint) const;
    void Highlight(int index);

    HWND target_ = nullptr;
    RECT swatches_[kPresetCount] = {};  // "1".."7"
    int highlighted_ = -1;
    bool shown_ = false;
};

}  // namespace kestra
