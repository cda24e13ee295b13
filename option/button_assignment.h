// What the two button editors decide, apart from their windows: the function
// menus a button box opens, what each menu command stores in the current
// profile's ButtonAssignment, when the click warning stops a command, and the
// small rules of the shortcut, macro chooser and player dialogs. The windows
// only show the menus and dialogs and carry the results out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "option/macro_library.h"
#include "option/option_rules.h"
#include "settings/language_text.h"
#include "settings/settings_record.h"
#include "skin/menu_model.h"

namespace kestra {

// Boxes of each editor: the main window shows buttons 0..14, the button page
// all sixteen.
int BoxCount(BoxEditor editor);

// Menu command ids of the function menus.
constexpr int32_t kCommandFirst = 1000;
constexpr int32_t kCommandLast = 4000;
constexpr int32_t kCommandKeyCombination = 1005;
constexpr int32_t kCommandLaunchProgram = 1017;
constexpr int32_t kCommandPlayerChoice = 1048;
constexpr int32_t kCommandMacroManager = 1049;
constexpr int32_t kCommandMacroChooser = 1050;  // button page; macro 0 on the main window
constexpr int32_t kCommandMainMacroFirst = 1050;
constexpr int32_t kCommandChooserMacroFirst = 1100;

// Language text of the media submenu's last entry, the media player choice.
constexpr int kPlayerChoiceText = 1090;

// A portable description of a popup menu; the window builds its owner-drawn
// menus from it.
enum class MenuItemKind { kCommand, kSeparator, kSubmenu };
struct FunctionMenuItem {
    MenuItemKind kind;
    int32_t command;  // kCommand; kMenuSeparatorId for a separator
    int textNumber;   // language text of a command or a submenu's title; 0: `text`
    std::string text;
    bool checked;
    std::vector<FunctionMenuItem> items;  // kSubmenu only
};

// The popup of box `box` of an editor for the current profile's `button`.
// Empty for a box the editor does not have.
std::vector<FunctionMenuItem> BoxMenu(BoxEditor editor, int box, const ButtonAssignment& button,
                                      const MacroLibrary& macros);
// The item's shown text: its language text, or its own text.
std::string MenuItemText(const FunctionMenuItem& item, const LanguageText* texts);

// What a command id means for an editor.
enum class CommandKind {
    kNothing,       // outside the table, or id 1000
    kFunction,      // store `function`
    kMacro,         // store macro `macroIndex` of the list (function 16)
    kPlayerChoice,  // the player dialog; the button is not changed
    kMacroManager,  // the macro manager; the button is not changed
    kMacroChooser,  // the macro chooser (button page)
};
struct ButtonCommand {
    CommandKind kind;
    uint8_t function;  // the function stored when the command succeeds
    int macroIndex;    // kMacro only
};
ButtonCommand ResolveButtonCommand(BoxEditor editor, int32_t command);

// True when, with `function` in place of button `box`, some button the
// editor shows is still a primary click (function 1). False: the click
// warning is due and nothing changes.
bool KeepsPrimaryClick(const ProfileSettings& profile, BoxEditor editor, int box, uint8_t function);

// Every macro button of every profile takes its macro's current name, steps
// and repeat count; a button whose macro is gone becomes function 6. Each
// such button is flagged as changed. Returns the number of buttons touched.
int ReconcileMacroButtons(SettingsStore& working, const MacroLibrary& macros);

// Macro n of the list onto a button: name (cut to the label's 24
// characters), step count,
// steps and repeat count. The function is the caller's.
void CopyMacroToButton(const Macro& macro, ButtonAssignment& button);

// The dialogs a command may open, answered by the windows (or by a test).
class ButtonEditorDialogs {
public:
    virtual ~ButtonEditorDialogs() = default;
    virtual void ShowClickWarning() = 0;
    // In: MediaOption. True on OK with the chosen player.
    virtual bool ChoosePlayer(int32_t& player) = 0;
    // Runs the macro manager; it saves or reloads the list itself.
    virtual void ManageMacros() = 0;
    // In: the play option and the button's macro (-1: none). True on OK.
    virtual bool ChooseMacro(int32_t& playOption, int& macroIndex) = 0;
    // In: the key and the five flags (key alone, Shift, Ctrl, Alt, Windows).
    virtual bool ChooseShortcut(uint8_t& key, uint8_t flags[5]) = 0;
    // In: the stored path when the button launches a program, else empty.
    virtual bool ChooseProgram(std::string& path) = 0;
};

enum class CommandResult {
    kNothing,       // not a command, or a macro the list does not have
    kRefused,       // the click warning was shown
    kCancelled,     // a dialog was cancelled; the button is unchanged
    kStored,        // the button has its new function and is flagged
    kPlayerChosen,  // MediaOption changed
    kMacrosManaged,
};
struct CommandOutcome {
    CommandResult result;
    // Some button of the store or the macro list changed: both editors'
    // box texts are set again (they show the same profile).
    bool refreshBoxTexts;
};

// A command chosen from box `box`'s menu, carried out on the current profile
// of the working copy.
CommandOutcome RunButtonCommand(SettingsStore& working, MacroLibrary& macros, BoxEditor editor,
                                int box, int32_t command, ButtonEditorDialogs& dialogs);

// Shortcut dialog: the action byte of a key combination from the five flags
// (key alone stores 1 and no modifier), and back.
uint8_t ModifierBits(const uint8_t flags[5]);
void ModifierFlags(uint8_t bits, uint8_t flags[5]);
// With "key alone" on, the four modifier checks are disabled.
bool ModifierCheckEnabled(const uint8_t flags[5], int check);

// Macro chooser: its menu (ids 1100 + n, the macro names) and the macro a
// command names (-1 when the list has none).
std::vector<FunctionMenuItem> MacroChooserMenu(const MacroLibrary& macros);
int MacroChooserIndex(int32_t command, const MacroLibrary& macros);
// What the chooser's box shows: the chosen macro's name; with none chosen
// (the button's label names no macro of the list) a line that says so,
// rather than an empty box that looks like a macro without a name.
constexpr int kTextChooseAMacro = 1092;
constexpr int kTextNoMacros = 1093;
std::string MacroChooserCaption(const MacroLibrary& macros, int macroIndex,
                                const LanguageText* texts);

// Player dialog: the name of a MediaOption (other numbers name the first
// player), its menu (Real Player is shown when stored but not offered) and
// the player a command chooses.
const char* PlayerName(int32_t player);
std::vector<FunctionMenuItem> PlayerMenu();
int32_t PlayerFromCommand(int32_t command);

}  // namespace kestra
