#include "option/light_dialogs_win.h"

#include <string>

#include "option/dpi_page_win.h"
#include "settings/ipc_names.h"

namespace kestra {
namespace {

constexpr int kOkEntry = 1;
constexpr int kCancelEntry = 2;
constexpr int kCloseEntry = 3;
constexpr int kSpeedEntry = 4;
constexpr int kSecondEntry = 5;
constexpr int kTitleEntry = 6;
constexpr int kFirstColourEntry = 7;  // "7".."13"
constexpr int kIntensityEntry = 14;
constexpr int kFirstPopupSwatchEntry = 1;  // "1".."7" of the swatch popup
// A value box sits this far right of its slider and is this wide.
constexpr int kValueGap = 8;
constexpr int kValueWidth = 64;

const char* const kSpeedNames[] = {"Slow", "Normal", "Fast", "Custom"};
const char* const kIntensityNames[] = {"Low", "Medium", "High"};

RECT ValueBoxBeside(const SkinRect& r) {
    return RECT{r.right + kValueGap, r.top, r.right + kValueGap + kValueWidth, r.bottom};
}

}  // namespace

// ---- CLightEffectDialog ------------------------------------------------------

CLightEffectDialog::CLightEffectDialog(HWND owner, const ProfileSettings& profile,
                                       LightEffectDialog dialog)
    : SkinWindow(EffectDialogSkin(dialog)),
      owner_(owner),
      dialog_(dialog),
      edited_(new ProfileSettings(profile)) {}

void CLightEffectDialog::PlaceControls(const SkinFile& file, const SkinStateImages& images) {
    const EffectDialogView view = ViewEffectDialog(*edited_, dialog_);
    PlaceButton(ok_, file.ReadEntry(kOkEntry), images);
    PlaceButton(cancel_, file.ReadEntry(kCancelEntry), images);
    PlaceButton(close_, file.ReadEntry(kCloseEntry), images);
    const SkinRect speed = file.ReadEntry(kSpeedEntry).rect;
    if (PlaceSkinSlider(speed_, speed, hwnd(), kSpeedControlId, "scroll_arrow_down.bmp", images,
                        kSpeedMin, kSpeedMax)) {
        // Few steps: a click goes to the nearest one.
        speed_.SetRounding(true);
        speed_.SetValue(view.speed);
        speedValue_ = ValueBoxBeside(speed);
    }
    const SkinRect second = file.ReadEntry(kSecondEntry).rect;
    if (second.right > second.left &&
        second_.Create(second.left, second.top, second.right, second.bottom, hwnd(),
                       kSecondControlId)) {
        second_.SetStateImages(RECT{second.left, second.top, second.right, second.bottom},
                               images.normal.get(), images.over.get(), images.down.get(),
                               images.disable.get());
        second_.SetRange(kSecondMin, kSecondMax);
        second_.SetValue(view.second);
        EnableWindow(second_.hwnd(), view.secondEnabled ? TRUE : FALSE);
    }
    SkinRect title;
    if (file.ReadArea(kTitleEntry, title)) {
        title_ = RECT{title.left, title.top, title.right, title.bottom};
    }
    if (dialog_ == LightEffectDialog::kSingleColour) {
        for (int i = 0; i < kColourChoiceCount; ++i) {
            const SkinControlEntry entry = file.ReadEntry(kFirstColourEntry + i);
            PlaceButton(colours_[i], entry, images);
            colourRects_[i] = RECT{entry.rect.left, entry.rect.top, entry.rect.right,
                                   entry.rect.bottom};
            colours_[i].SetColour(kPresetColours[i]);
        }
        ShowColourChoice();
        const SkinRect r = file.ReadEntry(kIntensityEntry).rect;
        if (PlaceSkinSlider(intensity_, r, hwnd(), kIntensitySliderId, "scroll_arrow_down.bmp",
                            images, kIntensityMin, kIntensityMax)) {
            intensity_.SetRounding(true);
            intensity_.SetValue(view.intensity);
            intensityValue_ = ValueBoxBeside(r);
        }
    }
    font_ = ArialBoldFont(14);
    titleFont_ = ArialBoldFont(16);
}

void CLightEffectDialog::ShowColourChoice() {
    const int chosen = ViewEffectDialog(*edited_, dialog_).colourChoice;
    for (int i = 0; i < kColourChoiceCount; ++i) colours_[i].SetCheck(i == chosen ? 1 : 0);
    if (hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
}

void CLightEffectDialog::Change(int controlId, int value) {
    const EffectDialogOutcome outcome = OnEffectDialogControl(*edited_, dialog_, controlId, value);
    if (!outcome.stored) return;
    if (second_.hwnd()) EnableWindow(second_.hwnd(), outcome.secondEnabled ? TRUE : FALSE);
    InvalidateRect(hwnd(), &speedValue_, FALSE);
    InvalidateRect(hwnd(), &intensityValue_, FALSE);
}

LRESULT CLightEffectDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message == UM_SLIDER_CHANGED || message == UM_SPIN_CHANGED) &&
        lParam != kSliderSnappedId) {
        Change(static_cast<int>(lParam), static_cast<int>(wParam));
        return 0;
    }
    if (message == WM_CLOSE) {
        EndModal(IDCANCEL);
        return 0;
    }
    if (message == WM_KEYDOWN && (wParam == VK_ESCAPE || wParam == VK_RETURN)) {
        EndModal(wParam == VK_RETURN ? IDOK : IDCANCEL);
        return 0;
    }
    return SkinWindow::OnMessage(message, wParam, lParam);
}

