#include "option/light_page_win.h"

#include <string>
#include <vector>

#include "option/button_assignment.h"
#include "option/button_menu_win.h"
#include "option/dpi_page_win.h"
#include "settings/ipc_names.h"
#include "skin/skin_menu_win.h"

namespace kestra {
namespace {

constexpr int kSliderIds[3] = {kRedSliderId, kGreenSliderId, kBlueSliderId};
// A slider's number sits this far right of it and is this wide.
constexpr int kValueGap = 8;
constexpr int kValueWidth = 44;

// When the last of the page's three menus closed: the click that closed one
// must not open the next.
MenuReopenGuard& LightMenuGuard() {
    static MenuReopenGuard guard;
    return guard;
}

std::vector<FunctionMenuItem> MenuItems(const std::vector<LightMenuItem>& items, int shownText) {
    std::vector<FunctionMenuItem> result;
    for (const LightMenuItem& item : items) {
        result.push_back(FunctionMenuItem{MenuItemKind::kCommand, item.command, item.text, "",
                                          item.text == shownText, {}});
    }
    return result;
}

}  // namespace

void CLightPage::PlaceControls(const SkinFile& file, const SkinStateImages& images) {
    PlaceButton(effect_, file.ReadEntry(kLightEffectEntry), images);
    PlaceButton(level_, file.ReadEntry(kLightLevelEntry), images);
    PlaceButton(direction_, file.ReadEntry(kLightDirectionEntry), images);
    for (int i = 0; i < 3; ++i) {
        SkinRect label;
        if (file.ReadArea(kLightFirstLabelEntry + i, label)) {
            labels_[i] = RECT{label.left, label.top, label.right, label.bottom};
        }
        const SkinRect r = file.ReadEntry(kLightFirstSliderEntry + i).rect;
        if (PlaceSkinSlider(sliders_[i], r, hwnd(), kSliderIds[i], "scroll_arrow_down.bmp", images,
                            0, 255)) {
            values_[i] = RECT{r.right + kValueGap, r.top, r.right + kValueGap + kValueWidth, r.bottom};
        }
    }
    PlaceButton(preview_, file.ReadEntry(kLightPreviewEntry), images);
    for (int i = 0; i < kPresetCount; ++i) {
        PlaceButton(presets_[i], file.ReadEntry(kLightFirstPresetEntry + i), images);
        presets_[i].SetColour(kPresetColours[i]);
    }
    for (int i = 0; i < kEffectDialogCount; ++i) {
        PlaceButton(dialogs_[i], file.ReadEntry(kLightFirstDialogEntry + i), images);
    }
    SkinRect title;
    if (file.ReadArea(kLightColourTitleEntry, title)) {
        colourTitle_ = RECT{title.left, title.top, title.right, title.bottom};
    }
    font_ = ArialBoldFont(14);
    titleFont_ = ArialBoldFont(12);
}

std::string CLightPage::Text(int number) {
    if (number == 0) return kLightOffLevelLabel;
    return context().texts != nullptr ? context().texts->Text(number) : std::string();
}

void CLightPage::Refresh() {
    if (hwnd() == nullptr || context().logic == nullptr) return;
    const LightView view = ViewLight(logic().currentSettings());
    ShowLabels(view);
    ShowColour(view);
    InvalidateRect(hwnd(), &colourTitle_, FALSE);
}

void CLightPage::ShowLabels(const LightView& view) {
    direction_.Enable(view.directionEnabled);
    for (const RECT& label : labels_) InvalidateRect(hwnd(), &label, FALSE);
}

void CLightPage::ShowColour(const LightView& view) {
    const int channels[3] = {view.red, view.green, view.blue};
    for (int i = 0; i < 3; ++i) {
        if (sliders_[i].hwnd()) {
            sliders_[i].SetValue(channels[i]);
            EnableWindow(sliders_[i].hwnd(), view.colourEditable ? TRUE : FALSE);
        }
        InvalidateRect(hwnd(), &values_[i], FALSE);
    }
    for (SkinColorButton& preset : presets_) {
        if (preset.hwnd()) preset.Enable(view.colourEditable);
    }
    if (preview_.hwnd()) preview_.Enable(view.colourEditable);
    swatchShown_ = false;
    ShowPreview(view.colour);
}

void CLightPage::ShowPreview(COLORREF colour) {
    preview_.SetColour(colour);
    if (preview_.hwnd()) InvalidateRect(preview_.hwnd(), nullptr, FALSE);
}

LRESULT CLightPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case UM_SLIDER_CHANGED:
            if (OnColourSlider(logic().currentSettings(), static_cast<int>(lParam),
                               static_cast<int>(wParam))) {
                const LightView view = ViewLight(logic().currentSettings());
                for (const RECT& value : values_) InvalidateRect(hwnd(), &value, FALSE);
                ShowPreview(view.colour);
            }
            return 0;
        case UM_SWATCH_HOVER:
            // A swatch under the pointer shows in the preview until the
            // pointer leaves it.
            if (wParam == 1 && lParam >= 0 && lParam < kPresetCount) {
                swatchShown_ = true;
                ShowPreview(kPresetColours[lParam]);
            } else if (swatchShown_) {
                swatchShown_ = false;
                ShowPreview(ViewLight(logic().currentSettings()).colour);
            }
            return 0;
        case UM_SWATCH_CLICKED:
            if (OnPreset(logic().currentSettings(), static_cast<int>(lParam))) {
                ShowColour(ViewLight(logic().currentSettings()));
            }
            return 0;
        case WM_DESTROY:
            if (swatchPopup_.hwnd()) DestroyWindow(swatchPopup_.hwnd());
            break;
        default:
            break;
    }
    return COptionPage::OnMessage(message, wParam, lParam);
}

