// Sideways scrolling for the tilted wheel: the window under the cursor is
// recognised by its class, its horizontal scroll bar (or the window owning
// one) is searched for, and the scroll is planned as line steps, key strokes
// or clicks on the scroll bar's arrow. The search runs over an abstract
// window tree, so the decisions are tested without a desktop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestra {

// Opaque window reference of the tree; 0 = none.
using WindowRef = uintptr_t;

struct ScreenPoint {
    int x = 0;
    int y = 0;
};

struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Style bits the search looks at.
constexpr uint32_t kStyleHScroll = 0x00100000;
constexpr uint32_t kStyleVScroll = 0x00200000;
constexpr uint32_t kScrollBarVertical = 0x1;
constexpr uint32_t kScrollBarSizeBox = 0x8;

// The windows of the desktop as the search sees them.
class WindowTree {
public:
    virtual ~WindowTree() = default;
    virtual WindowRef Desktop() const = 0;
    virtual std::string ClassName(WindowRef window) const = 0;
    virtual uint32_t Style(WindowRef window) const = 0;
    virtual ScreenRect Rect(WindowRef window) const = 0;  // screen coordinates
    // The parent, or 0 for a top-level window.
    virtual WindowRef Parent(WindowRef window) const = 0;
    virtual WindowRef FirstChild(WindowRef window) const = 0;
    virtual WindowRef NextSibling(WindowRef window) const = 0;
    virtual WindowRef PreviousSibling(WindowRef window) const = 0;
    // The direct child of `window` that contains the point, `window` itself
    // when no child does, 0 when the point lies outside it.
    virtual WindowRef ChildAt(WindowRef window, ScreenPoint point) const = 0;
    // Every descendant, parents before their children.
    virtual std::vector<WindowRef> Descendants(WindowRef window) const = 0;
};

// How a kind of window is scrolled; recognised by the exact class name.
enum class ScrollKind {
    kPlain,        // WM_HSCROLL to the window under the cursor
    kDocument,     // word processor and document viewer panes
    kSpreadsheet,  // clicks on the scroll bar's arrow
    kPane,
    kDrawing,
    kWebEditor,
    kDatabase,
    kBrowser,  // arrow key strokes
};
ScrollKind ScrollKindOfClass(const std::string& className);

enum class TiltDirection { kLeft, kRight };

// The most steps one tilt event makes, whatever the profile says.
constexpr int kMaxTiltSteps = 10;

// Horizontal scrollability of one window for a cursor at `cursor`.
bool IsHorizontallyScrollable(const WindowTree& tree, WindowRef window, ScreenPoint cursor);
// The desktop's icon view: a list view below the program manager window.
bool IsDesktopIconView(const WindowTree& tree, WindowRef window);
// The scroll bar (or the window with the scroll style) that a tilt over
// `under` drives; 0 when there is none.
WindowRef FindScrollTarget(const WindowTree& tree, WindowRef under, ScreenPoint cursor);

struct ScrollAction {
    enum Kind {
        kPostHScroll,  // WM_HSCROLL(code, scrollBar) posted to window
        kPostKey,      // WM_KEYDOWN / WM_KEYUP posted to window
        kMoveCursor,   // cursor to point
        kClick,        // primary button down and up at point
    };
    Kind kind = kPostHScroll;
    WindowRef window = 0;
    int code = 0;  // SB_LINELEFT 0, SB_LINERIGHT 1
    WindowRef scrollBar = 0;
    bool keyUp = false;
    uint8_t virtualKey = 0;
    uint32_t keyLParam = 0;
    ScreenPoint point;
    bool rightButton = false;  // the primary button is the right one (swapped)
};

// Everything one tilt event does, in order; empty when it does nothing.
std::vector<ScrollAction> PlanTiltScroll(const WindowTree& tree, WindowRef under,
                                         ScreenPoint cursor, TiltDirection direction, int tiltSpeed,
                                         bool buttonsSwapped);

// One tilt event, planned and carried out over the windows under the cursor.
class TiltScroller {
public:
    virtual ~TiltScroller() = default;
    virtual void Scroll(TiltDirection direction, int tiltSpeed) = 0;
};

}  // namespace kestra