LRESULT CLightEffectDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    const HWND from = reinterpret_cast<HWND>(lParam);
    if (from != nullptr && HIWORD(wParam) == BN_CLICKED) {
        if (from == ok_.hwnd()) {
            EndModal(IDOK);
            return 0;
        }
        if (from == cancel_.hwnd() || from == close_.hwnd()) {
            EndModal(IDCANCEL);
            return 0;
        }
        for (int i = 0; i < kColourChoiceCount; ++i) {
            if (from == colours_[i].hwnd()) {
                OnColourChoice(*edited_, i);
                ShowColourChoice();
                return 0;
            }
        }
    }
    return SkinWindow::OnCommand(wParam, lParam);
}

void CLightEffectDialog::Paint(HDC dc, const RECT& client) {
    PaintOffscreen(dc, client, [&](HDC memory) {
        SkinWindow::Paint(memory, client);
        const EffectDialogView view = ViewEffectDialog(*edited_, dialog_);
        DrawLabel(memory, title_, std::string(EffectDialogTitle(dialog_)) + " effect",
                  titleFont_.get(), RGB(255, 255, 255), DT_LEFT | DT_VCENTER | DT_END_ELLIPSIS);
        DrawValueText(memory, speedValue_, kSpeedNames[view.speed - kSpeedMin], font_.get());
        if (dialog_ != LightEffectDialog::kSingleColour) return;
        if (view.colourChoice >= 0) {
            const RECT& r = colourRects_[view.colourChoice];
            RECT mark = {r.left, r.bottom + 3, r.right, r.bottom + 6};
            Brush red(CreateSolidBrush(RGB(230, 30, 30)));
            if (red) FillRect(memory, &mark, red.get());
        }
        DrawValueText(memory, intensityValue_, kIntensityNames[view.intensity - kIntensityMin],
                      font_.get());
    });
}

// ---- CColourSwatchPopup ------------------------------------------------------

bool CColourSwatchPopup::Create(HWND owner, HWND target) {
    target_ = target;
    if (hwnd() != nullptr) return true;
    if (!CreatePopup(owner)) return false;
    SetWindowLongPtrA(hwnd(), GWL_EXSTYLE,
                      GetWindowLongPtrA(hwnd(), GWL_EXSTYLE) | WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    return true;
}

void CColourSwatchPopup::PlaceControls(const SkinFile& file, const SkinStateImages&) {
    for (int i = 0; i < kPresetCount; ++i) {
        const SkinRect r = file.ReadEntry(kFirstPopupSwatchEntry + i).rect;
        swatches_[i] = RECT{r.left, r.top, r.right, r.bottom};
    }
}

void CColourSwatchPopup::ShowAt(POINT screen) {
    if (hwnd() == nullptr) return;
    highlighted_ = -1;
    SetWindowPos(hwnd(), HWND_TOPMOST, screen.x, screen.y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    shown_ = true;
    SetForegroundWindow(hwnd());
    SetFocus(hwnd());
    SetCapture(hwnd());
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void CColourSwatchPopup::Hide() {
    if (!shown_) return;
    shown_ = false;  // first: releasing the capture comes back here
    ShowWindow(hwnd(), SW_HIDE);
    if (GetCapture() == hwnd()) ReleaseCapture();
    if (highlighted_ >= 0) {
        PostMessageA(target_, UM_SWATCH_HOVER, 0, highlighted_);
        highlighted_ = -1;
    }
}

int CColourSwatchPopup::SwatchAt(LPARAM clientPoint) const {
    const POINT at = {static_cast<short>(LOWORD(clientPoint)),
                      static_cast<short>(HIWORD(clientPoint))};
    for (int i = 0; i < kPresetCount; ++i) {
        if (PtInRect(&swatches_[i], at)) return i;
    }
    return -1;
}

void CColourSwatchPopup::Highlight(int index) {
    if (index == highlighted_) return;
    if (index >= 0) {
        PostMessageA(target_, UM_SWATCH_HOVER, 1, index);
    } else {
        PostMessageA(target_, UM_SWATCH_HOVER, 0, highlighted_);
    }
    highlighted_ = index;
    InvalidateRect(hwnd(), nullptr, FALSE);
}

LRESULT CColourSwatchPopup::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE:
            if (shown_) Highlight(SwatchAt(lParam));
            return 0;
        case WM_LBUTTONDOWN:
            return 0;  // the popup is not dragged; the release decides
        case WM_LBUTTONUP: {
            if (!shown_) return 0;
            const int index = SwatchAt(lParam);
            if (index >= 0) PostMessageA(target_, UM_SWATCH_CLICKED, 0, index);
            Hide();
            return 0;
        }
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) Hide();
            return 0;
        case WM_KILLFOCUS:
        case WM_CAPTURECHANGED:
            Hide();
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) Hide();
            return 0;
        default:
            return SkinWindow::OnMessage(message, wParam, lParam);
    }
}

void CColourSwatchPopup::Paint(HDC dc, const RECT& client) {
    PaintOffscreen(dc, client, [&](HDC memory) {
        SkinWindow::Paint(memory, client);
        for (int i = 0; i < kPresetCount; ++i) {
            const RECT& r = swatches_[i];
            if (r.right <= r.left) continue;
            if (i == highlighted_) {
                // The swatch under the pointer: a white ring inside a red one.
                RECT ring = {r.left - 3, r.top - 3, r.right + 3, r.bottom + 3};
                RECT inner = {r.left - 1, r.top - 1, r.right + 1, r.bottom + 1};
                Brush red(CreateSolidBrush(RGB(230, 30, 30)));
                Brush white(CreateSolidBrush(RGB(255, 255, 255)));
                if (red) FillRect(memory, &ring, red.get());
                if (white) FillRect(memory, &inner, white.get());
            }
            Brush brush(CreateSolidBrush(kPresetColours[i]));
            if (brush) FillRect(memory, &r, brush.get());
        }
    });
}

}  // namespace kestra
