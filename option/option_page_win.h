// The pages of Option's main window: skinned child windows placed in the
// main window's page area, each showing one part of the current profile of
// the working copy. Each page is its own class so that it grows in its own
// files; what they share is here.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "option/option_logic.h"
#include "option/performance_page.h"
#include "settings/language_text.h"
#include "skin/skin_window_win.h"
#include "skin/start_clock_win.h"

namespace kestra {

// The program-wide values every window of Option works with.
struct OptionContext {
    std::string programFolder;
    OptionLogic* logic = nullptr;         // the copies, the macro list, the display settings
    const LanguageText* texts = nullptr;  // never null once the main window exists
    const KeyboardLayout* layout = nullptr;
    HWND mainWindow = nullptr;
    // Refreshes the pages of the bits (OptionLogic's page bits), and only them.
    std::function<void(unsigned)> refreshPages;
    // Sets the main window's box texts again (a page changed a button).
    std::function<void()> refreshBoxTexts;
    // The click warning of the button editors.
    std::function<void()> clickWarning;
    // Runs the macro manager over the main window (entry 1049 of the box
    // menus, the MACROS tab).
    std::function<void()> manageMacros;
    // The double-click time the performance page set in the system before
    // an apply: put back when Option ends without applying.
    DoubleClickUndo doubleClickUndo;
};

class COptionPage : public SkinWindow {
public:
    ~COptionPage() override { DestroyOwnWindow(); }
    COptionPage(const char* skinFileName, OptionContext& context)
        : SkinWindow(skinFileName), context_(context) {}

    // Shows the working copy again (after start, a profile change, an
    // import, a reset, Monitor's notifications, and when the page is shown
    // where that is asked for).
    virtual void Refresh() {}

    // The start-up mark made once the page has painted for the first time
    // (a string literal), for the start-up bench.
    void SetFirstPaintMark(const char* mark) { firstPaintMark_ = mark; }

protected:
    OptionContext& context() { return context_; }
    OptionLogic& logic() { return *context_.logic; }

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        const LRESULT result = SkinWindow::OnMessage(message, wParam, lParam);
        if (message == WM_PAINT && firstPaintMark_ != nullptr) {
            StartMark(firstPaintMark_);
            firstPaintMark_ = nullptr;
            WriteStartTimes();
        }
        return result;
    }

private:
    OptionContext& context_;
    const char* firstPaintMark_ = nullptr;
};

}  // namespace kestra
