#include "option/button_assignment.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace kestra {
namespace {

constexpr uint8_t kFunctionPrimaryClick = 1;
constexpr uint8_t kFunctionDisabled = 6;
constexpr uint8_t kFunctionKeyCombination = 5;
constexpr uint8_t kFunctionMacro = 16;
constexpr uint8_t kFunctionProgram = 17;

int CurrentOf(const SettingsStore& store) {
    const int p = store.CurrentProfile;
    return (p >= 0 && p < kProfileCount) ? p : 0;
}

std::string Trimmed(const char* text, size_t size) {
    const std::string s(text, strnlen(text, size));
    size_t begin = 0;
    size_t end = s.size();
    while (begin < end && s[begin] == ' ') ++begin;
    while (end > begin && s[end - 1] == ' ') --end;
    return s.substr(begin, end - begin);
}

FunctionMenuItem Command(int32_t command, int textNumber) {
    return {MenuItemKind::kCommand, command, textNumber, std::string(), false, {}};
}

FunctionMenuItem Separator() {
    return {MenuItemKind::kSeparator, kMenuSeparatorId, 0, std::string(), false, {}};
}

FunctionMenuItem Submenu(int titleText) {
    return {MenuItemKind::kSubmenu, 0, titleText, std::string(), false, {}};
}

// Commands first..last whose texts follow them at a fixed distance.
void AddRun(std::vector<FunctionMenuItem>& items, int32_t first, int32_t last, int textOfFirst) {
    for (int32_t id = first; id <= last; ++id)
        items.push_back(Command(id, textOfFirst + (id - first)));
}

// Submenus 2..5, the same in both editors. The media submenu ends with the
// player choice: without it the player dialog could not be reached.
void AddSharedSubmenus(std::vector<FunctionMenuItem>& menu) {
    FunctionMenuItem media = Submenu(1031);
    AddRun(media.items, 1025, 1032, 1032);
    media.items.push_back(Separator());
    media.items.push_back(Command(kCommandPlayerChoice, kPlayerChoiceText));
    menu.push_back(media);

    FunctionMenuItem scroll = Submenu(1069);
    AddRun(scroll.items, 1018, 1020, 1024);
    menu.push_back(scroll);

    FunctionMenuItem profile = Submenu(1017);
    AddRun(profile.items, 1013, 1015, 1018);
    menu.push_back(profile);

    FunctionMenuItem internet = Submenu(1040);
    AddRun(internet.items, 1033, 1042, 1041);
    menu.push_back(internet);
}

void ClearMacroPart(ButtonAssignment& button) {
    button.stepCount = 0;
    memset(button.steps, 0, sizeof button.steps);
    memset(button.label, 0, sizeof button.label);
}

}  // namespace

int BoxCount(BoxEditor editor) {
    return editor == BoxEditor::kMainWindow ? 15 : kButtonCount;
}

std::vector<FunctionMenuItem> BoxMenu(BoxEditor editor, int box, const ButtonAssignment& button,
                                      const MacroLibrary& macros) {
    std::vector<FunctionMenuItem> menu;
    if (box < 0 || box >= BoxCount(editor)) return menu;

    FunctionMenuItem macro = Submenu(1021);
    if (editor == BoxEditor::kMainWindow) {
        macro.items.push_back(Command(kCommandMacroManager, 1067));
        const std::vector<Macro>& list = macros.macros();
        const int checked = button.function == kFunctionMacro
                                ? macros.FindForLabel(Trimmed(button.label, sizeof button.label))
                                : -1;
        // Ids above the accepted range could not be chosen.
        const size_t shown =
            std::min<size_t>(list.size(), kCommandLast - kCommandMainMacroFirst + 1);
        if (shown > 0) macro.items.push_back(Separator());
        for (size_t i = 0; i < shown; ++i) {
            FunctionMenuItem entry = Command(kCommandMainMacroFirst + static_cast<int32_t>(i), 0);
            entry.text = NameOf(list[i]);
            entry.checked = static_cast<int>(i) == checked;
            macro.items.push_back(entry);
        }
    } else {
        macro.items.push_back(Command(kCommandMacroChooser, 1071));
    }
    menu.push_back(macro);
    AddSharedSubmenus(menu);

    if (editor == BoxEditor::kMainWindow) {
        AddRun(menu, 1001, 1010, 1005);
        menu.push_back(Command(kCommandLaunchProgram, 1022));
        menu.push_back(Command(1021, 1027));
    } else {
        AddRun(menu, 1001, 1012, 1005);
        menu.push_back(Command(1076, 1076));
        menu.push_back(Command(kCommandLaunchProgram, 1022));
        if (box < 14) AddRun(menu, 1021, 1022, 1027);
        AddRun(menu, 1023, 1024, 1029);
    }
    return menu;
}

