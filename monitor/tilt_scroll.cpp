#include "monitor/tilt_scroll.h"

namespace kestra {
namespace {

const char kScrollBarClass[] = "ScrollBar";
const char kNuiScrollBarClass[] = "NUIScrollbar";
const char kReaderScrollBarClass[] = "AVL_AVScrollBar";
const char kBrowserServerClass[] = "Internet Explorer_Server";
const char kBrowserClass[] = "MozillaWindowClass";
const char kListViewClass[] = "SysListView32";
const char kProgramManagerClass[] = "Progman";

// How far a scroll bar of a pane's parent may reach past the pane's sides.
constexpr int kPaneScrollBarSlack = 25;
// Offset of the arrow's centre from the scroll bar's corner.
constexpr int kArrowInset = 5;

constexpr int kLineLeft = 0;
constexpr int kLineRight = 1;
constexpr uint8_t kVkLeft = 0x25;
constexpr uint8_t kVkRight = 0x27;

bool IsScrollBarClass(const std::string& name) {
    return name == kScrollBarClass || name == kNuiScrollBarClass;
}

// A container whose first child is the real scroll bar, when that child is a
// horizontal bar (neither vertical nor a size box).
WindowRef ReaderScrollBar(const WindowTree& tree, WindowRef container) {
    const WindowRef child = tree.FirstChild(container);
    if (!child || tree.ClassName(child) != kScrollBarClass) return 0;
    if (tree.Style(child) & (kScrollBarVertical | kScrollBarSizeBox)) return 0;
    return child;
}

WindowRef SearchChildren(const WindowTree& tree, WindowRef window, ScreenPoint cursor);

WindowRef SearchSiblings(const WindowTree& tree, WindowRef start, ScreenPoint cursor) {
    for (WindowRef t = tree.NextSibling(start); t; t = tree.NextSibling(t)) {
        const std::string name = tree.ClassName(t);
        if (name == kReaderScrollBarClass) {
            if (WindowRef bar = ReaderScrollBar(tree, t)) return bar;
        } else if (IsScrollBarClass(name) && IsHorizontallyScrollable(tree, t, cursor)) {
            return t;
        }
    }
    for (WindowRef t = tree.PreviousSibling(start); t; t = tree.PreviousSibling(t)) {
        const std::string name = tree.ClassName(t);
        if (name == kReaderScrollBarClass) {
            if (WindowRef bar = ReaderScrollBar(tree, t)) return bar;
        } else if (name == kScrollBarClass && IsHorizontallyScrollable(tree, t, cursor)) {
            return t;
        } else if (name == "AfxWnd70" || name == "AfxWnd42") {
            if (WindowRef found = SearchChildren(tree, t, cursor)) return found;
        }
    }
    return 0;
}

WindowRef SearchChildren(const WindowTree& tree, WindowRef window, ScreenPoint cursor) {
    const WindowRef child = tree.FirstChild(window);
    if (!child) return 0;
    if (IsHorizontallyScrollable(tree, child, cursor)) return child;
    return SearchSiblings(tree, child, cursor);
}

// A pane that keeps its scroll bar beside it, among its parent's windows.
WindowRef PaneScrollBar(const WindowTree& tree, WindowRef pane, ScreenPoint cursor) {
    const ScreenRect reference = tree.Rect(pane);
    const WindowRef parent = tree.Parent(pane);
    if (!parent) return 0;
    for (WindowRef w : tree.Descendants(parent)) {
        if (!IsScrollBarClass(tree.ClassName(w))) continue;
        if (!IsHorizontallyScrollable(tree, w, cursor)) continue;
        const ScreenRect r = tree.Rect(w);
        if (r.left >= reference.left - kPaneScrollBarSlack &&
            r.right <= reference.right + kPaneScrollBarSlack)
            return w;
    }
    return 0;
}

}  // namespace

ScrollKind ScrollKindOfClass(const std::string& name) {
    if (name == "_WwG" || name == "AVL_AVView") return ScrollKind::kDocument;
    if (name == "EXCEL7") return ScrollKind::kSpreadsheet;
    if (name == "paneClassDC") return ScrollKind::kPane;
    if (name == "VISIOG" || name == "PSViewC" || name == "EditControl") return ScrollKind::kDrawing;
    if (name == "FrontPageEditorDocumentView") return ScrollKind::kWebEditor;
    if (name == "OGrid" || name == "OFormSub" || name == "OPrtPrevPage")
        return ScrollKind::kDatabase;
    if (name == kBrowserClass) return ScrollKind::kBrowser;
    return ScrollKind::kPlain;
}

bool IsHorizontallyScrollable(const WindowTree& tree, WindowRef window, ScreenPoint cursor) {
    if (!window) return false;
    const std::string name = tree.ClassName(window);
    if (name == kBrowserServerClass) return true;
    if (!IsScrollBarClass(name)) return (tree.Style(window) & kStyleHScroll) != 0;
    const ScreenRect r = tree.Rect(window);
    return r.right - r.left > r.bottom - r.top && cursor.x < r.right;
}

bool IsDesktopIconView(const WindowTree& tree, WindowRef window) {
    if (!window || tree.ClassName(window) != kListViewClass) return false;
    // Bounded: a broken tree must not loop for ever.
    int depth = 0;
    for (WindowRef up = tree.Parent(window); up && depth < 64; up = tree.Parent(up), ++depth) {
        if (tree.ClassName(up) == kProgramManagerClass) return true;
    }
    return false;
}

WindowRef FindScrollTarget(const WindowTree& tree, WindowRef under, ScreenPoint cursor) {
    if (!under || under == tree.Desktop() || IsDesktopIconView(tree, under)) return 0;
    WindowRef c = tree.ChildAt(under, cursor);
    if (!c) c = under;
    const std::string name = tree.ClassName(c);

    WindowRef candidate = 0;
    if (name == kBrowserClass)
        candidate = tree.Parent(c);
    else if (IsHorizontallyScrollable(tree, c, cursor))
        candidate = c;

    if (name != kScrollBarClass && !candidate) {
        candidate = SearchChildren(tree, c, cursor);
        if (!candidate) candidate = SearchSiblings(tree, c, cursor);
    }
    if (candidate) return candidate;
    if (name == "paneClassDC" || name == "VISIOG") return PaneScrollBar(tree, c, cursor);
    return 0;
}

std::vector<ScrollAction> PlanTiltScroll(const WindowTree& tree, WindowRef under,
                                         ScreenPoint cursor, TiltDirection direction, int tiltSpeed,
                                         bool buttonsSwapped) {
    std::vector<ScrollAction> plan;
    if (!under || under == tree.Desktop() || IsDesktopIconView(tree, under)) return plan;
    const ScrollKind kind = ScrollKindOfClass(tree.ClassName(under));
    const WindowRef target = FindScrollTarget(tree, under, cursor);
    if (!target) return plan;

    // A damaged profile must not flood the target with messages.
    const int steps = tiltSpeed < 0 ? 0 : (tiltSpeed > kMaxTiltSteps ? kMaxTiltSteps : tiltSpeed);
    const bool left = direction == TiltDirection::kLeft;
    const int code = left ? kLineLeft : kLineRight;

    ScrollAction action;
    switch (kind) {
        case ScrollKind::kSpreadsheet: {
            const ScreenRect r = tree.Rect(target);
            action.point.x = left ? r.left + kArrowInset : r.right - kArrowInset;
            action.point.y = r.top + kArrowInset;
            action.kind = ScrollAction::kMoveCursor;
            plan.push_back(action);
            action.kind = ScrollAction::kClick;
            action.rightButton = buttonsSwapped;
            for (int i = 0; i < steps; ++i) plan.push_back(action);
            action.kind = ScrollAction::kMoveCursor;
            action.rightButton = false;
            action.point = cursor;
            plan.push_back(action);
            return plan;
        }
        case ScrollKind::kBrowser:
            action.kind = ScrollAction::kPostKey;
            action.window = target;
            action.virtualKey = left ? kVkLeft : kVkRight;
            for (int i = 0; i < steps; ++i) {
                action.keyUp = false;
                action.keyLParam = left ? 0x014B0001 : 0x014D0001;
                plan.push_back(action);
                action.keyUp = true;
                action.keyLParam = left ? 0xC14B0001 : 0xC14D0001;
                plan.push_back(action);
            }
            return plan;
        case ScrollKind::kPlain:
            // The window under the cursor scrolls itself; the target only proves
            // that there is something to scroll.
            action.kind = ScrollAction::kPostHScroll;
            action.window = under;
            action.code = code;
            for (int i = 0; i < steps; ++i) plan.push_back(action);
            return plan;
        default: {
            const WindowRef parent = tree.Parent(target);
            // A message to no window would land in Monitor's own thread queue.
            if (!parent) return plan;
            action.kind = ScrollAction::kPostHScroll;
            action.window = parent;
            action.code = code;
            action.scrollBar = target;
            for (int i = 0; i < steps; ++i) plan.push_back(action);
            return plan;
        }
    }
}

}  // namespace kestra
