#include "option/performance_page_win.h"

#include <string>

#include "option/dpi_page_win.h"
#include "settings/ipc_names.h"
#include "skin/skin_image_win.h"

namespace kestra {
namespace {

constexpr int kSliderIds[CPerformancePage::kSliderCount] = {
    kDoubleClickSliderId, kPointerSpeedSliderId, kTiltSliderId, kWheelLinesSliderId};
// A slider's value is written this far right of the slider area, this wide.
constexpr int kValueGap = 10;
constexpr int kValueWidth = 86;

const ButtonRow kRows[] = {kReportRateRow, kResolutionRow,  kWheelLinesRow,
                           kWheelModeRow,  kDoubleClickRow, kPointerSpeedRow};

// What a slider's value box shows for the profile, with its unit.
std::string SliderText(int id, const ProfileSettings& p) {
    switch (id) {
        case kDoubleClickSliderId:
            return std::to_string(p.DbleClickSpeed) + " ms";
        case kPointerSpeedSliderId:
            return std::to_string(p.MouseSpeed) + " / 20";
        case kTiltSliderId:
            return std::to_string(p.TiltSpeed) + " / 10";
        case kWheelLinesSliderId:
            return std::to_string(p.ScrollWheelSpeed) +
                   (p.ScrollWheelSpeed == 1 ? " line" : " lines");
        default:
            return std::string();
    }
}

}  // namespace

void SetSystemDoubleClickTime(int ms) {
    if (ms <= 0) return;
    SetDoubleClickTime(static_cast<UINT>(ms));
    SystemParametersInfoA(SPI_SETDOUBLECLICKTIME, static_cast<UINT>(ms), nullptr,
                          SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
}

SkinButton* CPerformancePage::button(int entry) {
    if (entry < 0 || entry >= kEntryCount || buttons_[entry].hwnd() == nullptr) return nullptr;
    return &buttons_[entry];
}

void CPerformancePage::PlaceControls(const SkinFile& file, const SkinStateImages& images) {
    for (const ButtonRow& row : kRows) {
        for (int i = 0; i < row.count; ++i) {
            const int entry = row.firstEntry + i;
            const SkinControlEntry control = file.ReadEntry(entry);
            // A row the skin leaves out gets no windows at all.
            if (control.rect.right <= control.rect.left || control.rect.bottom <= control.rect.top)
                continue;
            PlaceButton(buttons_[entry], control, images);
        }
    }
    PlaceButton(buttons_[kAccelerationEntry], file.ReadEntry(kAccelerationEntry), images);
    buttons_[kAccelerationEntry].SetToggleMode(true);

    // The four sliders share area "0" in four equal rows, in creation order;
    // each is as high as its row allows, at most 22 pixels, centred in it.
    SkinRect area;
    if (file.ReadArea(kPerformanceSlidersEntry, area)) {
        const int rowHeight = (area.bottom - area.top) / kSliderCount;
        const int height = rowHeight < 22 ? rowHeight : 22;
        static const int kMaximum[kSliderCount] = {kDoubleClickSliderMax, kPointerSpeedPositions,
                                                   kWheelLinesMax, kWheelLinesMax};
        static const int kMinimum[kSliderCount] = {0, 1, 1, 1};
        for (int i = 0; i < kSliderCount && height > 0; ++i) {
            const int top = area.top + i * rowHeight + (rowHeight - height) / 2;
            const SkinRect r = {area.left, top, area.right, top + height};
            if (PlaceSkinSlider(sliders_[i], r, hwnd(), kSliderIds[i], "scroll_arrow_down.bmp",
                                images, kMinimum[i], kMaximum[i])) {
                valueRects_[i] = RECT{area.right + kValueGap, r.top,
                                      area.right + kValueGap + kValueWidth, r.bottom};
            }
        }
    }
    SkinRect text = file.ReadEntry(kResolutionTextEntry).rect;
    resolutionText_ = RECT{text.left, text.top, text.right, text.bottom};
    valueFont_ = Font(CreateFontA(14, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, "Arial"));
    resolutionFont_ =
        Font(CreateFontA(14, 5, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, "Arial"));
}

LRESULT CPerformancePage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == UM_SLIDER_CHANGED) {
        for (int id : kSliderIds) {
            if (lParam != id) continue;
            ProfileSettings& p = logic().currentSettings();
            const PerformanceChange change = OnPerformanceSlider(p, id, static_cast<int>(wParam));
            if (change.systemDoubleClickMs > 0) {
                context().doubleClickUndo.BeforeImmediateChange(
                    static_cast<int>(GetDoubleClickTime()));
                SetSystemDoubleClickTime(change.systemDoubleClickMs);
            }
            AfterChange(change);
        }
        return 0;
    }
    return COptionPage::OnMessage(message, wParam, lParam);
}

