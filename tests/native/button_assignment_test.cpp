#include "option/button_assignment.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/native/test_support.h"

namespace kestra {
namespace {

using kestra_test::DefaultStore;
using kestra_test::NumberedMacro;
using kestra_test::Take;
using kestra_test::Trace;

Macro MakeMacro(const char* name, int steps, int32_t repeat = 1) {
    const ButtonAssignment b = NumberedMacro("", steps, repeat);
    Macro m;
    memset(&m, 0, sizeof m);
    CopyText(m.name, sizeof m.name, name);
    m.repeatCount = repeat;
    m.stepCount = steps;
    memcpy(m.steps, b.steps, sizeof m.steps);
    return m;
}

// Answers the dialogs in the user's place and records which were opened.
class FakeDialogs : public ButtonEditorDialogs {
public:
    void ShowClickWarning() override { trace.push_back("warning"); }
    bool ChoosePlayer(int32_t& player) override {
        trace.push_back("player " + std::to_string(player));
        player = playerAnswer;
        return ok;
    }
    void ManageMacros() override { trace.push_back("manager"); }
    bool ChooseMacro(int32_t& playOption, int& macroIndex) override {
        trace.push_back("chooser " + std::to_string(playOption) + " " + std::to_string(macroIndex));
        playOption = playOptionAnswer;
        macroIndex = macroAnswer;
        return ok;
    }
    bool ChooseShortcut(uint8_t& key, uint8_t flags[5]) override {
        trace.push_back("shortcut " + std::to_string(key) + " " +
                        std::to_string(ModifierBits(flags)));
        key = keyAnswer;
        memcpy(flags, flagsAnswer, 5);
        return ok;
    }
    bool ChooseProgram(std::string& path) override {
        trace.push_back("program " + path);
        path = pathAnswer;
        return ok;
    }

    Trace trace;
    bool ok = true;
    int32_t playerAnswer = 3;
    int32_t playOptionAnswer = 2;
    int macroAnswer = -1;
    uint8_t keyAnswer = 4;
    uint8_t flagsAnswer[5] = {0, 0, 1, 0, 0};  // Ctrl
    std::string pathAnswer;
};

std::vector<int32_t> Ids(const std::vector<FunctionMenuItem>& items) {
    std::vector<int32_t> ids;
    for (const FunctionMenuItem& item : items) ids.push_back(item.command);
    return ids;
}

std::vector<int> TextNumbers(const std::vector<FunctionMenuItem>& items) {
    std::vector<int> numbers;
    for (const FunctionMenuItem& item : items) numbers.push_back(item.textNumber);
    return numbers;
}

class ButtonCommands : public ::testing::Test {
protected:
    ButtonCommands() : store(DefaultStore()) {
        store->CurrentProfile = 1;
        macros.macros() = {MakeMacro("Reload", 3), MakeMacro("Jump", 2, 5)};
    }
    ButtonAssignment& Button(int b, int p = 1) { return store->profiles[p].buttons[b]; }
    CommandOutcome Run(BoxEditor editor, int box, int32_t command) {
        return RunButtonCommand(*store, macros, editor, box, command, dialogs);
    }
    // Every button of every profile and every flag as they were.
    bool Unchanged(const SettingsStore& before) const {
        return memcmp(&before, store.get(), sizeof before) == 0;
    }

