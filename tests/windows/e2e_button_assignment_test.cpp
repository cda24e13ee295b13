// Button assignment from Option.exe to the mouse and back, with Monitor.exe
// and the virtual mouse: a key combination and a program given through the
// main window's box popups and their dialogs by real pointer and keyboard
// input; after Apply the profile file, the shared block and the button table
// the mouse received hold exactly those, and a press of the mouse's button
// makes Monitor inject the combination. Likewise a macro of the library on
// another profile's button, chosen on the button page through the macro
// chooser, reaches the mouse and is played by Monitor, and a program given
// there is started by the mouse's launch event.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "device/device_commands.h"
#include "keys/key_names.h"
#include "option/macro_library.h"
#include "settings/file_system.h"
#include "settings/ini_file.h"
#include "settings/ipc_names.h"
#include "settings/settings_files.h"
#include "tests/windows/e2e_option_fixture_win.h"

namespace kestra {
namespace e2e {
namespace {

constexpr char kMain[] = "skin_main.ini";
constexpr char kShortcut[] = "skin_shortcut.ini";
constexpr char kLaunch[] = "skin_lanuch_program.ini";
constexpr char kButtonPage[] = "skin_button_page.ini";
constexpr char kSelectMacro[] = "skin_select_macro.ini";

class ButtonAssignmentEndToEnd : public OptionSystemTest {};

TEST_F(ButtonAssignmentEndToEnd, ACombinationAndAProgramReachTheMouseAndTheCombinationIsInjected) {
    StartSystem();
    std::unique_ptr<SettingsStore> before(new SettingsStore());
    ASSERT_TRUE(ReadSharedBlock(*before));
    ASSERT_EQ(0, before->CurrentProfile);
    ProfileSettings expected = before->profiles[0];

    // Button 3: "Key Combination..." (entry 9), F5, Ctrl and Shift, OK.
    ClickSkinEntry(folder, kMain, 23, Main());
    ASSERT_TRUE(PickMenuEntry(9)) << Observed(folder, mouse);
    HWND dialog = WaitForDialog();
    ASSERT_NE(nullptr, dialog) << Observed(folder, mouse);
    PressKey(VK_F5);
    ClickSkinEntry(folder, kShortcut, 7, {dialog, {0, 0}});  // Ctrl
    ClickSkinEntry(folder, kShortcut, 6, {dialog, {0, 0}});  // Shift
    ClickSkinEntry(folder, kShortcut, 2, {dialog, {0, 0}});  // OK
    ASSERT_TRUE(WaitForMain()) << Observed(folder, mouse);
    ButtonAssignment& combination = expected.buttons[3];
    combination.function = 5;
    combination.stepCount = 1;
    combination.steps[0] = MacroStep{62, static_cast<uint8_t>(kShift | kCtrl), 0};  // F5

    // Button 4: "Launch Program..." (entry 15), the virtual mouse's own program typed.
    const std::string program = folder.File("vmouse.exe");
    ClickSkinEntry(folder, kMain, 24, Main());
    ASSERT_TRUE(PickMenuEntry(15)) << Observed(folder, mouse);
    dialog = WaitForDialog();
    ASSERT_NE(nullptr, dialog) << Observed(folder, mouse);
    ClickSkinEntry(folder, kLaunch, 1, {dialog, {0, 0}});
    TypeText(program);
    ClickSkinEntry(folder, kLaunch, 3, {dialog, {0, 0}});  // OK
    ASSERT_TRUE(WaitForMain()) << Observed(folder, mouse);
    expected.buttons[4].function = 17;
    ASSERT_LT(program.size(), sizeof expected.buttons[4].programPath);
    memset(expected.buttons[4].programPath, 0, sizeof expected.buttons[4].programPath);
    memcpy(expected.buttons[4].programPath, program.data(), program.size());
    // Nothing reaches the mouse before Apply.
    EXPECT_TRUE(mouse.Log().empty());

    ASSERT_TRUE(ClickApplyAndWait()) << Observed(folder, mouse);

    EXPECT_TRUE(ProfileFileHolds(0, before->profiles[0], expected));
    ProfileSettings saved = before->profiles[0];
    ASSERT_TRUE(LoadProfile(ProfileFilePath(folder.path(), 0), saved));
    EXPECT_EQ(5, saved.buttons[3].function);
    EXPECT_EQ(62, saved.buttons[3].steps[0].key);
    EXPECT_EQ(kShift | kCtrl, saved.buttons[3].steps[0].action);
    EXPECT_EQ(17, saved.buttons[4].function);
    EXPECT_EQ(program, saved.buttons[4].programPath);

    std::unique_ptr<SettingsStore> after(new SettingsStore());
    ASSERT_TRUE(ReadSharedBlock(*after));
    EXPECT_EQ(0, memcmp(&expected, &after->profiles[0], sizeof expected))
        << ProfileDifferences(expected, after->profiles[0]);
    for (int p = 1; p < kProfileCount; ++p) {
        EXPECT_EQ(0, memcmp(&before->profiles[p], &after->profiles[p], sizeof expected)) << p;
    }

    // The mouse got the button table of profile 1 alone, with both entries
    // as the encoder gives them, and no macro: the combination is Monitor's.
    DeviceBlock table{};
    bool anyMacro = false;
    for (int b = 0; b < kButtonCount; ++b) {
        bool needsMacro = false;
        const ButtonCode code = EncodeButton(expected, 0, b, &needsMacro);
        anyMacro = anyMacro || needsMacro;
        table[4 * b] = code.kind;
        table[4 * b + 1] = code.b1;
        table[4 * b + 2] = code.b2;
        table[4 * b + 3] = code.b3;
    }
    EXPECT_FALSE(anyMacro);
    const FeatureReport open = OpenApplyReport();
    const FeatureReport header = MakeFeatureReport(kCmdButtonTable, 1, kBlockFollows);
    const FeatureReport select = SelectProfileReport(0);
    const std::vector<std::string> wanted = {
        LogLine("set", open.data(), open.size()),
        LogLine("set", header.data(), header.size()),
        LogLine("out", table.data(), kBlockSize / 2),
        LogLine("out", table.data() + kBlockSize / 2, kBlockSize / 2),
        LogLine("set", select.data(), select.size()),
    };
    EXPECT_EQ(wanted, mouse.Log());
    // In the mouse's own terms: Ctrl and Shift as the report's modifier bits
    // with F5's usage; the program as launch entry 10 naming its button.
    EXPECT_EQ("00 03 3E 00", LogLine("", table.data() + 12, 4).substr(1));
    EXPECT_EQ("06 00 0A 05", LogLine("", table.data() + 16, 4).substr(1));
    // The two entries differ from what the buttons had before.
    bool unused = false;
    for (int b : {3, 4}) {
        const ButtonCode was = EncodeButton(before->profiles[0], 0, b, &unused);
        const uint8_t* now = table.data() + 4 * b;
        EXPECT_FALSE(was.kind == now[0] && was.b1 == now[1] && was.b2 == now[2] && was.b3 == now[3])
            << b;
    }

    // The mouse's button 3 pressed and released: Monitor types the combination.
    KeyObserver keys;
    ASSERT_TRUE(keys.ok());
    ASSERT_TRUE(mouse.Event(0x4000, 0x0004));
    ASSERT_TRUE(mouse.Event(0x4000, 0x0104));
    EXPECT_TRUE(WaitUntil([&] { return keys.Keys().size() >= 6; }, kSettle))
        << keys.Describe() << Observed(folder, mouse);
    Sleep(300);  // and nothing more comes
    EXPECT_EQ("+17 +16 +116 -116 -16 -17 ", keys.Describe());
}

// The macro library file as Option keeps it, written before Option starts:
// one macro, so the main window's macro submenu offers it first.
bool WriteMacroLibrary(const ProgramFolder& folder, const Macro& macro) {
    IniDocument doc;
    doc.Set("Macros", "number", "1");
    doc.Set("Macros", "0", EncodeIniStruct(&macro, sizeof macro));
    EnsureDirectory(folder.path() + "config");
    return WriteFileAtomically(folder.path() + "config\\sequence.dat", doc.Serialize());
}

TEST_F(ButtonAssignmentEndToEnd,
       AMacroAndAProgramOnProfileTwoReachTheMouseAndMonitorPlaysAndStartsThem) {
    // A down and up, then C down and up, played once.
    Macro macro;
    memset(&macro, 0, sizeof macro);
    strcpy(macro.name, "two keys");
    macro.repeatCount = 1;
    const MacroStep steps[] = {{0x04, 1, 20}, {0x04, 2, 20}, {0x06, 1, 20}, {0x06, 2, 20}};
    macro.stepCount = 4;
    memcpy(macro.steps, steps, sizeof steps);
    ASSERT_TRUE(WriteMacroLibrary(folder, macro));
    StartSystem();
    std::unique_ptr<SettingsStore> before(new SettingsStore());
    ASSERT_TRUE(ReadSharedBlock(*before));
    ASSERT_EQ(0, before->CurrentProfile);

    // Profile 2's button, then button 5's box on the button page: the first
    // submenu is "Macro", its first entry the chooser.
    ClickSkinEntry(folder, kMain, 6, Main());
    const HWND page = ShownPage();
    ASSERT_NE(nullptr, page);
    ClickSkinEntry(folder, kButtonPage, 25, {page, {0, 0}});
    ASSERT_TRUE(WaitUntil(MenuOpen, kSettle)) << Observed(folder, mouse);
    PressKey(VK_DOWN);   // "Macro"
    PressKey(VK_RIGHT);  // opens it on "Choose Macro..."
    PressKey(VK_RETURN);
    HWND dialog = WaitForDialog();
    ASSERT_NE(nullptr, dialog) << Observed(folder, mouse);
    ClickSkinEntry(folder, kSelectMacro, 4, {dialog, {0, 0}});  // the macro box
    ASSERT_TRUE(PickMenuEntry(0)) << Observed(folder, mouse);  // the library's one macro
    ClickSkinEntry(folder, kSelectMacro, 6, {dialog, {0, 0}});  // play option 1
    ClickSkinEntry(folder, kSelectMacro, 1, {dialog, {0, 0}});  // OK
    ASSERT_TRUE(WaitForMain()) << Observed(folder, mouse);

    // Button 6 through the main window's own macro submenu: the manager
    // entry, a separator, then the library's macros.
    ClickSkinEntry(folder, kMain, 26, Main());
    ASSERT_TRUE(WaitUntil(MenuOpen, kSettle)) << Observed(folder, mouse);
    PressKey(VK_DOWN);   // "Macro"
    PressKey(VK_RIGHT);  // opens it on the manager entry
    PressKey(VK_DOWN);   // the macro, past the separator
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([] { return !MenuOpen(); }, kSettle)) << Observed(folder, mouse);

