// The Win32 side of the button editors' function menus, shared by the main
// window's boxes and the button page: the owner-drawn popup under a box, and
// the dialogs its commands open.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "option/button_assignment.h"
#include "settings/language_text.h"

namespace kestra {

// Shows the menu at the box's lower left and returns the chosen command (0:
// none). A null message follows, so that the menu has closed cleanly before
// the command is carried out. With `asWideAsBox` the menu is at least as
// wide as the box. Within 200 ms of a box menu closing without a choice nothing
// opens (0): that click is the one that closed it.
int32_t TrackBoxMenu(HWND owner, HWND box, const std::vector<FunctionMenuItem>& items,
                     const LanguageText* texts, bool asWideAsBox = false);
// The same menu with its upper left corner at a screen point, at least
// `minimumWidth` wide.
int32_t TrackMenuAt(HWND owner, POINT at, const std::vector<FunctionMenuItem>& items,
                    const LanguageText* texts, int minimumWidth = 0);

// The dialogs a box command opens, over `owner`; the macro manager is run
// by the main window, which owns what it edits.
class EditorDialogs : public ButtonEditorDialogs {
public:
    EditorDialogs(HWND owner, const MacroLibrary& macros, const LanguageText* texts,
                  std::function<void()> clickWarning, std::function<void()> manageMacros)
        : owner_(owner),
          macros_(macros),
          texts_(texts),
          clickWarning_(std::move(clickWarning)),
          manageMacros_(std::move(manageMacros)) {}
    void ShowClickWarning() override {
        if (clickWarning_) clickWarning_();
    }
    bool ChoosePlayer(int32_t& player) override;
    void ManageMacros() override {
        if (manageMacros_) manageMacros_();
    }
    bool ChooseMacro(int32_t& playOption, int& macroIndex) override;
    bool ChooseShortcut(uint8_t& key, uint8_t flags[5]) override;
    bool ChooseProgram(std::string& path) override;

private:
    HWND owner_;
    const MacroLibrary& macros_;
    const LanguageText* texts_;
    std::function<void()> clickWarning_;
    std::function<void()> manageMacros_;
};

}  // namespace kestra