std::string MenuItemText(const FunctionMenuItem& item, const LanguageText* texts) {
    if (item.textNumber == 0) return item.text;
    return texts != nullptr ? texts->Text(item.textNumber) : std::string();
}

ButtonCommand ResolveButtonCommand(BoxEditor editor, int32_t command) {
    const ButtonCommand nothing = {CommandKind::kNothing, 0, -1};
    if (command <= kCommandFirst || command > kCommandLast) return nothing;
    auto function = [](int f) { return ButtonCommand{CommandKind::kFunction, uint8_t(f), -1}; };
    if (command <= 1015 || (command >= 1017 && command <= 1044)) return function(command - 1000);
    if (command == 1016 || command == 1046 || command == 1047) return function(0);
    if (command == 1045) return function(editor == BoxEditor::kMainWindow ? 49 : 0);
    if (command == kCommandPlayerChoice) return {CommandKind::kPlayerChoice, 0, -1};
    if (command == kCommandMacroManager) return {CommandKind::kMacroManager, 0, -1};
    if (editor == BoxEditor::kMainWindow)
        return {CommandKind::kMacro, kFunctionMacro, command - kCommandMainMacroFirst};
    if (command == kCommandMacroChooser) return {CommandKind::kMacroChooser, kFunctionMacro, -1};
    if (command == 1076) return function(86);
    if (command < kCommandChooserMacroFirst) return function(0);
    return {CommandKind::kMacro, kFunctionMacro, command - kCommandChooserMacroFirst};
}

bool KeepsPrimaryClick(const ProfileSettings& profile, BoxEditor editor, int box,
                       uint8_t function) {
    for (int i = 0; i < BoxCount(editor); ++i) {
        const uint8_t f = i == box ? function : profile.buttons[i].function;
        if (f == kFunctionPrimaryClick) return true;
    }
    return false;
}

void CopyMacroToButton(const Macro& macro, ButtonAssignment& button) {
    memset(button.label, 0, sizeof button.label);
    CopyText(button.label, kButtonLabelChars + 1, NameOf(macro).c_str());
    const int32_t count = macro.stepCount;
    button.stepCount = static_cast<uint16_t>(count < 0                 ? 0
                                             : count > kMacroStepSlots ? kMacroStepSlots
                                                                       : count);
    memcpy(button.steps, macro.steps, sizeof button.steps);
    button.repeatCount = macro.repeatCount;
}

int ReconcileMacroButtons(SettingsStore& working, const MacroLibrary& macros) {
    int touched = 0;
    for (int p = 0; p < kProfileCount; ++p) {
        for (int b = 0; b < kButtonCount; ++b) {
            ButtonAssignment& button = working.profiles[p].buttons[b];
            if (button.function != kFunctionMacro) continue;
            if (Trimmed(button.label, sizeof button.label).empty()) continue;
            const int found = macros.FindForLabel(Trimmed(button.label, sizeof button.label));
            if (found < 0) {
                button.function = kFunctionDisabled;
            } else {
                CopyMacroToButton(macros.macros()[found], button);
            }
            working.flags.buttons[p][b] = 1;
            ++touched;
        }
    }
    return touched;
}

