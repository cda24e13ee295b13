// DPI levels page (tab "40"): the five resolution levels of the current
// profile, the active one, their colours and the sensitivity.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "option/dpi_page.h"
#include "option/option_page_win.h"
#include "skin/gdi_win.h"
#include "skin/skin_button_win.h"
#include "skin/slider_win.h"

namespace kestra {

// The entries of a level row in skin_DPI.ini, relative to the row's own
// rectangle: the presets, the value slider, the value text, the enable check
// and the select button.
constexpr int kRowFirstPresetEntry = 60;  // "60".."67", values 1..8
constexpr int kRowSliderEntry = 68;
constexpr int kRowTextEntry = 69;
constexpr int kRowEnableEntry = 70;
constexpr int kRowSelectEntry = 71;
constexpr int kRowValueSliderId = 300;

// One level: a child window of the page whose outline comes from
// "DPI_Window_Mask.bmp" and whose look is cut out of the page's images at
// its place, so that the page's artwork and the row always agree.
class CDpiLevelRow : public Window {
public:
    ~CDpiLevelRow() override { DestroyOwnWindow(); }
    // `rect` in the page's client coordinates; `file` and `images` are the
    // page's; `outline` (the page's, from the row mask) is copied, or none.
    bool Create(HWND page, int rowId, const RECT& rect, const SkinFile& file,
                const SkinStateImages& images, HRGN outline);

    void SetValue(int value);
    void SetEnabled(bool enabled);
    void SetActive(bool active);

    int rowId() const { return rowId_; }
    int value() const { return value_; }
    bool enabled() const { return enabled_; }
    bool active() const { return active_; }
    SkinButton& preset(int index) { return presets_[index]; }
    SkinButton& enableCheck() { return enable_; }
    SkinButton& selectButton() { return select_; }
    CclickHSlider& slider() { return slider_; }
    const RECT& rect() const { return rect_; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Place(SkinButton& button, const SkinControlEntry& entry, const SkinStateImages& images);
    void Post(int kind, int value);
    void UpdateControls();
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnSlider(WPARAM wParam, LPARAM lParam);
    LRESULT OnDrawItem(WPARAM wParam, LPARAM lParam);

    HWND page_ = nullptr;
    int rowId_ = 0;
    RECT rect_ = {0, 0, 0, 0};  // in the page
    RECT textRect_ = {0, 0, 0, 0};
    Bitmap background_;
    Font font_;
    SkinButton presets_[kLevelPresetCount];
    SkinButton enable_;
    SkinButton select_;
    CclickHSlider slider_;
    int value_ = 0;
    bool enabled_ = true;
    bool active_ = false;
};

class CDpiPage : public COptionPage {
public:
    ~CDpiPage() override { DestroyOwnWindow(); }
    explicit CDpiPage(OptionContext& context) : COptionPage("skin_DPI.ini", context) {}

    void Refresh() override;

    CDpiLevelRow& row(int level) { return rows_[level]; }
    SkinColorButton& swatch(int level) { return swatches_[level]; }
    SkinButton& xyCheck() { return xyCheck_; }
    CclickHSlider& xSlider() { return xSlider_; }
    CclickHSlider& ySlider() { return ySlider_; }

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc, const RECT& client) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnRowMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnSlider(WPARAM wParam, LPARAM lParam);
    void ShowView(const DpiView& view);
    void ShowActive(const DpiView& view);
    void ShowSensitivity(const DpiView& view);
    void OpenColourDialog(int level);
    void RefreshLightPage();

    CDpiLevelRow rows_[kCpiLevelCount];
    SkinColorButton swatches_[kCpiLevelCount];
    SkinButton xyCheck_;
    CclickHSlider xSlider_;
    CclickHSlider ySlider_;
    RECT xValueRect_ = {0, 0, 0, 0};
    RECT yValueRect_ = {0, 0, 0, 0};
    Font valueFont_;
};

// Places a slider at a skin entry with the page's background under it;
// false (and no slider) for an empty entry or a missing thumb image.
bool PlaceSkinSlider(SliderTrack& slider, const SkinRect& rect, HWND owner, int id,
                     const char* thumbImage, const SkinStateImages& images, int minimum,
                     int maximum);
// Draws `text` centred in `rect`, on the dark of the skin's value box: light
// grey, or dim for a value that cannot be changed now.
void DrawValueText(HDC dc, const RECT& rect, const std::string& text, HFONT font, bool dim = false);
// Draws `text` in `colour` in `rect` with DrawText's `format` (a single line
// without prefixes), on what is there.
void DrawLabel(HDC dc, const RECT& rect, const std::string& text, HFONT font, COLORREF colour,
               UINT format);
// Runs `draw` on an off-screen copy of the client area and puts the result
// on `dc` at once, so that a repaint does not flicker.
void PaintOffscreen(HDC dc, const RECT& client, const std::function<void(HDC)>& draw);
// The bold Arial of the value boxes and titles, `height` pixels high.
Font ArialBoldFont(int height);

}  // namespace kestra
