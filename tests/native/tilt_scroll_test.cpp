// Sideways scrolling over a fake window tree: which kind a class is, which
// scroll bar a tilt drives, and what one tilt event sends.
#include "monitor/tilt_scroll.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestra {
namespace {

// Windows with their children in z-order (first = topmost). Window 1 is the
// desktop; its children are the top-level windows, whose parent reads as 0.
class FakeTree : public WindowTree {
public:
    struct Node {
        std::string className;
        uint32_t style = 0;
        ScreenRect rect;
        WindowRef parent = 0;
        std::vector<WindowRef> children;
    };

    FakeTree() : nodes_(2) { nodes_[kDesktop].className = "#32769"; }

    WindowRef Add(WindowRef parent, const std::string& className, ScreenRect rect,
                  uint32_t style = 0) {
        nodes_.push_back(Node{className, style, rect, parent, {}});
        nodes_[parent].children.push_back(nodes_.size() - 1);
        return nodes_.size() - 1;
    }

    WindowRef Desktop() const override { return kDesktop; }
    std::string ClassName(WindowRef w) const override { return At(w).className; }
    uint32_t Style(WindowRef w) const override { return At(w).style; }
    ScreenRect Rect(WindowRef w) const override { return At(w).rect; }
    WindowRef Parent(WindowRef w) const override {
        return At(w).parent == kDesktop ? 0 : At(w).parent;
    }
    WindowRef FirstChild(WindowRef w) const override {
        return At(w).children.empty() ? 0 : At(w).children.front();
    }
    WindowRef NextSibling(WindowRef w) const override { return Sibling(w, +1); }
    WindowRef PreviousSibling(WindowRef w) const override { return Sibling(w, -1); }
    WindowRef ChildAt(WindowRef w, ScreenPoint p) const override {
        if (!Inside(At(w).rect, p)) return 0;
        for (WindowRef c : At(w).children) {
            if (Inside(At(c).rect, p)) return c;
        }
        return w;
    }
    std::vector<WindowRef> Descendants(WindowRef w) const override {
        std::vector<WindowRef> all;
        for (WindowRef c : At(w).children) {
            all.push_back(c);
            const std::vector<WindowRef> below = Descendants(c);
            all.insert(all.end(), below.begin(), below.end());
        }
        return all;
    }

    static constexpr WindowRef kDesktop = 1;

private:
    const Node& At(WindowRef w) const { return w < nodes_.size() ? nodes_[w] : nodes_[0]; }
    WindowRef Sibling(WindowRef w, int step) const {
        const std::vector<WindowRef>& list = At(At(w).parent).children;
        for (size_t i = 0; i < list.size(); ++i) {
            if (list[i] != w) continue;
            const long j = static_cast<long>(i) + step;
            return (j < 0 || j >= static_cast<long>(list.size())) ? 0 : list[j];
        }
        return 0;
    }
    static bool Inside(const ScreenRect& r, ScreenPoint p) {
        return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
    }