CommandOutcome RunButtonCommand(SettingsStore& working, MacroLibrary& macros, BoxEditor editor,
                                int box, int32_t command, ButtonEditorDialogs& dialogs) {
    const CommandOutcome nothing = {CommandResult::kNothing, false};
    if (box < 0 || box >= BoxCount(editor)) return nothing;
    const ButtonCommand chosen = ResolveButtonCommand(editor, command);
    if (chosen.kind == CommandKind::kNothing) return nothing;
    if (chosen.kind == CommandKind::kMacro &&
        (chosen.macroIndex < 0 || static_cast<size_t>(chosen.macroIndex) >= macros.macros().size()))
        return nothing;

    const int p = CurrentOf(working);
    ProfileSettings& profile = working.profiles[p];
    ButtonAssignment& button = profile.buttons[box];

    // The player choice and the macro manager leave every button alone, so
    // the primary-click rule has nothing to guard there.
    if (chosen.kind == CommandKind::kPlayerChoice) {
        int32_t player = profile.MediaOption;
        if (!dialogs.ChoosePlayer(player)) return {CommandResult::kCancelled, false};
        profile.MediaOption = player;
        return {CommandResult::kPlayerChosen, false};
    }
    if (chosen.kind == CommandKind::kMacroManager) {
        dialogs.ManageMacros();
        return {CommandResult::kMacrosManaged, true};
    }

    if (!KeepsPrimaryClick(profile, editor, box, chosen.function)) {
        dialogs.ShowClickWarning();
        return {CommandResult::kRefused, false};
    }

    const uint8_t function = chosen.function;
    if (chosen.kind == CommandKind::kMacroChooser) {
        const bool reconciled = ReconcileMacroButtons(working, macros) > 0;
        int32_t playOption = button.playOption;
        int index = macros.FindForLabel(Trimmed(button.label, sizeof button.label));
        if (!dialogs.ChooseMacro(playOption, index)) return {CommandResult::kCancelled, reconciled};
        button.playOption = playOption;
        if (index >= 0 && static_cast<size_t>(index) < macros.macros().size()) {
            CopyMacroToButton(macros.macros()[index], button);
        } else if (button.function != kFunctionMacro) {
            // No macro chosen: an empty macro rather than another
            // function's steps played as one.
            ClearMacroPart(button);
        }
    } else if (function == kFunctionKeyCombination) {
        uint8_t key = button.steps[0].key;
        uint8_t flags[5];
        ModifierFlags(button.steps[0].action, flags);
        if (!dialogs.ChooseShortcut(key, flags)) return {CommandResult::kCancelled, false};
        button.stepCount = 1;
        button.steps[0].key = key;
        button.steps[0].action = ModifierBits(flags);
        memset(button.label, 0, sizeof button.label);
    } else if (function == kFunctionProgram) {
        std::string path;
        if (button.function == kFunctionProgram)
            path.assign(button.programPath, strnlen(button.programPath, sizeof button.programPath));
        if (!dialogs.ChooseProgram(path)) return {CommandResult::kCancelled, false};
        CopyText(button.programPath, sizeof button.programPath, path.c_str());
    }

    button.function = function;
    if (chosen.kind == CommandKind::kMacro) {
        CopyMacroToButton(macros.macros()[chosen.macroIndex], button);
    } else if (function != kFunctionKeyCombination && function != kFunctionMacro) {
        ClearMacroPart(button);
    }
    working.flags.buttons[p][box] = 1;
    return {CommandResult::kStored, true};
}

uint8_t ModifierBits(const uint8_t flags[5]) {
    if (flags[0]) return kKeyAlone;
    uint8_t bits = 0;
    for (int j = 1; j < 5; ++j) {
        if (flags[j]) bits |= static_cast<uint8_t>(1 << j);
    }
    return bits;
}

void ModifierFlags(uint8_t bits, uint8_t flags[5]) {
    for (int j = 0; j < 5; ++j) flags[j] = (bits >> j) & 1;
}

bool ModifierCheckEnabled(const uint8_t flags[5], int check) {
    return check == 0 || (check > 0 && check < 5 && !flags[0]);
}

std::vector<FunctionMenuItem> MacroChooserMenu(const MacroLibrary& macros) {
    std::vector<FunctionMenuItem> menu;
    const std::vector<Macro>& list = macros.macros();
    const size_t shown =
        std::min<size_t>(list.size(), kCommandLast - kCommandChooserMacroFirst + 1);
    for (size_t i = 0; i < shown; ++i) {
        FunctionMenuItem entry = Command(kCommandChooserMacroFirst + static_cast<int32_t>(i), 0);
        entry.text = NameOf(list[i]);
        menu.push_back(entry);
    }
    return menu;
}

std::string MacroChooserCaption(const MacroLibrary& macros, int macroIndex,
                                const LanguageText* texts) {
    if (macroIndex >= 0 && static_cast<size_t>(macroIndex) < macros.macros().size())
        return NameOf(macros.macros()[macroIndex]);
    const int number = macros.macros().empty() ? kTextNoMacros : kTextChooseAMacro;
    return texts ? texts->Text(number) : std::string();
}

int MacroChooserIndex(int32_t command, const MacroLibrary& macros) {
    const int64_t n = static_cast<int64_t>(command) - kCommandChooserMacroFirst;
    return (n >= 0 && n < static_cast<int64_t>(macros.macros().size())) ? static_cast<int>(n) : -1;
}

const char* PlayerName(int32_t player) {
    switch (player) {
        case 1:
            return "iTunes";
        case 2:
            return "Real Player";
        case 3:
            return "Winamp";
        default:
            return "Windows Media player";
    }
}

std::vector<FunctionMenuItem> PlayerMenu() {
    std::vector<FunctionMenuItem> menu;
    for (int32_t id : {1001, 1002, 1004}) {
        FunctionMenuItem entry = Command(id, 0);
        entry.text = PlayerName(PlayerFromCommand(id));
        menu.push_back(entry);
    }
    return menu;
}

int32_t PlayerFromCommand(int32_t command) {
    switch (command) {
        case 1002:
            return 1;
        case 1003:
            return 2;
        case 1004:
            return 3;
        default:
            return 0;
    }
}

}  // namespace kestra