LRESULT CPerformancePage::OnCommand(WPARAM wParam, LPARAM lParam) {
    const HWND from = reinterpret_cast<HWND>(lParam);
    if (from != nullptr && HIWORD(wParam) == BN_CLICKED) {
        for (int entry = 0; entry < kEntryCount; ++entry) {
            if (from != buttons_[entry].hwnd()) continue;
            AfterChange(OnPerformanceButton(logic().currentSettings(), entry,
                                            buttons_[entry].checked() != 0));
            return 0;
        }
    }
    return COptionPage::OnCommand(wParam, lParam);
}

void CPerformancePage::AfterChange(const PerformanceChange& change) {
    if (!change.stored) return;
    // Sliders and button rows show the same values: both follow every change.
    Show(ViewPerformance(logic().currentSettings()));
}

void CPerformancePage::Refresh() {
    if (hwnd() == nullptr) return;
    Show(ViewPerformance(logic().currentSettings()));
}

void CPerformancePage::Select(const ButtonRow& row, int selected) {
    for (int i = 0; i < row.count; ++i)
        buttons_[row.firstEntry + i].SetCheck(i == selected ? 1 : 0);
}

void CPerformancePage::Show(const PerformanceView& view) {
    const int positions[kSliderCount] = {view.doubleClickSlider, view.pointerSpeedSlider,
                                         view.tiltSlider, view.wheelLinesSlider};
    for (int i = 0; i < kSliderCount; ++i) {
        // A slider being dragged is where the user holds it.
        if (sliders_[i].hwnd() && !sliders_[i].thumb().dragging())
            sliders_[i].SetValue(positions[i]);
    }
    buttons_[kAccelerationEntry].SetCheck(view.acceleration ? 1 : 0);
    Select(kReportRateRow, view.reportRate);
    Select(kResolutionRow, view.resolution);
    Select(kWheelLinesRow, view.wheelLines);
    Select(kWheelModeRow, view.wheelMode);
    Select(kDoubleClickRow, view.doubleClick);
    Select(kPointerSpeedRow, view.pointerSpeed);
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void CPerformancePage::Paint(HDC dc, const RECT& client) {
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    MemoryDC memory(CreateCompatibleDC(dc));
    Bitmap frame = CreateFrameBitmap(width, height);
    if (!memory || !frame) return;
    ScopedSelectObject selectFrame(memory.get(), frame.get());
    COptionPage::Paint(memory.get(), client);
    const ProfileSettings& p = logic().currentSettings();
    for (int i = 0; i < kSliderCount; ++i) {
        DrawValueText(memory.get(), valueRects_[i], SliderText(kSliderIds[i], p), valueFont_.get());
    }
    if (resolutionText_.right > resolutionText_.left) {
        const std::string text = ViewPerformance(p).resolutionText;
        ScopedSelectObject select(memory.get(), resolutionFont_.get());
        SetBkMode(memory.get(), TRANSPARENT);
        SetTextColor(memory.get(), RGB(0, 0, 0));
        RECT r = resolutionText_;
        DrawTextA(memory.get(), text.c_str(), static_cast<int>(text.size()), &r,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    BitBlt(dc, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

}  // namespace kestra