    // Button 4: "Launch Program..." (entry 15), a script that leaves a file.
    const std::string program = folder.File("launched.cmd");
    const std::string trace = folder.File("launched.txt");
    ASSERT_TRUE(WriteFileAtomically(program, "echo launched> \"%~dp0launched.txt\"\r\n"));
    ClickSkinEntry(folder, kMain, 24, Main());
    ASSERT_TRUE(PickMenuEntry(15)) << Observed(folder, mouse);
    dialog = WaitForDialog();
    ASSERT_NE(nullptr, dialog) << Observed(folder, mouse);
    ClickSkinEntry(folder, kLaunch, 1, {dialog, {0, 0}});
    TypeText(program);
    ClickSkinEntry(folder, kLaunch, 3, {dialog, {0, 0}});  // OK
    ASSERT_TRUE(WaitForMain()) << Observed(folder, mouse);
    EXPECT_TRUE(mouse.Log().empty());

    ProfileSettings expected = before->profiles[1];
    for (int b : {5, 6}) {
        ButtonAssignment& button = expected.buttons[b];
        button.function = 16;
        memset(button.label, 0, sizeof button.label);
        strcpy(button.label, macro.name);
        button.stepCount = 4;
        memset(button.steps, 0, sizeof button.steps);
        memcpy(button.steps, steps, sizeof steps);
        button.repeatCount = 1;
    }
    expected.buttons[5].playOption = 1;
    expected.buttons[4].function = 17;
    ASSERT_LT(program.size(), sizeof expected.buttons[4].programPath);
    memset(expected.buttons[4].programPath, 0, sizeof expected.buttons[4].programPath);
    memcpy(expected.buttons[4].programPath, program.data(), program.size());