    std::unique_ptr<SettingsStore> store;
    MacroLibrary macros;
    FakeDialogs dialogs;
    UsKeyboardLayout layout;
};

TEST(ButtonMenus, MainWindowPopupListsItsEntriesAndMarksTheButtonsMacro) {
    MacroLibrary macros;
    macros.macros() = {MakeMacro("Reload", 3), MakeMacro("Jump", 2)};
    ButtonAssignment button = NumberedMacro("JUMP", 2);
    const auto menu = BoxMenu(BoxEditor::kMainWindow, 3, button, macros);

    ASSERT_EQ(17u, menu.size());
    for (int i = 0; i < 5; ++i) EXPECT_EQ(MenuItemKind::kSubmenu, menu[i].kind);
    EXPECT_EQ((std::vector<int>{1021, 1031, 1069, 1017, 1040}),
              TextNumbers({menu.begin(), menu.begin() + 5}));
    EXPECT_EQ((std::vector<int32_t>{1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010,
                                    1017, 1021}),
              Ids({menu.begin() + 5, menu.end()}));
    EXPECT_EQ(
        (std::vector<int>{1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1014, 1022, 1027}),
        TextNumbers({menu.begin() + 5, menu.end()}));

    const auto& macro = menu[0].items;
    ASSERT_EQ(4u, macro.size());
    EXPECT_EQ((std::vector<int32_t>{1049, kMenuSeparatorId, 1050, 1051}), Ids(macro));
    EXPECT_EQ(1067, macro[0].textNumber);
    EXPECT_EQ("Reload", MenuItemText(macro[2], nullptr));
    EXPECT_EQ("Jump", MenuItemText(macro[3], nullptr));
    EXPECT_FALSE(macro[2].checked);
    EXPECT_TRUE(macro[3].checked);  // case ignored

    // The media submenu ends with the player choice.
    const auto& media = menu[1].items;
    EXPECT_EQ((std::vector<int32_t>{1025, 1026, 1027, 1028, 1029, 1030, 1031, 1032,
                                    kMenuSeparatorId, kCommandPlayerChoice}),
              Ids(media));
    EXPECT_EQ(1032, media[0].textNumber);
    EXPECT_EQ(kPlayerChoiceText, media.back().textNumber);
    EXPECT_EQ((std::vector<int>{1024, 1025, 1026}), TextNumbers(menu[2].items));
    EXPECT_EQ((std::vector<int32_t>{1013, 1014, 1015}), Ids(menu[3].items));
    EXPECT_EQ((std::vector<int>{1018, 1019, 1020}), TextNumbers(menu[3].items));
    EXPECT_EQ(10u, menu[4].items.size());
    EXPECT_EQ(1033, menu[4].items.front().command);
    EXPECT_EQ(1050, menu[4].items.back().textNumber);

    // Not a macro button: nothing checked. No macros: no separator.
    button.function = 6;
    for (const auto& item : BoxMenu(BoxEditor::kMainWindow, 3, button, macros)[0].items)
        EXPECT_FALSE(item.checked);
    EXPECT_EQ(1u, BoxMenu(BoxEditor::kMainWindow, 3, button, MacroLibrary())[0].items.size());
    EXPECT_TRUE(BoxMenu(BoxEditor::kMainWindow, 15, button, macros).empty());
    EXPECT_TRUE(BoxMenu(BoxEditor::kButtonPage, -1, button, macros).empty());
}

TEST(ButtonMenus, ButtonPagePopupOffersTheChooserAndLeavesOutTwoEntriesOnTheLastBoxes) {
    MacroLibrary macros;
    macros.macros() = {MakeMacro("Reload", 3)};
    const ButtonAssignment button = NumberedMacro("Reload", 3);
    const auto menu = BoxMenu(BoxEditor::kButtonPage, 13, button, macros);
    ASSERT_EQ(23u, menu.size());
    EXPECT_EQ((std::vector<int32_t>{kCommandMacroChooser}), Ids(menu[0].items));
    EXPECT_EQ(1071, menu[0].items[0].textNumber);
    EXPECT_EQ(kCommandPlayerChoice, menu[1].items.back().command);
    EXPECT_EQ((std::vector<int32_t>{1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010,
                                    1011, 1012, 1076, 1017, 1021, 1022, 1023, 1024}),
              Ids({menu.begin() + 5, menu.end()}));
    EXPECT_EQ((std::vector<int>{1016, 1076, 1022, 1027, 1028, 1029, 1030}),
              TextNumbers({menu.begin() + 16, menu.end()}));

    for (int box : {14, 15}) {
        const auto last = BoxMenu(BoxEditor::kButtonPage, box, button, macros);
        EXPECT_EQ((std::vector<int32_t>{1076, 1017, 1023, 1024}),
                  Ids({last.begin() + 17, last.end()}));
    }
}

TEST(ButtonMenus, CommandTableOfBothEditors) {
    struct Row {
        int32_t command;
        CommandKind main;
        int mainValue;  // function, or macro index for kMacro
        CommandKind page;
        int pageValue;
    };
    const auto F = CommandKind::kFunction;
    const auto M = CommandKind::kMacro;
    const Row rows[] = {
        {999, CommandKind::kNothing, 0, CommandKind::kNothing, 0},
        {1000, CommandKind::kNothing, 0, CommandKind::kNothing, 0},
        {1001, F, 1, F, 1},
        {1015, F, 15, F, 15},
        {1016, F, 0, F, 0},
        {1017, F, 17, F, 17},
        {1044, F, 44, F, 44},
        {1045, F, 49, F, 0},
        {1047, F, 0, F, 0},
        {1048, CommandKind::kPlayerChoice, 0, CommandKind::kPlayerChoice, 0},
        {1049, CommandKind::kMacroManager, 0, CommandKind::kMacroManager, 0},
        {1050, M, 0, CommandKind::kMacroChooser, 0},
        {1051, M, 1, F, 0},
        {1076, M, 26, F, 86},
        {1099, M, 49, F, 0},
        {1100, M, 50, M, 0},
        {4000, M, 2950, M, 2900},
        {4001, CommandKind::kNothing, 0, CommandKind::kNothing, 0},
    };
    for (const Row& row : rows) {
        const ButtonCommand main = ResolveButtonCommand(BoxEditor::kMainWindow, row.command);
        const ButtonCommand page = ResolveButtonCommand(BoxEditor::kButtonPage, row.command);
        EXPECT_EQ(row.main, main.kind) << row.command;
        EXPECT_EQ(row.page, page.kind) << row.command;
        const int mainValue = row.main == M ? main.macroIndex : main.function;
        const int pageValue = row.page == M ? page.macroIndex : page.function;
        if (row.main == F || row.main == M) {
            EXPECT_EQ(row.mainValue, mainValue) << row.command;
        }
        if (row.page == F || row.page == M) {
            EXPECT_EQ(row.pageValue, pageValue) << row.command;
        }
    }
}

TEST_F(ButtonCommands, LastPrimaryClickIsKeptWithTheWarning) {
    // Defaults: button 0 alone is a primary click.
    const SettingsStore before = *store;
    EXPECT_EQ(CommandResult::kRefused, Run(BoxEditor::kMainWindow, 0, 1002).result);
    EXPECT_EQ((Trace{"warning"}), Take(dialogs.trace));
    EXPECT_TRUE(Unchanged(before));
    // Not even a dialog opens before the rule refuses.
    EXPECT_EQ(CommandResult::kRefused,
              Run(BoxEditor::kMainWindow, 0, kCommandLaunchProgram).result);
    EXPECT_EQ((Trace{"warning"}), Take(dialogs.trace));

    EXPECT_EQ(CommandResult::kStored, Run(BoxEditor::kMainWindow, 3, 1002).result);
    EXPECT_EQ(2, Button(3).function);
    EXPECT_EQ(1, store->flags.buttons[1][3]);
    EXPECT_EQ(0, store->flags.buttons[0][3]);

    // The button page also counts button 15, the main window does not.
    Button(15).function = 1;
    EXPECT_EQ(CommandResult::kStored, Run(BoxEditor::kButtonPage, 0, 1002).result);
    Button(0).function = 1;
    EXPECT_EQ(CommandResult::kRefused, Run(BoxEditor::kMainWindow, 0, 1002).result);
    EXPECT_EQ(1, Button(0).function);
}

TEST_F(ButtonCommands, FunctionsClearAMacroAndMacroEntriesCopyTheMacro) {
    Button(4) = NumberedMacro("Old", 5, 3);
    CopyText(Button(4).programPath, kProgramPathSize, "C:\\keep.exe");
    EXPECT_EQ(CommandResult::kStored, Run(BoxEditor::kMainWindow, 4, 1028).result);
    EXPECT_EQ(28, Button(4).function);
    EXPECT_EQ(0, Button(4).stepCount);
    EXPECT_EQ("", std::string(Button(4).label));
    const MacroStep zero[kMacroStepSlots] = {};
    EXPECT_EQ(0, memcmp(zero, Button(4).steps, sizeof zero));
    EXPECT_STREQ("C:\\keep.exe", Button(4).programPath);  // the tail is not touched

    EXPECT_EQ(CommandResult::kStored, Run(BoxEditor::kMainWindow, 4, 1051).result);
    EXPECT_EQ(16, Button(4).function);
    EXPECT_STREQ("Jump", Button(4).label);
    EXPECT_EQ(2, Button(4).stepCount);
    EXPECT_EQ(5, Button(4).repeatCount);
    EXPECT_EQ(0, memcmp(macros.macros()[1].steps, Button(4).steps, sizeof zero));
    EXPECT_EQ(CommandResult::kStored, Run(BoxEditor::kButtonPage, 5, 1100).result);
    EXPECT_STREQ("Reload", Button(5).label);

    // A macro the list does not have is ignored.
    const SettingsStore before = *store;
    EXPECT_EQ(CommandResult::kNothing, Run(BoxEditor::kMainWindow, 4, 1052).result);
    EXPECT_EQ(CommandResult::kNothing, Run(BoxEditor::kButtonPage, 4, 1102).result);
    EXPECT_EQ(CommandResult::kNothing, Run(BoxEditor::kMainWindow, 15, 1002).result);
    EXPECT_EQ(CommandResult::kNothing, Run(BoxEditor::kMainWindow, 4, 1000).result);
    EXPECT_TRUE(Unchanged(before));

    // A long name is cut to the label, and still names its macro.
    macros.macros().push_back(MakeMacro("A very long macro name, cut to fit", 1));
    EXPECT_EQ(CommandResult::kStored, Run(BoxEditor::kMainWindow, 6, 1052).result);
    EXPECT_EQ(std::string("A very long macro name, "), Button(6).label);
    EXPECT_EQ(2, macros.FindForLabel(Button(6).label));
    EXPECT_TRUE(BoxMenu(BoxEditor::kMainWindow, 6, Button(6), macros)[0].items[4].checked);
}

TEST_F(ButtonCommands, KeyCombinationShowsTheSameOnBothEditors) {
    for (BoxEditor editor : {BoxEditor::kMainWindow, BoxEditor::kButtonPage}) {
        Button(3) = NumberedMacro("Old", 4);
        Button(3).steps[0] = {58, kShift | kAlt, 0};
        EXPECT_EQ(CommandResult::kStored, Run(editor, 3, kCommandKeyCombination).result);
        EXPECT_EQ((Trace{"shortcut 58 10"}), Take(dialogs.trace));
        EXPECT_EQ(5, Button(3).function);
        EXPECT_EQ(1, Button(3).stepCount);
        EXPECT_EQ(4, Button(3).steps[0].key);
        EXPECT_EQ(kCtrl, Button(3).steps[0].action);
        EXPECT_EQ("", std::string(Button(3).label));
        EXPECT_EQ("  Ctrl+A", BoxText(Button(3), editor, nullptr, layout));
    }
    // Key alone stores 1 and no modifier, whatever else was ticked.
    const uint8_t alone[5] = {1, 1, 1, 0, 1};
    memcpy(dialogs.flagsAnswer, alone, 5);
    Run(BoxEditor::kMainWindow, 3, kCommandKeyCombination);
    EXPECT_EQ(kKeyAlone, Button(3).steps[0].action);

    dialogs.ok = false;
    const SettingsStore before = *store;
    EXPECT_EQ(CommandResult::kCancelled,
              Run(BoxEditor::kMainWindow, 3, kCommandKeyCombination).result);
    EXPECT_TRUE(Unchanged(before));
}

TEST_F(ButtonCommands, ProgramPathIsOfferedOnlyToAProgramButtonAndCutToFit) {
    CopyText(Button(4).programPath, kProgramPathSize, "C:\\stale.exe");
    dialogs.pathAnswer = "C:\\Tools\\" + std::string(300, 'p') + ".exe";
    EXPECT_EQ(CommandResult::kStored, Run(BoxEditor::kButtonPage, 4, kCommandLaunchProgram).result);
    EXPECT_EQ((Trace{"program "}), Take(dialogs.trace));
    EXPECT_EQ(17, Button(4).function);
    EXPECT_EQ(kProgramPathSize - 1, strnlen(Button(4).programPath, kProgramPathSize));
    EXPECT_EQ(dialogs.pathAnswer.substr(0, kProgramPathSize - 1), Button(4).programPath);

    dialogs.pathAnswer = "C:\\Games\\Tools\\calc.exe";
    Run(BoxEditor::kMainWindow, 4, kCommandLaunchProgram);
    EXPECT_EQ(1u, Take(dialogs.trace).size());
    Run(BoxEditor::kMainWindow, 4, kCommandLaunchProgram);
    EXPECT_EQ((Trace{"program C:\\Games\\Tools\\calc.exe"}), Take(dialogs.trace));
    EXPECT_EQ("  calc.exe", BoxText(Button(4), BoxEditor::kMainWindow, nullptr, layout));

    dialogs.ok = false;
    const SettingsStore before = *store;
    EXPECT_EQ(CommandResult::kCancelled,
              Run(BoxEditor::kMainWindow, 4, kCommandLaunchProgram).result);
    EXPECT_TRUE(Unchanged(before));
}

TEST_F(ButtonCommands, ChooserReconcilesEveryProfileEvenWhenCancelled) {
    store->profiles[0].buttons[7] = NumberedMacro("Gone", 2);
    store->profiles[4].buttons[9] = NumberedMacro("  reload ", 1, 9);  // outdated copy
    store->profiles[2].buttons[8] = NumberedMacro("", 2);              // no label: left alone
    Button(3) = NumberedMacro("Jump", 2);
    Button(3).playOption = 1;
    dialogs.ok = false;

    const CommandOutcome cancelled = Run(BoxEditor::kButtonPage, 3, kCommandMacroChooser);
    EXPECT_EQ(CommandResult::kCancelled, cancelled.result);
    EXPECT_TRUE(cancelled.refreshBoxTexts);
    EXPECT_EQ((Trace{"chooser 1 1"}), Take(dialogs.trace));
    EXPECT_EQ(6, store->profiles[0].buttons[7].function);
    EXPECT_EQ(1, store->flags.buttons[0][7]);
    const ButtonAssignment& updated = store->profiles[4].buttons[9];
    EXPECT_EQ(16, updated.function);
    EXPECT_STREQ("Reload", updated.label);
    EXPECT_EQ(3, updated.stepCount);
    EXPECT_EQ(1, updated.repeatCount);
    EXPECT_EQ(1, store->flags.buttons[4][9]);
    EXPECT_EQ(16, store->profiles[2].buttons[8].function);
    EXPECT_EQ(0, store->flags.buttons[2][8]);
    EXPECT_EQ(1, Button(3).playOption);

    dialogs.ok = true;
    dialogs.macroAnswer = 0;
    EXPECT_EQ(CommandResult::kStored, Run(BoxEditor::kButtonPage, 3, kCommandMacroChooser).result);
    EXPECT_STREQ("Reload", Button(3).label);
    EXPECT_EQ(2, Button(3).playOption);
    EXPECT_EQ(3, Button(3).stepCount);

    // OK without a macro on a button of another function: an empty macro.
    dialogs.macroAnswer = -1;
    Button(5).function = 5;
    Button(5).stepCount = 1;
    Button(5).steps[0] = {4, kCtrl, 0};
    Run(BoxEditor::kButtonPage, 5, kCommandMacroChooser);
    EXPECT_EQ(16, Button(5).function);
    EXPECT_EQ(0, Button(5).stepCount);
    EXPECT_EQ("", std::string(Button(5).label));
    // A macro button keeps its macro.
    dialogs.macroAnswer = 7;
    Run(BoxEditor::kButtonPage, 3, kCommandMacroChooser);
    EXPECT_STREQ("Reload", Button(3).label);
}

TEST_F(ButtonCommands, PlayerChoiceAndMacroManagerLeaveTheButtonsAlone) {
    store->profiles[1].MediaOption = 2;
    for (int b = 0; b < kButtonCount; ++b) Button(b).function = 0;  // no primary click left
    const SettingsStore before = *store;
    EXPECT_EQ(CommandResult::kPlayerChosen,
              Run(BoxEditor::kMainWindow, 2, kCommandPlayerChoice).result);
    EXPECT_EQ((Trace{"player 2"}), Take(dialogs.trace));
    EXPECT_EQ(3, store->profiles[1].MediaOption);
    store->profiles[1].MediaOption = 2;
    EXPECT_TRUE(Unchanged(before));

    dialogs.ok = false;
    EXPECT_EQ(CommandResult::kCancelled,
              Run(BoxEditor::kButtonPage, 2, kCommandPlayerChoice).result);
    EXPECT_EQ(2, store->profiles[1].MediaOption);

    const CommandOutcome managed = Run(BoxEditor::kButtonPage, 2, kCommandMacroManager);
    EXPECT_EQ(CommandResult::kMacrosManaged, managed.result);
    EXPECT_TRUE(managed.refreshBoxTexts);
    EXPECT_EQ((Trace{"player 2", "manager"}), Take(dialogs.trace));
    EXPECT_TRUE(Unchanged(before));
}

TEST(ButtonDialogs, ShortcutFlagsMacroChooserAndPlayers) {
    uint8_t flags[5];
    ModifierFlags(kShift | kWindowsKey, flags);
    EXPECT_EQ((std::vector<uint8_t>{0, 1, 0, 0, 1}), std::vector<uint8_t>(flags, flags + 5));
    EXPECT_EQ(kShift | kWindowsKey, ModifierBits(flags));
    for (int j = 0; j < 5; ++j) EXPECT_TRUE(ModifierCheckEnabled(flags, j));
    flags[0] = 1;
    EXPECT_TRUE(ModifierCheckEnabled(flags, 0));
    for (int j = 1; j < 5; ++j) EXPECT_FALSE(ModifierCheckEnabled(flags, j));
    EXPECT_FALSE(ModifierCheckEnabled(flags, 5));

    MacroLibrary macros;
    macros.macros() = {MakeMacro("Reload", 3), MakeMacro("Jump", 2)};
    const auto chooser = MacroChooserMenu(macros);
    EXPECT_EQ((std::vector<int32_t>{1100, 1101}), Ids(chooser));
    EXPECT_EQ("Jump", MenuItemText(chooser[1], nullptr));
    EXPECT_EQ(1, MacroChooserIndex(1101, macros));
    EXPECT_EQ(-1, MacroChooserIndex(1102, macros));
    EXPECT_EQ(-1, MacroChooserIndex(1099, macros));
    // With no macro chosen the box says so: a macro to choose, or none made yet.
    struct Numbers : LanguageText {
        std::string Text(int number) const override { return std::to_string(number); }
    } texts;
    EXPECT_EQ("Jump", MacroChooserCaption(macros, 1, &texts));
    EXPECT_EQ("1092", MacroChooserCaption(macros, -1, &texts));
    EXPECT_EQ("1092", MacroChooserCaption(macros, 2, &texts));
    EXPECT_EQ("1093", MacroChooserCaption(MacroLibrary(), -1, &texts));

    EXPECT_STREQ("Real Player", PlayerName(2));
    EXPECT_STREQ("Windows Media player", PlayerName(7));
    EXPECT_STREQ("Windows Media player", PlayerName(-1));
    const auto players = PlayerMenu();
    EXPECT_EQ((std::vector<int32_t>{1001, 1002, 1004}), Ids(players));
    EXPECT_EQ("Winamp", MenuItemText(players[2], nullptr));
    EXPECT_EQ(2, PlayerFromCommand(1003));
    EXPECT_EQ(0, PlayerFromCommand(1005));
}

}  // namespace
}  // namespace kestra
