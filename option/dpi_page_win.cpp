#include "option/dpi_page_win.h"

#include <algorithm>

#include "option/dpi_colour_dialog_win.h"
#include "settings/ipc_names.h"
#include "skin/skin_image_win.h"

namespace kestra {
namespace {

constexpr char kRowMaskImage[] = "DPI_Window_Mask.bmp";
constexpr char kThumbDown[] = "scroll_arrow_down.bmp";
constexpr char kThumbUp[] = "scroll_arrow_up.bmp";
// A value box sits this far right of its slider and is this wide.
constexpr int kValueGap = 8;
constexpr int kValueWidth = 44;
constexpr COLORREF kValueColour = RGB(235, 235, 235);
constexpr COLORREF kDimValueColour = RGB(110, 110, 116);

RECT Offset(const SkinRect& r, int dx, int dy) {
    return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

bool IsEmpty(const SkinRect& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

Font ValueFont() {
    return ArialBoldFont(14);
}

}  // namespace

bool PlaceSkinSlider(SliderTrack& slider, const SkinRect& r, HWND owner, int id,
                     const char* thumbImage, const SkinStateImages& images, int minimum,
                     int maximum) {
    if (IsEmpty(r)) return false;
    if (!slider.Create(SkinFolder() + thumbImage, r.left, r.top, r.right, r.bottom, owner, id)) {
        return false;
    }
    slider.SetBackground(r.left, r.top, r.right, r.bottom, images.normal.get());
    slider.SetRange(minimum, maximum);
    return true;
}

void DrawValueText(HDC dc, const RECT& rect, const std::string& text, HFONT font, bool dim) {
    if (rect.right <= rect.left) return;
    ScopedSelectObject select(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, dim ? kDimValueColour : kValueColour);
    RECT r = rect;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void DrawLabel(HDC dc, const RECT& rect, const std::string& text, HFONT font, COLORREF colour,
               UINT format) {
    if (rect.right <= rect.left) return;
    ScopedSelectObject select(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    RECT r = rect;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r,
              format | DT_SINGLELINE | DT_NOPREFIX);
}

void PaintOffscreen(HDC dc, const RECT& client, const std::function<void(HDC)>& draw) {
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    MemoryDC memory(CreateCompatibleDC(dc));
    Bitmap frame = CreateFrameBitmap(width, height);
    if (!memory || !frame) return;
    ScopedSelectObject selectFrame(memory.get(), frame.get());
    draw(memory.get());
    BitBlt(dc, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

Font ArialBoldFont(int height) {
    return Font(CreateFontA(height, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, "Arial"));
}

// ---- CDpiLevelRow ------------------------------------------------------------

bool CDpiLevelRow::Create(HWND page, int rowId, const RECT& rect, const SkinFile& file,
                          const SkinStateImages& images, HRGN outline) {
    page_ = page;
    rowId_ = rowId;
    rect_ = rect;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    if (!CreateFrameworkWindow(0, PlainClass(), WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect.left,
                               rect.top, width, height, page)) {
        return false;
    }
    {
        WindowDC dc(hwnd());
        CutStateImage(dc.get(), background_, images.normal.get(), rect.left, rect.top, rect.right,
                      rect.bottom);
    }
    if (outline != nullptr) {
        Region region(CreateRectRgn(0, 0, 0, 0));
        if (region && CombineRgn(region.get(), outline, nullptr, RGN_COPY) != ERROR &&
            SetWindowRgn(hwnd(), region.get(), TRUE)) {
            region.release();
        }
    }
    for (int i = 0; i < kLevelPresetCount; ++i) {
        Place(presets_[i], file.ReadEntry(kRowFirstPresetEntry + i), images);
    }
    Place(enable_, file.ReadEntry(kRowEnableEntry), images);
    enable_.SetToggleMode(true);
    Place(select_, file.ReadEntry(kRowSelectEntry), images);
    const SkinRect slider = file.ReadEntry(kRowSliderEntry).rect;
    if (!IsEmpty(slider) &&
        slider_.Create(SkinFolder() + kThumbDown, slider.left, slider.top, slider.right,
                       slider.bottom, hwnd(), kRowValueSliderId)) {
        slider_.SetBackground(slider.left + rect.left, slider.top + rect.top,
                              slider.right + rect.left, slider.bottom + rect.top,
                              images.normal.get());
        slider_.SetRange(kLevelSliderMin, kLevelSliderMax);
    }
    const SkinRect text = file.ReadEntry(kRowTextEntry).rect;
    textRect_ = RECT{text.left, text.top, text.right, text.bottom};
    font_ = ValueFont();
    return true;
}

// A row control: created at its place in the row, its images cut out of the
// page's images at the same place in the page.
void CDpiLevelRow::Place(SkinButton& button, const SkinControlEntry& entry,
                         const SkinStateImages& images) {
    if (IsEmpty(entry.rect)) return;
    const RECT inRow = Offset(entry.rect, 0, 0);
    if (!button.Create(hwnd(), inRow)) return;
    button.SetStateImages(Offset(entry.rect, rect_.left, rect_.top), images.normal.get(),
                          images.over.get(), images.down.get(), images.disable.get());
    button.SetEntryText(entry.caption);
}

void CDpiLevelRow::SetValue(int value) {
    value_ = value;
    if (slider_.hwnd()) slider_.SetValue(value);
    for (int i = 0; i < kLevelPresetCount; ++i) presets_[i].SetCheck(value == i + 1 ? 1 : 0);
    if (hwnd()) InvalidateRect(hwnd(), &textRect_, FALSE);
}

void CDpiLevelRow::SetEnabled(bool enabled) {
    enabled_ = enabled;
    enable_.SetCheck(enabled ? 1 : 0);
    UpdateControls();
    if (hwnd()) InvalidateRect(hwnd(), &textRect_, FALSE);
}

void CDpiLevelRow::SetActive(bool active) {
    active_ = active;
    select_.SetCheck(active ? 1 : 0);
    UpdateControls();
}

void CDpiLevelRow::UpdateControls() {
    // A level that is switched off keeps its value but offers nothing to
    // change it; the level in use cannot be switched off.
    for (SkinButton& preset : presets_) {
        if (preset.hwnd()) preset.Enable(enabled_);
    }
    if (slider_.hwnd()) EnableWindow(slider_.hwnd(), enabled_ ? TRUE : FALSE);
    if (enable_.hwnd()) enable_.Enable(!active_);
}

void CDpiLevelRow::Post(int kind, int value) {
    if (page_) PostMessageA(page_, UM_DPI_ROW, DpiRowWParam(kind, value), rowId_);
}

LRESULT CDpiLevelRow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    static const MessageEntry<CDpiLevelRow> kTable[] = {
        {WM_PAINT, &CDpiLevelRow::OnPaint},
        {WM_COMMAND, &CDpiLevelRow::OnCommand},
        {UM_SLIDER_CHANGED, &CDpiLevelRow::OnSlider},
        {WM_DRAWITEM, &CDpiLevelRow::OnDrawItem},
    };
    if (message == WM_ERASEBKGND) return 1;
    LRESULT result = 0;
    if (RouteMessage(this, kTable, message, wParam, lParam, &result)) return result;
    return Window::OnMessage(message, wParam, lParam);
}

LRESULT CDpiLevelRow::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    RECT client;
    GetClientRect(hwnd(), &client);
    MemoryDC memory(CreateCompatibleDC(dc));
    Bitmap frame = CreateFrameBitmap(client.right, client.bottom);
    if (memory && frame) {
        ScopedSelectObject selectFrame(memory.get(), frame.get());
        if (background_) {
            MemoryDC source(CreateCompatibleDC(dc));
            ScopedSelectObject selectSource(source.get(), background_.get());
            BitBlt(memory.get(), 0, 0, client.right, client.bottom, source.get(), 0, 0, SRCCOPY);
        }
        DrawValueText(memory.get(), textRect_, LevelText(value_), font_.get(), !enabled_);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
    }
    EndPaint(hwnd(), &ps);
    return 0;
}

LRESULT CDpiLevelRow::OnDrawItem(WPARAM wParam, LPARAM lParam) {
    auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (draw == nullptr || FromHandle(draw->hwndItem) == nullptr) {
        return DefaultProc(WM_DRAWITEM, wParam, lParam);
    }
    SendMessageA(draw->hwndItem, UM_REFLECT_DRAWITEM, wParam, lParam);
    return TRUE;
}

LRESULT CDpiLevelRow::OnCommand(WPARAM wParam, LPARAM lParam) {
    const HWND from = reinterpret_cast<HWND>(lParam);
    if (from == nullptr || HIWORD(wParam) != BN_CLICKED) return 0;
    if (from == enable_.hwnd()) {
        if (active_) {  // a click that got through anyway changes nothing
            enable_.SetCheck(1);
            return 0;
        }
        enabled_ = enable_.checked() != 0;
        UpdateControls();
        InvalidateRect(hwnd(), &textRect_, FALSE);
        Post(kDpiRowEnable, enabled_ ? 1 : 0);
        return 0;
    }
    if (from == select_.hwnd()) {
        Post(kDpiRowSelect, 0);
        return 0;
    }
    for (int i = 0; i < kLevelPresetCount; ++i) {
        if (from == presets_[i].hwnd()) {
            SetValue(i + 1);
            Post(kDpiRowValue, i + 1);
            return 0;
        }
    }
    return 0;
}

LRESULT CDpiLevelRow::OnSlider(WPARAM wParam, LPARAM lParam) {
    if (lParam != kRowValueSliderId) return 0;
    const int value = static_cast<int>(wParam);
    if (value == value_) return 0;
    value_ = value;
    for (int i = 0; i < kLevelPresetCount; ++i) presets_[i].SetCheck(value == i + 1 ? 1 : 0);
    InvalidateRect(hwnd(), &textRect_, FALSE);
    Post(kDpiRowValue, value);
    return 0;
}

// ---- CDpiPage ----------------------------------------------------------------

void CDpiPage::PlaceControls(const SkinFile& file, const SkinStateImages& images) {
    // The five rows share one outline: the mask is read and traced once.
    Region outline;
    Bitmap mask;
    SIZE maskSize = {0, 0};
    if (LoadSkinImage(SkinFolder() + kRowMaskImage, mask, maskSize)) {
        outline = MaskToRegion(mask.get(), RGB(255, 255, 255), 0);
    }
    for (int i = 0; i < kCpiLevelCount; ++i) {
        const SkinRect r = file.ReadEntry(kFirstRowEntry + i).rect;
        if (!IsEmpty(r)) {
            rows_[i].Create(hwnd(), kDpiRowFirstId + i, Offset(r, 0, 0), file, images,
                            outline.get());
        }
        PlaceButton(swatches_[i], file.ReadEntry(kFirstSwatchEntry + i), images);
    }
    PlaceButton(xyCheck_, file.ReadEntry(kXYCheckEntry), images);
    xyCheck_.SetToggleMode(true);
    const SkinRect x = file.ReadEntry(kXSliderEntry).rect;
    const SkinRect y = file.ReadEntry(kYSliderEntry).rect;
    if (PlaceSkinSlider(xSlider_, x, hwnd(), kXSensitivitySliderId, kThumbDown, images,
                        kSensitivityMin, kSensitivityMax)) {
        xValueRect_ = RECT{x.right + kValueGap, x.top, x.right + kValueGap + kValueWidth, x.bottom};
    }
    if (PlaceSkinSlider(ySlider_, y, hwnd(), kYSensitivitySliderId, kThumbUp, images,
                        kSensitivityMin, kSensitivityMax)) {
        yValueRect_ = RECT{y.right + kValueGap, y.top, y.right + kValueGap + kValueWidth, y.bottom};
    }
    valueFont_ = ValueFont();
}

LRESULT CDpiPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == UM_DPI_ROW) return OnRowMessage(wParam, lParam);
    if (message == UM_SLIDER_CHANGED) return OnSlider(wParam, lParam);
    return COptionPage::OnMessage(message, wParam, lParam);
}

void CDpiPage::Refresh() {
    if (hwnd() == nullptr) return;
    ShowView(ViewDpi(logic().currentSettings()));
    RefreshLightPage();
}

void CDpiPage::ShowView(const DpiView& view) {
    for (int i = 0; i < kCpiLevelCount; ++i) {
        rows_[i].SetValue(view.rows[i].value);
        rows_[i].SetEnabled(view.rows[i].enabled);
        swatches_[i].SetColour(view.colours[i]);
        if (swatches_[i].hwnd()) InvalidateRect(swatches_[i].hwnd(), nullptr, FALSE);
    }
    ShowActive(view);
    ShowSensitivity(view);
}

void CDpiPage::ShowActive(const DpiView& view) {
    for (int i = 0; i < kCpiLevelCount; ++i) rows_[i].SetActive(view.rows[i].active);
}

void CDpiPage::ShowSensitivity(const DpiView& view) {
    if (xSlider_.hwnd()) xSlider_.SetValue(view.xSlider);
    if (ySlider_.hwnd()) ySlider_.SetValue(view.ySlider);
    xyCheck_.SetCheck(view.separate ? 1 : 0);
    InvalidateRect(hwnd(), &xValueRect_, FALSE);
    InvalidateRect(hwnd(), &yValueRect_, FALSE);
}

void CDpiPage::Paint(HDC dc, const RECT& client) {
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    MemoryDC memory(CreateCompatibleDC(dc));
    Bitmap frame = CreateFrameBitmap(width, height);
    if (!memory || !frame) return;
    ScopedSelectObject selectFrame(memory.get(), frame.get());
    COptionPage::Paint(memory.get(), client);
    const ProfileSettings& p = logic().currentSettings();
    DrawValueText(memory.get(), xValueRect_, std::to_string(p.Sensitivity_X), valueFont_.get());
    DrawValueText(memory.get(), yValueRect_, std::to_string(p.Sensitivity_Y), valueFont_.get());
    BitBlt(dc, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

LRESULT CDpiPage::OnRowMessage(WPARAM wParam, LPARAM lParam) {
    const DpiRowOutcome outcome = OnDpiRowMessage(logic().currentSettings(), wParam, lParam);
    const DpiView view = ViewDpi(logic().currentSettings());
    if (outcome == DpiRowOutcome::kActiveLevelChanged) {
        ShowActive(view);
        RefreshLightPage();
    } else if (outcome == DpiRowOutcome::kStored) {
        const int level = static_cast<int>(lParam - kDpiRowFirstId);
        rows_[level].SetEnabled(view.rows[level].enabled);
    }
    return 0;
}

LRESULT CDpiPage::OnSlider(WPARAM wParam, LPARAM lParam) {
    if (lParam != kXSensitivitySliderId && lParam != kYSensitivitySliderId) return 0;
    if (OnSensitivitySlider(logic().currentSettings(), static_cast<int>(lParam),
                            static_cast<int>(wParam))) {
        ShowSensitivity(ViewDpi(logic().currentSettings()));
    }
    return 0;
}

LRESULT CDpiPage::OnCommand(WPARAM wParam, LPARAM lParam) {
    const HWND from = reinterpret_cast<HWND>(lParam);
    if (from != nullptr && HIWORD(wParam) == BN_CLICKED) {
        if (from == xyCheck_.hwnd()) {
            OnXYCheck(logic().currentSettings(), xyCheck_.checked() != 0);
            ShowSensitivity(ViewDpi(logic().currentSettings()));
            return 0;
        }
        for (int i = 0; i < kCpiLevelCount; ++i) {
            if (from == swatches_[i].hwnd()) {
                OpenColourDialog(i);
                return 0;
            }
        }
    }
    return COptionPage::OnCommand(wParam, lParam);
}

void CDpiPage::OpenColourDialog(int level) {
    ProfileSettings& p = logic().currentSettings();
    const uint32_t colour = ViewDpi(p).colours[level];
    HWND owner =
        context().mainWindow != nullptr ? context().mainWindow : GetAncestor(hwnd(), GA_ROOT);
    CDpiColourDialog dialog(owner, colour, level);
    if (dialog.RunModal() != IDOK) return;
    // The profile may have been replaced while the dialog was open (Monitor's
    // notifications still arrive): the colour goes to the profile shown now.
    ProfileSettings& now = logic().currentSettings();
    SetLevelColour(now, level, dialog.colour());
    swatches_[level].SetColour(ViewDpi(now).colours[level]);
    if (swatches_[level].hwnd()) InvalidateRect(swatches_[level].hwnd(), nullptr, FALSE);
}

void CDpiPage::RefreshLightPage() {
    if (context().refreshPages) context().refreshPages(kLightPageBit);
}

}  // namespace kestra