LRESULT CLightPage::OnCommand(WPARAM wParam, LPARAM lParam) {
    const HWND from = reinterpret_cast<HWND>(lParam);
    if (from != nullptr && HIWORD(wParam) == BN_CLICKED) {
        if (from == effect_.hwnd()) {
            OpenMenu(MenuKind::kEffect);
            return 0;
        }
        if (from == level_.hwnd()) {
            OpenMenu(MenuKind::kLevel);
            return 0;
        }
        if (from == direction_.hwnd()) {
            OpenMenu(MenuKind::kDirection);
            return 0;
        }
        if (from == preview_.hwnd()) {
            OpenSwatches();
            return 0;
        }
        for (int i = 0; i < kPresetCount; ++i) {
            if (from == presets_[i].hwnd()) {
                if (OnPreset(logic().currentSettings(), i)) {
                    ShowColour(ViewLight(logic().currentSettings()));
                }
                return 0;
            }
        }
        for (int i = 0; i < kEffectDialogCount; ++i) {
            if (from == dialogs_[i].hwnd()) {
                OpenEffectDialog(static_cast<LightEffectDialog>(i));
                return 0;
            }
        }
    }
    return COptionPage::OnCommand(wParam, lParam);
}

void CLightPage::OpenMenu(MenuKind kind) {
    SkinButton& button =
        kind == MenuKind::kEffect ? effect_ : kind == MenuKind::kLevel ? level_ : direction_;
    if (button.hwnd() == nullptr) return;
    if (LightMenuGuard().IgnoresClickAt(GetTickCount())) return;
    ProfileSettings& profile = logic().currentSettings();
    const LightView view = ViewLight(profile);
    std::vector<FunctionMenuItem> items;
    if (kind == MenuKind::kEffect) {
        items = MenuItems(EffectMenu(), view.effectText);
    } else if (kind == MenuKind::kLevel) {
        items = MenuItems(LevelMenu(profile), view.levelText);
    } else {
        items = MenuItems(DirectionMenu(), view.directionText);
    }
    const int32_t command = TrackBoxMenu(hwnd(), button.hwnd(), items, context().texts, true);
    LightMenuGuard().MenuClosed(GetTickCount());
    button.SetHover(false);
    InvalidateRect(button.hwnd(), nullptr, FALSE);
    if (command == 0) return;
    // The profile may have been replaced while the menu was open.
    ProfileSettings& now = logic().currentSettings();
    const bool stored = kind == MenuKind::kEffect  ? OnEffectCommand(now, command)
                        : kind == MenuKind::kLevel ? OnLevelCommand(now, command)
                                                   : OnDirectionCommand(now, command);
    if (stored) ShowLabels(ViewLight(now));
}

void CLightPage::OpenEffectDialog(LightEffectDialog which) {
    HWND owner =
        context().mainWindow != nullptr ? context().mainWindow : GetAncestor(hwnd(), GA_ROOT);
    CLightEffectDialog dialog(owner, logic().currentSettings(), which);
    if (dialog.RunModal() != IDOK) return;
    CopyEffectDialogFields(dialog.edited(), logic().currentSettings(), which);
}

void CLightPage::OpenSwatches() {
    HWND owner =
        context().mainWindow != nullptr ? context().mainWindow : GetAncestor(hwnd(), GA_ROOT);
    if (!swatchPopup_.Create(owner, hwnd())) return;
    RECT r;
    GetWindowRect(preview_.hwnd(), &r);
    // Under the preview, their right edges together, so that the popup
    // stays over the page.
    swatchPopup_.ShowAt(POINT{r.right - swatchPopup_.skinSize().cx, r.bottom + 2});
}

void CLightPage::Paint(HDC dc, const RECT& client) {
    PaintOffscreen(dc, client, [&](HDC memory) {
        COptionPage::Paint(memory, client);
        const ProfileSettings& profile = logic().currentSettings();
        const LightView view = ViewLight(profile);
        const int texts[3] = {view.effectText, view.levelText, view.directionText};
        for (int i = 0; i < 3; ++i) {
            DrawValueText(memory, labels_[i], Text(texts[i]), font_.get(),
                          i == 2 && !view.directionEnabled);
        }
        const int channels[3] = {view.red, view.green, view.blue};
        for (int i = 0; i < 3; ++i) {
            DrawValueText(memory, values_[i], std::to_string(channels[i]), font_.get(),
                          !view.colourEditable);
        }
        const std::string title = view.colourEditable
                                      ? "COLOUR OF LEVEL " + std::to_string(profile.CpiStep + 1)
                                      : "COLOUR (NO ACTIVE LEVEL)";
        DrawLabel(memory, colourTitle_, title, titleFont_.get(), RGB(150, 150, 156),
                  DT_LEFT | DT_VCENTER);
    });
}

}  // namespace kestra
