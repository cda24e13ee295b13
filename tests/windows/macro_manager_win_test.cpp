// The macro manager in Option's main window, in this process, over a fresh
// copy of the staged program folder: opened from the MACROS tab and driven
// by real pointer and keyboard input from another thread (the manager's
// modal loop holds the test's thread), then checked in the library file,
// the library in memory and what another keyboard hook saw.
#include "option/macro_manager_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "option/option_dlg_win.h"
#include "settings/file_system.h"
#include "settings/ini_file.h"
#include "settings/settings_files.h"
#include "skin/skin_window_win.h"
#include "tests/windows/cancelling_shell_win.h"
#include "tests/windows/e2e_harness_win.h"

namespace kestra {
namespace {

using e2e::WaitUntil;

constexpr char kManager[] = "skin_macro_manager.ini";
constexpr char kManagerTitle[] = "Macro Manager";

void Type(const char* digitsOrCapitals) {
    for (const char* c = digitsOrCapitals; *c; ++c) e2e::PressKey(static_cast<WORD>(*c));
}

// The user's side (e2e::UserThread); a script that fails also closes the
// manager.
class User : public e2e::UserThread {
public:
    explicit User(std::function<bool()> script)
        : UserThread(std::move(script), [] {
              HWND manager = FindWindowA(nullptr, kManagerTitle);
              if (manager != nullptr) PostMessageA(manager, WM_CLOSE, 0, 0);
          }) {}
};

class MacroManagerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { folder_ = new e2e::ProgramFolder; }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(folder_->ok());
        RemoveFile(path() + "config\\sequence.dat");
        e2e::WriteSettings(*folder_, nullptr);
    }
    void TearDown() override {
        dialog.reset();
        SetSkinFolder("");
    }
    static const std::string& path() { return folder_->path(); }
    void Open() {
        dialog.reset(new COptionDlg(path(), shell));
        ASSERT_TRUE(dialog->Create());
        ShowWindow(dialog->hwnd(), SW_SHOW);
        SetForegroundWindow(dialog->hwnd());
        WaitUntil([] { return false; }, 50);
    }
    // The MACROS tab, then its button: the manager's loop runs until the
    // user's script has ended it.
    void RunManager(const std::function<bool(HWND)>& script) {
        e2e::ClickSkinEntry(*folder_, "skin_main.ini", 37, {dialog->hwnd(), {0, 0}});
        {
            User user([&] {
                HWND manager = nullptr;
                if (!WaitUntil(
                        [&] {
                            return (manager = FindWindowA(nullptr, kManagerTitle)) &&
                                   IsWindowVisible(manager);
                        },
                        8000))
                    return false;
                Sleep(200);
                return script(manager);
            });
            HWND page = dialog->page(COptionDlg::kMacroPage).hwnd();
            e2e::ClickSkinEntry(*folder_, "skin_macro_page.ini", 11, {page, {0, 0}});
            EXPECT_TRUE(WaitUntil([&] { return user.done(); }, 30000));
        }
        EXPECT_TRUE(WaitUntil([] { return FindWindowA(nullptr, kManagerTitle) == nullptr; }, 5000));
        e2e::SettleInput();
    }
    static void Click(HWND manager, int entry) {
        e2e::ClickSkinEntry(*folder_, kManager, entry, {manager, {0, 0}});
        Sleep(150);
    }
    // Line `line` of the list of entry `entry` ("10" macros, "20" steps).
    static POINT ListLine(HWND manager, int entry, int line) {
        const RECT r = e2e::SkinEntryRect(*folder_, kManager, entry);
        return e2e::ScreenPoint({manager, {0, 0}}, r.left + 40,
                                r.top + SkinListBox::kItemHeight * line + 9);
    }

    static e2e::ProgramFolder* folder_;
    CancellingShell shell;
    std::unique_ptr<COptionDlg> dialog;
};
e2e::ProgramFolder* MacroManagerTest::folder_ = nullptr;

TEST_F(MacroManagerTest, RecordsSwallowedKeysTakesAnEditedDelayAndOkSavesTheLibrary) {
    Open();
    std::string othersSaw = "not run";
    RunManager([&](HWND manager) {
        Click(manager, 11);  // New: a line to name in place
        Type("COMBO");
        e2e::PressKey(VK_RETURN);
        Sleep(200);

        {
            // Another program's keyboard hook, watching while the manager
            // records (it keeps what it sees, so it goes before the typing below).
            e2e::KeyObserver others;
            if (!others.ok()) return false;
            Click(manager, 21);  // Record
            e2e::SendKey('A', false);
            Sleep(40);
            e2e::SendKey('A', false);  // the key held: its repeats
            Sleep(40);
            e2e::SendKey('A', false);
            Sleep(40);
            e2e::SendKey('A', true);
            Sleep(150);
            e2e::SendKey('B', false);
            Sleep(60);
            e2e::SendKey('B', true);
            Sleep(200);
            othersSaw = others.Describe();
        }
        Click(manager, 21);  // Stop

        // The delay after the first step (its second line) typed as 1234: a
        // value no fallback gives, so the typing is seen to arrive.
        e2e::MovePointerTo(ListLine(manager, 20, 1));
        Sleep(100);
        INPUT right[2] = {};
        right[0].type = right[1].type = INPUT_MOUSE;
        right[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
        right[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
        SendInput(2, right, sizeof(INPUT));
        if (!WaitUntil(e2e::MenuOpen, 5000)) return false;
        for (int i = 0; i < 5; ++i) e2e::PressKey(VK_DOWN);  // "Edit", the fifth entry
        e2e::PressKey(VK_RETURN);
        Sleep(300);
        Type("1234");
        e2e::PressKey(VK_RETURN);
        Sleep(200);

        // Repeat on, 300 times asked.
        Click(manager, 23);
        Click(manager, 24);
        e2e::PressKey(VK_END);
        for (int i = 0; i < 4; ++i) e2e::PressKey(VK_BACK);
        Type("300");
        e2e::PressKey(VK_RETURN);
        Sleep(200);
        Click(manager, 1);  // OK
        return true;
    });
    EXPECT_EQ("", othersSaw);

    MacroLibrary saved;
    saved.Load(MacroLibraryPath(path()));
    const int index = saved.Find("COMBO");
    ASSERT_GE(index, 0);
    const Macro& macro = saved.macros()[index];
    ASSERT_EQ(4, macro.stepCount);
    const uint8_t keys[4] = {0x04, 0x04, 0x05, 0x05};  // A, A, B, B
    const uint8_t actions[4] = {1, 2, 1, 2};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(keys[i], macro.steps[i].key) << i;
        EXPECT_EQ(actions[i], macro.steps[i].action) << i;
    }
    EXPECT_EQ(1234, macro.steps[0].delay);
    EXPECT_GE(macro.steps[1].delay, 120);
    EXPECT_LE(macro.steps[1].delay, 600);
    EXPECT_GE(macro.steps[2].delay, 40);
    EXPECT_EQ(0, macro.steps[3].delay);
    EXPECT_EQ(255, macro.repeatCount);
    EXPECT_EQ(0, memcmp(&macro, &dialog->logic().macros().macros()[index], sizeof macro));
}

}  // namespace
}  // namespace kestra