    std::vector<Node> nodes_;  // by reference; 0 is "no window"
};

ScreenRect Box(int left, int top, int right, int bottom) {
    return ScreenRect{left, top, right, bottom};
}

const ScreenPoint kCursor = {300, 200};

// One line per action, for comparing whole plans.
std::vector<std::string> Describe(const std::vector<ScrollAction>& plan) {
    std::vector<std::string> lines;
    for (const ScrollAction& a : plan) {
        const std::string at = std::to_string(a.point.x) + "," + std::to_string(a.point.y);
        switch (a.kind) {
            case ScrollAction::kPostHScroll:
                lines.push_back("hscroll " + std::to_string(a.window) + " " +
                                std::to_string(a.code) + " " + std::to_string(a.scrollBar));
                break;
            case ScrollAction::kPostKey:
                lines.push_back("key " + std::to_string(a.window) + (a.keyUp ? " up " : " down ") +
                                std::to_string(a.virtualKey) + " " + std::to_string(a.keyLParam));
                break;
            case ScrollAction::kMoveCursor:
                lines.push_back("move " + at);
                break;
            case ScrollAction::kClick:
                lines.push_back(std::string(a.rightButton ? "right" : "left") + " click " + at);
                break;
        }
    }
    return lines;
}

using Lines = std::vector<std::string>;

TEST(TiltScroll, ClassKindsAreExactNames) {
    EXPECT_EQ(ScrollKind::kDocument, ScrollKindOfClass("_WwG"));
    EXPECT_EQ(ScrollKind::kDocument, ScrollKindOfClass("AVL_AVView"));
    EXPECT_EQ(ScrollKind::kSpreadsheet, ScrollKindOfClass("EXCEL7"));
    EXPECT_EQ(ScrollKind::kPane, ScrollKindOfClass("paneClassDC"));
    for (const char* name : {"VISIOG", "PSViewC", "EditControl"})
        EXPECT_EQ(ScrollKind::kDrawing, ScrollKindOfClass(name));
    EXPECT_EQ(ScrollKind::kWebEditor, ScrollKindOfClass("FrontPageEditorDocumentView"));
    for (const char* name : {"OGrid", "OFormSub", "OPrtPrevPage"})
        EXPECT_EQ(ScrollKind::kDatabase, ScrollKindOfClass(name));
    EXPECT_EQ(ScrollKind::kBrowser, ScrollKindOfClass("MozillaWindowClass"));
    for (const char* name : {"excel7", "EXCEL7 ", "Notepad", ""})
        EXPECT_EQ(ScrollKind::kPlain, ScrollKindOfClass(name));
}

TEST(TiltScroll, DesktopIconViewAndWindowsWithoutAScrollBarGetNothing) {
    FakeTree tree;
    const WindowRef progman = tree.Add(FakeTree::kDesktop, "Progman", Box(0, 0, 1280, 1024));
    const WindowRef view = tree.Add(progman, "SHELLDLL_DefView", Box(0, 0, 1280, 1024));
    const WindowRef icons = tree.Add(view, "SysListView32", Box(0, 0, 1280, 1024), kStyleHScroll);
    EXPECT_TRUE(IsDesktopIconView(tree, icons));
    EXPECT_TRUE(PlanTiltScroll(tree, icons, kCursor, TiltDirection::kRight, 3, false).empty());
    EXPECT_TRUE(
        PlanTiltScroll(tree, FakeTree::kDesktop, kCursor, TiltDirection::kLeft, 3, false).empty());
    EXPECT_TRUE(PlanTiltScroll(tree, 0, kCursor, TiltDirection::kLeft, 3, false).empty());

    // A plain window with nothing to scroll anywhere near: not even the
    // plain WM_HSCROLL goes out.
    const WindowRef frame = tree.Add(FakeTree::kDesktop, "Notepad", Box(100, 100, 700, 500));
    const WindowRef edit = tree.Add(frame, "Edit", Box(100, 100, 700, 480));
    tree.Add(frame, "ScrollBar", Box(680, 100, 700, 480));  // vertical
    EXPECT_EQ(0u, FindScrollTarget(tree, edit, kCursor));
    EXPECT_TRUE(PlanTiltScroll(tree, edit, kCursor, TiltDirection::kRight, 3, false).empty());
}

TEST(TiltScroll, PlainWindowsScrollThemselvesTiltSpeedTimes) {
    FakeTree tree;
    const WindowRef frame = tree.Add(FakeTree::kDesktop, "Notepad", Box(100, 100, 700, 500));
    const WindowRef edit = tree.Add(frame, "Edit", Box(100, 100, 700, 500), kStyleHScroll);
    EXPECT_EQ(edit, FindScrollTarget(tree, edit, kCursor));
    const std::string right = "hscroll " + std::to_string(edit) + " 1 0";
    EXPECT_EQ((Lines{right, right, right}),
              Describe(PlanTiltScroll(tree, edit, kCursor, TiltDirection::kRight, 3, false)));
    EXPECT_EQ(Lines(1, "hscroll " + std::to_string(edit) + " 0 0"),
              Describe(PlanTiltScroll(tree, edit, kCursor, TiltDirection::kLeft, 1, false)));
    // A damaged speed never floods the window.
    EXPECT_EQ(static_cast<size_t>(kMaxTiltSteps),
              PlanTiltScroll(tree, edit, kCursor, TiltDirection::kLeft, 100000, false).size());
    EXPECT_TRUE(PlanTiltScroll(tree, edit, kCursor, TiltDirection::kLeft, -4, false).empty());

    // The browser control always counts as scrollable; the message goes to
    // the window under the cursor, not to the target.
    const WindowRef host = tree.Add(FakeTree::kDesktop, "IEFrame", Box(0, 0, 50, 50));
    const WindowRef server = tree.Add(host, "Internet Explorer_Server", Box(0, 0, 50, 50));
    EXPECT_EQ(server, FindScrollTarget(tree, host, ScreenPoint{10, 10}));
    EXPECT_EQ(
        Lines(1, "hscroll " + std::to_string(host) + " 1 0"),
        Describe(PlanTiltScroll(tree, host, ScreenPoint{10, 10}, TiltDirection::kRight, 1, false)));
}

TEST(TiltScroll, DocumentPanesDriveTheirSiblingScrollBar) {
    FakeTree tree;
    const WindowRef frame = tree.Add(FakeTree::kDesktop, "OpusApp", Box(0, 0, 800, 600));
    const WindowRef page = tree.Add(frame, "_WwG", Box(0, 0, 780, 580));
    const WindowRef vertical = tree.Add(frame, "ScrollBar", Box(780, 0, 800, 580));
    const WindowRef bar = tree.Add(frame, "ScrollBar", Box(0, 580, 780, 600));
    (void)vertical;
    EXPECT_EQ(bar, FindScrollTarget(tree, page, kCursor));
    const std::string left = "hscroll " + std::to_string(frame) + " 0 " + std::to_string(bar);
    EXPECT_EQ((Lines{left, left}),
              Describe(PlanTiltScroll(tree, page, kCursor, TiltDirection::kLeft, 2, false)));
    // With the cursor right of the bar's right edge the bar does not count.
    EXPECT_EQ(0u, FindScrollTarget(tree, page, ScreenPoint{785, 200}));
}

TEST(TiltScroll, ContainersHoldingTheRealScrollBar) {
    // A reader's container: its first child is the bar, when horizontal.
    FakeTree tree;
    const WindowRef frame = tree.Add(FakeTree::kDesktop, "AcrobatSDIWindow", Box(0, 0, 800, 600));
    const WindowRef view = tree.Add(frame, "AVL_AVView", Box(0, 0, 800, 580));
    const WindowRef box = tree.Add(frame, "AVL_AVScrollBar", Box(0, 580, 800, 600));
    const WindowRef inner = tree.Add(box, "ScrollBar", Box(0, 580, 800, 600));
    EXPECT_EQ(inner, FindScrollTarget(tree, view, kCursor));
    EXPECT_EQ(Lines(1, "hscroll " + std::to_string(box) + " 1 " + std::to_string(inner)),
              Describe(PlanTiltScroll(tree, view, kCursor, TiltDirection::kRight, 1, false)));

    FakeTree vertical;
    const WindowRef f2 = vertical.Add(FakeTree::kDesktop, "AcrobatSDIWindow", Box(0, 0, 800, 600));
    const WindowRef v2 = vertical.Add(f2, "AVL_AVView", Box(0, 0, 800, 580));
    const WindowRef b2 = vertical.Add(f2, "AVL_AVScrollBar", Box(0, 580, 800, 600));
    vertical.Add(b2, "ScrollBar", Box(0, 580, 800, 600), kScrollBarVertical);
    EXPECT_EQ(0u, FindScrollTarget(vertical, v2, kCursor));

    // Framework containers are searched one level down, among the windows
    // before the one under the cursor only.
    FakeTree afx;
    const WindowRef f3 = afx.Add(FakeTree::kDesktop, "Frame", Box(0, 0, 800, 600));
    const WindowRef container = afx.Add(f3, "AfxWnd42", Box(0, 560, 800, 600));
    afx.Add(container, "Static", Box(0, 560, 10, 600));
    const WindowRef bar3 = afx.Add(container, "ScrollBar", Box(0, 580, 800, 600));
    const WindowRef drawing = afx.Add(f3, "VISIOG", Box(0, 0, 800, 560));
    EXPECT_EQ(bar3, FindScrollTarget(afx, drawing, kCursor));
    EXPECT_EQ(Lines(1, "hscroll " + std::to_string(container) + " 1 " + std::to_string(bar3)),
              Describe(PlanTiltScroll(afx, drawing, kCursor, TiltDirection::kRight, 1, false)));

    FakeTree after;
    const WindowRef f4 = after.Add(FakeTree::kDesktop, "Frame", Box(0, 0, 800, 600));
    const WindowRef d4 = after.Add(f4, "Grid", Box(0, 0, 800, 560));
    const WindowRef c4 = after.Add(f4, "AfxWnd70", Box(0, 560, 800, 600));
    after.Add(c4, "ScrollBar", Box(0, 580, 800, 600));
    EXPECT_EQ(0u, FindScrollTarget(after, d4, kCursor));
}

TEST(TiltScroll, PanesFindABarOfTheirWidthAmongTheirParentsWindows) {
    auto build = [](FakeTree& tree, int barLeft, int barRight) {
        const WindowRef frame = tree.Add(FakeTree::kDesktop, "Frame", Box(0, 0, 1000, 700));
        const WindowRef pane = tree.Add(frame, "paneClassDC", Box(100, 0, 900, 600));
        const WindowRef holder = tree.Add(frame, "Holder", Box(0, 600, 1000, 700));
        tree.Add(holder, "ScrollBar", Box(0, 650, 400, 670));  // another pane's, too far left
        const WindowRef bar = tree.Add(holder, "NUIScrollbar", Box(barLeft, 680, barRight, 700));
        return std::make_pair(pane, bar);
    };
    FakeTree inside;
    auto a = build(inside, 76, 925);  // 24 and 25 pixels beyond the pane
    EXPECT_EQ(a.second, FindScrollTarget(inside, a.first, kCursor));
    FakeTree outside;
    auto b = build(outside, 74, 900);  // 26 pixels left of it
    EXPECT_EQ(0u, FindScrollTarget(outside, b.first, kCursor));
    FakeTree wide;
    auto c = build(wide, 100, 926);
    EXPECT_EQ(0u, FindScrollTarget(wide, c.first, kCursor));
}

TEST(TiltScroll, SpreadsheetsAreClickedOnTheArrowAndTheCursorGoesBack) {
    FakeTree tree;
    const WindowRef book = tree.Add(FakeTree::kDesktop, "XLMAIN", Box(0, 0, 800, 600));
    const WindowRef desk = tree.Add(book, "XLDESK", Box(0, 0, 800, 600));
    const WindowRef sheet = tree.Add(desk, "EXCEL7", Box(0, 0, 800, 560));
    tree.Add(desk, "ScrollBar", Box(200, 560, 780, 577));
    EXPECT_EQ((Lines{"move 775,565", "left click 775,565", "left click 775,565",
                     "left click 775,565", "move 300,200"}),
              Describe(PlanTiltScroll(tree, sheet, kCursor, TiltDirection::kRight, 3, false)));
    // Swapped buttons: the primary button is the right one.
    EXPECT_EQ((Lines{"move 205,565", "right click 205,565", "move 300,200"}),
              Describe(PlanTiltScroll(tree, sheet, kCursor, TiltDirection::kLeft, 1, true)));
}

TEST(TiltScroll, BrowsersGetArrowKeysAtTheirParent) {
    FakeTree tree;
    const WindowRef top = tree.Add(FakeTree::kDesktop, "MozillaWindowClass", Box(0, 0, 800, 600));
    const WindowRef content = tree.Add(top, "MozillaWindowClass", Box(0, 50, 800, 600));
    const std::string down =
        "key " + std::to_string(top) + " down 39 " + std::to_string(0x014D0001);
    const std::string up = "key " + std::to_string(top) + " up 39 " + std::to_string(0xC14D0001u);
    EXPECT_EQ((Lines{down, up, down, up}),
              Describe(PlanTiltScroll(tree, content, kCursor, TiltDirection::kRight, 2, false)));
    EXPECT_EQ((Lines{"key " + std::to_string(top) + " down 37 " + std::to_string(0x014B0001),
                     "key " + std::to_string(top) + " up 37 " + std::to_string(0xC14B0001u)}),
              Describe(PlanTiltScroll(tree, content, kCursor, TiltDirection::kLeft, 1, false)));
}

}  // namespace
}  // namespace kestra
