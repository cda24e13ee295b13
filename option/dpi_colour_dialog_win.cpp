#include "option/dpi_colour_dialog_win.h"

#include <string>

#include "option/dpi_page.h"
#include "option/dpi_page_win.h"
#include "settings/ipc_names.h"

namespace kestra {
namespace {

constexpr int kOkEntry = 1;
constexpr int kCancelEntry = 2;
constexpr int kCloseEntry = 3;
constexpr int kPreviewEntry = 4;
constexpr int kFirstSliderEntry = 5;
constexpr int kTitleEntry = 8;
constexpr int kChannelIds[3] = {kRedControlId, kGreenControlId, kBlueControlId};
// The number of a slider sits this far right of it and is this wide.
constexpr int kValueGap = 8;
constexpr int kValueWidth = 42;

}  // namespace

CDpiColourDialog::CDpiColourDialog(HWND owner, uint32_t colour, int level)
    : SkinDialog("skin_dpi_color.ini", owner),
      colour_(colour & 0x00FFFFFF),
      level_(level >= 0 && level < 5 ? level : -1) {}

void CDpiColourDialog::PlaceControls(const SkinFile& file, const SkinStateImages& images) {
    PlaceDialogButtons(file, images, kOkEntry, kCancelEntry, kCloseEntry);
    const SkinRect p = file.ReadEntry(kPreviewEntry).rect;
    preview_ = RECT{p.left, p.top, p.right, p.bottom};
    for (int i = 0; i < 3; ++i) {
        const SkinRect r = file.ReadEntry(kFirstSliderEntry + i).rect;
        if (!PlaceSkinSlider(sliders_[i], r, hwnd(), kChannelIds[i], "scroll_arrow_down.bmp",
                             images, 0, 255)) {
            continue;
        }
        sliders_[i].SetValue(Channel(colour_, kChannelIds[i]));
        values_[i] = RECT{r.right + kValueGap, r.top, r.right + kValueGap + kValueWidth, r.bottom};
    }
    SkinRect title;
    if (file.ReadArea(kTitleEntry, title)) {
        title_ = RECT{title.left, title.top, title.right, title.bottom};
    }
    titleFont_ = Font(CreateFontA(16, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, "Arial"));
    font_ = Font(CreateFontA(14, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, "Arial"));
}

LRESULT CDpiColourDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == UM_SLIDER_CHANGED) {
        for (int i = 0; i < 3; ++i) {
            if (lParam != kChannelIds[i]) continue;
            colour_ = WithChannel(colour_, kChannelIds[i], static_cast<int>(wParam));
            InvalidateRect(hwnd(), &preview_, FALSE);
            InvalidateRect(hwnd(), &values_[i], FALSE);
        }
        return 0;
    }
    if (message == WM_KEYDOWN && (wParam == VK_ESCAPE || wParam == VK_RETURN)) {
        EndModal(wParam == VK_RETURN ? IDOK : IDCANCEL);
        return 0;
    }
    return SkinDialog::OnMessage(message, wParam, lParam);
}

void CDpiColourDialog::Paint(HDC dc, const RECT& client) {
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    MemoryDC memory(CreateCompatibleDC(dc));
    Bitmap frame(CreateCompatibleBitmap(dc, width, height));
    if (!memory || !frame) return;
    ScopedSelectObject selectFrame(memory.get(), frame.get());
    SkinWindow::Paint(memory.get(), client);
    if (preview_.right > preview_.left) {
        Brush brush(CreateSolidBrush(colour_));
        if (brush) FillRect(memory.get(), &preview_, brush.get());
    }
    if (title_.right > title_.left) {
        const std::string text =
            level_ < 0 ? "Level colour" : "Level " + std::to_string(level_ + 1) + " colour";
        ScopedSelectObject select(memory.get(), titleFont_.get());
        SetBkMode(memory.get(), TRANSPARENT);
        SetTextColor(memory.get(), RGB(255, 255, 255));
        RECT r = title_;
        DrawTextA(memory.get(), text.c_str(), static_cast<int>(text.size()), &r,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    for (int i = 0; i < 3; ++i) {
        DrawValueText(memory.get(), values_[i], std::to_string(Channel(colour_, kChannelIds[i])),
                      font_.get());
    }
    BitBlt(dc, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

}  // namespace kestra
