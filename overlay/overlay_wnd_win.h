// The on-screen display window of Overlay.exe: hidden until Monitor asks for
// an indication, then a brief panel that never takes the focus (topmost,
// layered, click-through, never activated) and fades out by itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "overlay/overlay_model.h"
#include "skin/gdi_win.h"
#include "skin/window_win.h"

namespace kestra {

class COverlayWnd : public Window {
public:
    // `programFolder` (with a trailing backslash) holds config.ini and the
    // profile files.
    explicit COverlayWnd(std::string programFolder);
    ~COverlayWnd() override;

    // The hidden window with the display program's title; false on failure.
    bool Create();

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnShow(WPARAM, LPARAM);
    LRESULT OnSettings(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);
    LRESULT OnHitTest(WPARAM, LPARAM);
    LRESULT OnMouseActivate(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);

    // Draws the panel for the indication into panel_; false when it failed.
    bool Render(const OverlayIndication& indication);
    void Present(int opacity);
    void Hide();

    static const MessageEntry<COverlayWnd> kMessages[];

    std::string folder_;
    OverlayFade fade_;
    Bitmap panel_;  // premultiplied 32-bit panel while one is shown
    POINT position_ = {0, 0};
    SIZE size_ = {0, 0};
    int opacity_ = -1;  // last opacity given to the system, -1 when hidden
    // The two values forwarded from OsdSettings; kept, they change nothing
    // shown (see docs/monitor.md).
    uint32_t settingsValues_ = 0;
};

}  // namespace kestra
