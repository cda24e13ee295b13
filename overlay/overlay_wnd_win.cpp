#include "overlay/overlay_wnd_win.h"

#include <cstdio>
#include <cstring>

#include "settings/ipc_names.h"

namespace kestra {
namespace {

constexpr UINT_PTR kFadeTimer = 1;
constexpr UINT kFrameMs = 15;
constexpr DWORD kExStyle =
    WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
const char kFontFace[] = "Segoe UI";

COLORREF Gdi(uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

int64_t NowMs() {
    return static_cast<int64_t>(GetTickCount64());
}

Font MakeFont(int points, int weight, int dpi) {
    // Grey-scale smoothing: coloured sub-pixel fringes would show on a panel
    // that is blended over anything.
    return Font(CreateFontA(-MulDiv(points, dpi, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE,
                            DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, kFontFace));
}

SIZE Measure(HDC dc, HFONT font, const std::string& text) {
    ScopedSelectObject select(dc, font);
    SIZE size = {0, 0};
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    if (!text.empty())
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    size.cy = metrics.tmHeight;
    return size;
}

void DrawLine(HDC dc, HFONT font, uint32_t colour, const std::string& text, RECT box) {
    ScopedSelectObject select(dc, font);
    SetTextColor(dc, Gdi(colour));
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &box,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void FillBox(HDC dc, const RECT& box, uint32_t colour) {
    Brush brush(CreateSolidBrush(Gdi(colour)));
    FillRect(dc, &box, brush.get());
}

}  // namespace

const MessageEntry<COverlayWnd> COverlayWnd::kMessages[] = {
    {UM_OSD_SHOW, &COverlayWnd::OnShow},
    {UM_OSD_SETTINGS, &COverlayWnd::OnSettings},
    {WM_TIMER, &COverlayWnd::OnTimer},
    {WM_NCHITTEST, &COverlayWnd::OnHitTest},
    {WM_MOUSEACTIVATE, &COverlayWnd::OnMouseActivate},
    {WM_DESTROY, &COverlayWnd::OnDestroy},
};

COverlayWnd::COverlayWnd(std::string programFolder) : folder_(std::move(programFolder)) {}

COverlayWnd::~COverlayWnd() {
    DestroyOwnWindow();
}

bool COverlayWnd::Create() {
    HWND window = CreateFrameworkWindow(kExStyle, PlainClass(), WS_POPUP, 0, 0, 1, 1, nullptr);
    if (!window) return false;
    SetWindowTextA(window, kOsdWindowTitle);
    return true;
}

LRESULT COverlayWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (RouteMessage(this, kMessages, message, wParam, lParam, &result)) return result;
    return Window::OnMessage(message, wParam, lParam);
}

LRESULT COverlayWnd::OnShow(WPARAM wParam, LPARAM lParam) {
    const OverlayIndication indication = OverlayIndicationFor(
        static_cast<uintptr_t>(wParam), static_cast<uintptr_t>(lParam), folder_);
    char line[64];
    snprintf(line, sizeof line, "Overlay show %u%s\n", static_cast<unsigned>(wParam),
             indication.show ? "" : " (nothing to show)");
    OutputDebugStringA(line);
    if (!indication.show || !Render(indication)) return 0;
    const int64_t now = NowMs();
    fade_.Restart(now);
    SetTimer(hwnd(), kFadeTimer, kFrameMs, nullptr);
    opacity_ = -1;  // the new panel goes out even at an unchanged opacity
    Present(fade_.OpacityAt(now));
    return 0;
}

LRESULT COverlayWnd::OnSettings(WPARAM, LPARAM lParam) {
    settingsValues_ = static_cast<uint32_t>(lParam);
    return 0;
}

LRESULT COverlayWnd::OnTimer(WPARAM wParam, LPARAM) {
    if (wParam != kFadeTimer) return 0;
    const int64_t now = NowMs();
    if (fade_.FinishedAt(now)) {
        Hide();
    } else {
        const int opacity = fade_.OpacityAt(now);
        if (opacity != opacity_) Present(opacity);
    }
    return 0;
}

LRESULT COverlayWnd::OnHitTest(WPARAM, LPARAM) {
    // Clicks go through to whatever lies below.
    return HTTRANSPARENT;
}

LRESULT COverlayWnd::OnMouseActivate(WPARAM, LPARAM) {
    return MA_NOACTIVATE;
}

LRESULT COverlayWnd::OnDestroy(WPARAM, LPARAM) {
    KillTimer(hwnd(), kFadeTimer);
    PostQuitMessage(0);
    return 0;
}

bool COverlayWnd::Render(const OverlayIndication& indication) {
    WindowDC screen(nullptr);
    if (!screen.get()) return false;
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    const OverlayMetrics m = OverlayMetricsForDpi(dpi);
    Font captionFont = MakeFont(m.captionPoints, FW_BOLD, dpi);
    Font textFont = MakeFont(m.textPoints, FW_SEMIBOLD, dpi);
    MemoryDC memory(CreateCompatibleDC(screen.get()));
    if (!memory || !captionFont || !textFont) return false;

    const bool hasCaption = !indication.caption.empty();
    const SIZE caption =
        hasCaption ? Measure(memory.get(), captionFont.get(), indication.caption) : SIZE{0, 0};
    const SIZE text = Measure(memory.get(), textFont.get(), indication.text);

    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    OverlayRect workArea;
    workArea.left = work.left;
    workArea.top = work.top;
    workArea.right = work.right;
    workArea.bottom = work.bottom;
    const int width = OverlayPanelWidth(m, caption.cx, text.cx, workArea.width());
    const int height = OverlayPanelHeight(m, caption.cy, text.cy);
    const OverlayRect place = PlaceOverlay(m, workArea, width, height);

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return false;
    {
        ScopedSelectObject select(memory.get(), bitmap.get());
        const RECT all = {0, 0, width, height};
        FillBox(memory.get(), all, kOverlayPanelColour);
        const RECT accent = {m.padding, m.padding, m.padding + m.accentWidth, height - m.padding};
        FillBox(memory.get(), accent, kOverlayAccentColour);
        SetBkMode(memory.get(), TRANSPARENT);
        const int left = m.padding + m.accentWidth + m.accentGap;
        int top = m.padding;
        if (hasCaption) {
            DrawLine(memory.get(), captionFont.get(), kOverlayCaptionColour, indication.caption,
                     RECT{left, top, width - m.padding, top + caption.cy});
            top += caption.cy + m.lineGap;
        }
        DrawLine(memory.get(), textFont.get(), kOverlayTextColour, indication.text,
                 RECT{left, top, width - m.padding, top + text.cy});
        GdiFlush();
    }
    const OverlayStyle style = {kOverlayBorderColour, kOverlayPanelAlpha, m.radius};
    ShapeOverlayPanel(static_cast<uint32_t*>(bits), width, height, style);

    panel_ = std::move(bitmap);
    position_ = POINT{place.left, place.top};
    size_ = SIZE{width, height};
    return true;
}

void COverlayWnd::Present(int opacity) {
    if (!panel_) return;
    WindowDC screen(nullptr);
    MemoryDC memory(CreateCompatibleDC(screen.get()));
    if (!memory) return;
    ScopedSelectObject select(memory.get(), panel_.get());
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, static_cast<BYTE>(opacity), AC_SRC_ALPHA};
    UpdateLayeredWindow(hwnd(), screen.get(), &position_, &size_, memory.get(), &source, 0, &blend,
                        ULW_ALPHA);
    if (opacity_ < 0) {
        // Shown above other topmost windows without ever being activated: a
        // game keeps the keyboard. Not by ShowWindow: its first call in a
        // process takes the starter's show command instead (Monitor starts
        // this program "shown normally"), which would activate the panel.
        SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    opacity_ = opacity;
}

void COverlayWnd::Hide() {
    KillTimer(hwnd(), kFadeTimer);
    SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    panel_.reset();
    opacity_ = -1;
}

}  // namespace kestra
