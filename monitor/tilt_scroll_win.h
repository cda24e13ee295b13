// The real window tree for the tilt scroll search, and the scroll itself on
// the desktop: cursor, window under it, swapped buttons, posted messages and
// clicks.
#pragma once

#include <windows.h>

#include "monitor/tilt_scroll.h"

namespace kestra {

class DesktopWindowTree : public WindowTree {
public:
    WindowRef Desktop() const override;
    std::string ClassName(WindowRef window) const override;
    uint32_t Style(WindowRef window) const override;
    ScreenRect Rect(WindowRef window) const override;
    WindowRef Parent(WindowRef window) const override;
    WindowRef FirstChild(WindowRef window) const override;
    WindowRef NextSibling(WindowRef window) const override;
    WindowRef PreviousSibling(WindowRef window) const override;
    WindowRef ChildAt(WindowRef window, ScreenPoint point) const override;
    std::vector<WindowRef> Descendants(WindowRef window) const override;
};

void CarryOutScroll(const std::vector<ScrollAction>& plan);

// Plans over the window under the cursor and carries the plan out.
class DesktopTiltScroller : public TiltScroller {
public:
    void Scroll(TiltDirection direction, int tiltSpeed) override;
};

}  // namespace kestra