    ASSERT_TRUE(ClickApplyAndWait()) << Observed(folder, mouse);

    std::unique_ptr<SettingsStore> after(new SettingsStore());
    ASSERT_TRUE(ReadSharedBlock(*after));
    EXPECT_EQ(1, after->CurrentProfile);
    EXPECT_EQ(0, memcmp(&expected, &after->profiles[1], sizeof expected))
        << ProfileDifferences(expected, after->profiles[1]);
    for (int p : {0, 2, 3, 4}) {
        EXPECT_EQ(0, memcmp(&before->profiles[p], &after->profiles[p], sizeof expected)) << p;
    }

    // Profile 2's table and, after it, a macro block for each button that
    // needs one, as the encoder gives them; then profile 2 selected.
    DeviceBlock table{};
    std::vector<int> macroButtons;
    for (int b = 0; b < kButtonCount; ++b) {
        bool needsMacro = false;
        const ButtonCode code = EncodeButton(expected, 1, b, &needsMacro);
        if (needsMacro) macroButtons.push_back(b);
        table[4 * b] = code.kind;
        table[4 * b + 1] = code.b1;
        table[4 * b + 2] = code.b2;
        table[4 * b + 3] = code.b3;
    }
    ASSERT_EQ((std::vector<int>{5, 6}), macroButtons);
    EXPECT_EQ(9, table[4 * 5]);
    const FeatureReport open = OpenApplyReport();
    const FeatureReport header = MakeFeatureReport(kCmdButtonTable, 2, kBlockFollows);
    const FeatureReport select = SelectProfileReport(1);
    std::vector<std::string> wanted = {
        LogLine("set", open.data(), open.size()),
        LogLine("set", header.data(), header.size()),
        LogLine("out", table.data(), kBlockSize / 2),
        LogLine("out", table.data() + kBlockSize / 2, kBlockSize / 2),
    };
    for (int b : macroButtons) {
        const FeatureReport macroHeader =
            MakeFeatureReport(kCmdMacro, MacroSlot(1, b), kBlockFollows);
        const DeviceBlock block = BuildDeviceMacro(expected.buttons[b]);
        wanted.push_back(LogLine("set", macroHeader.data(), macroHeader.size()));
        wanted.push_back(LogLine("out", block.data(), kBlockSize / 2));
        wanted.push_back(LogLine("out", block.data() + kBlockSize / 2, kBlockSize / 2));
    }
    wanted.push_back(LogLine("set", select.data(), select.size()));
    EXPECT_EQ(wanted, mouse.Log());

    // The mouse's button 5 pressed and released: Monitor plays the macro once.
    KeyObserver keys;
    ASSERT_TRUE(keys.ok());
    ASSERT_TRUE(mouse.Event(0x4000, 0x0006));
    ASSERT_TRUE(mouse.Event(0x4000, 0x0106));
    EXPECT_TRUE(WaitUntil([&] { return keys.Keys().size() >= 4; }, kSettle))
        << keys.Describe() << Observed(folder, mouse);
    Sleep(300);  // and nothing more comes
    EXPECT_EQ("+65 -65 +67 -67 ", keys.Describe());

    // The mouse's launch event for button 4: Monitor starts the script.
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(trace.c_str()));
    ASSERT_TRUE(mouse.Event(0x000A, 0x0005));
    EXPECT_TRUE(WaitUntil(
        [&] { return GetFileAttributesA(trace.c_str()) != INVALID_FILE_ATTRIBUTES; }, 15000))
        << Observed(folder, mouse);
}

}  // namespace
}  // namespace e2e
}  // namespace kestra
