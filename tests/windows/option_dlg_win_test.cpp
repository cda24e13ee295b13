// Option's main window itself, in this process, over a fresh copy of the
// staged program folder (skins, language library), with the user's side of
// the dialogs answered by a fake shell; and Option.exe as a program.
#include "option/option_dlg_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "option/button_page_win.h"
#include "keys/key_names.h"
#include "option/dpi_page_win.h"
#include "option/macro_library.h"
#include "option/performance_page_win.h"
#include "option/shortcut_dialog_win.h"
#include "settings/file_system.h"
#include "settings/ini_file.h"
#include "settings/ipc_names.h"
#include "settings/settings_files.h"
#include "settings/shared_block_win.h"
#include "skin/menu_model.h"
#include "skin/skin_window_win.h"
#include "tests/windows/e2e_harness_win.h"

namespace kestra {
namespace {

using e2e::MessageRecorder;
using e2e::WaitUntil;

class FakeShell : public OptionShell {
public:
    std::string importPath;  // empty: the user cancels
    std::string exportPath;
    bool confirm = false;
    std::vector<std::string> opened;
    std::vector<std::string> messages;
    std::vector<WarningKind> asked;

    bool ChooseImportFile(HWND, const std::string&, std::string& path) override {
        path = importPath;
        return !path.empty();
    }
    bool ChooseExportFile(HWND, const std::string&, std::string& path) override {
        path = exportPath;
        return !path.empty();
    }
    bool Confirm(HWND, WarningKind kind) override {
        asked.push_back(kind);
        return confirm;
    }
    void ShowMessage(HWND, const char* text) override { messages.push_back(text); }
    void Open(const std::string& target) override { opened.push_back(target); }
};

RECT ClientRectOf(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string FileBytes(const std::string& path) {
    std::string bytes;
    ReadWholeFile(path, bytes);
    return bytes;
}

void Click(SkinButton& button) {
    SendMessageA(button.hwnd(), BM_CLICK, 0, 0);
}

class OptionWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { folder_ = new e2e::ProgramFolder; }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(folder_->ok());
        ASSERT_TRUE(folder_->Has("skins\\skin_main.ini"));
        // Each test starts from no settings at all.
        RemoveFile(ConfigIniPath(path()));
        for (int i = 0; i < kProfileCount; ++i) {
            SetFileAttributesA(ProfileFilePath(path(), i).c_str(), FILE_ATTRIBUTE_NORMAL);
            RemoveFile(ProfileFilePath(path(), i));
        }
        RemoveFile(path() + "config\\sequence.dat");
    }
    void TearDown() override {
        dialog.reset();
        SetSkinFolder("");
    }
    // Creates and shows the window, as Option.exe does before its loop.
    void Open() {
        dialog.reset(new COptionDlg(path(), shell));
        ASSERT_TRUE(dialog->Create());
        ShowWindow(dialog->hwnd(), SW_SHOW);
        SetForegroundWindow(dialog->hwnd());
        WaitUntil([] { return false; }, 50);
    }
    bool Ends() {
        return WaitUntil([&] { return dialog->hwnd() == nullptr; }, 3000) && dialog->ended();
    }
    static const std::string& path() { return folder_->path(); }
    static std::string Config(const char* section, const char* key) {
        return IniFile(ConfigIniPath(path())).GetString(section, key, "absent");
    }

    static e2e::ProgramFolder* folder_;
    FakeShell shell;
    std::unique_ptr<COptionDlg> dialog;
};
e2e::ProgramFolder* OptionWindowTest::folder_ = nullptr;

TEST_F(OptionWindowTest, TheWindowHasItsTitleOutlinePagesAndBoxes) {
    Open();
    HWND window = dialog->hwnd();
    EXPECT_EQ(window, FindWindowA(nullptr, kOptionWindowTitle));
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(980, r.right - r.left);
    EXPECT_EQ(600, r.bottom - r.top);
    EXPECT_TRUE(GetWindowLongPtrA(window, GWL_STYLE) & WS_SYSMENU);
    // The outline follows the mask: rounded corners are outside.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(COMPLEXREGION, GetWindowRgn(window, region));
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_TRUE(PtInRegion(region, 490, 300));
    DeleteObject(region);

    // The pages sit in the page area; the button page is shown, its tab selected.
    const RECT area = dialog->pageArea();
    EXPECT_EQ(232, area.left);
    EXPECT_EQ(96, area.top);
    for (int i = 0; i < COptionDlg::kPageCount; ++i) {
        const auto which = static_cast<COptionDlg::Page>(i);
        ASSERT_NE(nullptr, dialog->page(which).hwnd()) << i;
        const RECT page = ClientRectOf(dialog->page(which).hwnd());
        EXPECT_EQ(area.left, page.left);
        EXPECT_EQ(area.bottom, page.bottom);
        EXPECT_EQ(i == COptionDlg::kButtonPage, IsWindowVisible(dialog->page(which).hwnd()) != 0);
        EXPECT_EQ(i == COptionDlg::kButtonPage ? 1 : 0, dialog->tab(which).checked());
    }
    Click(dialog->tab(COptionDlg::kDpiPage));
    EXPECT_EQ(COptionDlg::kDpiPage, dialog->shownPage());
    EXPECT_TRUE(IsWindowVisible(dialog->page(COptionDlg::kDpiPage).hwnd()));
    EXPECT_FALSE(IsWindowVisible(dialog->page(COptionDlg::kButtonPage).hwnd()));
    EXPECT_EQ(1, dialog->tab(COptionDlg::kDpiPage).checked());
    EXPECT_EQ(0, dialog->tab(COptionDlg::kButtonPage).checked());

    // The boxes carry their control ids and the functions' names from uitext.dll.
    for (int i = 0; i < COptionDlg::kBoxCount; ++i) {
        EXPECT_EQ(COptionDlg::kFirstBoxControlId + i, GetDlgCtrlID(dialog->box(i).hwnd()));
    }
    EXPECT_EQ("  Left Click", dialog->box(0).caption());
    EXPECT_EQ("  Disabled", dialog->box(7).caption());
    EXPECT_EQ(1, dialog->profileButton(0).checked());

    // Manual and web go to the shell; the ignored messages do nothing.
    Click(dialog->manualButton());
    Click(dialog->webButton());
    ASSERT_EQ(2u, shell.opened.size());
    EXPECT_EQ(path().substr(0, path().size() - 1) + "\\User Manual.pdf", shell.opened[0]);
    EXPECT_EQ(kMakerWebAddress, shell.opened[1]);
    EXPECT_EQ(0, SendMessageA(window, UM_OPTION_IGNORED_A, 1, 2));
    EXPECT_EQ(0, SendMessageA(window, UM_OPTION_IGNORED_B, 1, 2));
    EXPECT_TRUE(shell.messages.empty());

    Click(dialog->minimiseButton());
    EXPECT_TRUE(IsIconic(window));
    ShowWindow(window, SW_RESTORE);
}

// Only the button page is made before the first paint; a page made when its
// tab is first clicked, after the profile changed while it had no window,
// shows the profile of that moment, as one made at the start would.
TEST_F(OptionWindowTest, APageMadeOnItsFirstShowingShowsTheCurrentProfile) {
    e2e::WriteSettings(*folder_, [](SettingsStore& s) {
        s.profiles[0].PollingRate = 3;
        s.profiles[2].PollingRate = 1;  // 250 Hz
        s.profiles[0].CpiLevel_X[3] = 2;
        s.profiles[2].CpiLevel_X[3] = 7;
    });
    Open();
    Click(dialog->profileButton(2));
    Click(dialog->tab(COptionDlg::kPerformancePage));
    auto& performance = static_cast<CPerformancePage&>(dialog->page(COptionDlg::kPerformancePage));
    for (int i = 0; i < kReportRateRow.count; ++i) {
        SkinButton* rate = performance.button(kReportRateRow.firstEntry + i);
        ASSERT_NE(nullptr, rate) << i;
        EXPECT_EQ(i == 1 ? 1 : 0, rate->checked()) << i;
    }
    Click(dialog->tab(COptionDlg::kDpiPage));
    EXPECT_EQ(7, static_cast<CDpiPage&>(dialog->page(COptionDlg::kDpiPage)).row(3).value());
}

TEST_F(OptionWindowTest, ProfileButtonsChangeOnlyTheWorkingCopyAndClosingSavesNothing) {
    e2e::WriteSettings(*folder_, [](SettingsStore& s) {
        s.CurrentProfile = 1;
        s.profiles[2].buttons[0].function = 10;
    });
    const std::string configBefore = FileBytes(ConfigIniPath(path()));
    const std::string profileBefore = FileBytes(ProfileFilePath(path(), 2));
    Open();
    EXPECT_EQ(1, dialog->profileButton(1).checked());

    Click(dialog->profileButton(2));
    EXPECT_EQ(2, dialog->logic().working().CurrentProfile);
    EXPECT_EQ(1, dialog->logic().applied().CurrentProfile);
    for (int i = 0; i < kProfileCount; ++i) {
        EXPECT_EQ(i == 2 ? 1 : 0, dialog->profileButton(i).checked()) << i;
    }
    EXPECT_EQ("  DPI Down", dialog->box(0).caption());  // the boxes show profile 3

    Click(dialog->orientationButton(1));
    EXPECT_EQ(1, dialog->logic().working().profiles[2].Orientation);
    EXPECT_EQ(1, dialog->orientationButton(1).checked());
    EXPECT_EQ(0, dialog->orientationButton(0).checked());

    Click(dialog->closeButton());
    ASSERT_TRUE(Ends());
    EXPECT_EQ(nullptr, FindWindowA(nullptr, kOptionWindowTitle));
    EXPECT_EQ(configBefore, FileBytes(ConfigIniPath(path())));
    EXPECT_EQ(profileBefore, FileBytes(ProfileFilePath(path(), 2)));
    EXPECT_EQ("1", Config("Setting", "CurrentProfile"));
}

TEST_F(OptionWindowTest, ApplyWithoutMonitorGivesTheButtonsBackAtOnceAndWritesTheFiles) {
    Open();
    Click(dialog->profileButton(4));
    Click(dialog->applyButton());
    EXPECT_TRUE(IsWindowEnabled(dialog->okButton().hwnd()));
    EXPECT_TRUE(IsWindowEnabled(dialog->applyButton().hwnd()));
    EXPECT_NE(dialog->hwnd(), GetCapture());
    EXPECT_FALSE(dialog->logic().applyPending());
    // What an apply saves: OptionLogicTest.ApplyWithoutMonitorSavesEverything...
    EXPECT_EQ("4", Config("Setting", "CurrentProfile"));

    // OK applies as well, and ends the window.
    Click(dialog->profileButton(3));
    Click(dialog->okButton());
    ASSERT_TRUE(Ends());
    EXPECT_EQ("3", Config("Setting", "CurrentProfile"));
}

TEST_F(OptionWindowTest, WithMonitorTheButtonsWaitForItsAnswerOrItsWindowGoing) {
    std::unique_ptr<MessageRecorder> monitor(new MessageRecorder(kMonitorWindowTitle));
    MessageRecorder mail(kMailAppletWindowTitle);
    Open();
    Click(dialog->applyButton());
    ASSERT_EQ(1, monitor->Count(UM_APPLY_SETTINGS));
    EXPECT_EQ(1, monitor->Count(UM_APPLY_SETTINGS, 0));
    EXPECT_FALSE(IsWindowEnabled(dialog->okButton().hwnd()));
    EXPECT_FALSE(IsWindowEnabled(dialog->applyButton().hwnd()));
    EXPECT_EQ(dialog->hwnd(), GetCapture());
    // The applets are told, by a posted message.
    EXPECT_TRUE(WaitUntil([&] { return mail.Count(UM_APPLY_SETTINGS) == 1; }, 1000));

    PostMessageA(dialog->hwnd(), UM_APPLY_DONE, 0, 0);
    EXPECT_TRUE(
        WaitUntil([&] { return IsWindowEnabled(dialog->applyButton().hwnd()) != 0; }, 2000));
    EXPECT_TRUE(IsWindowEnabled(dialog->okButton().hwnd()));
    EXPECT_NE(dialog->hwnd(), GetCapture());

    // A reset applies with the marks it set.
    shell.confirm = true;
    Click(dialog->resetAllButton());
    ASSERT_EQ(1u, shell.asked.size());
    EXPECT_EQ(WarningKind::kResetAll, shell.asked[0]);
    ASSERT_EQ(2, monitor->Count(UM_APPLY_SETTINGS));
    EXPECT_EQ(1, monitor->Count(UM_APPLY_SETTINGS, 1));

    // Monitor ends without answering: the watch gives the buttons back.
    monitor.reset();
    EXPECT_TRUE(
        WaitUntil([&] { return IsWindowEnabled(dialog->applyButton().hwnd()) != 0; }, 3000));
    EXPECT_NE(dialog->hwnd(), GetCapture());
}

TEST_F(OptionWindowTest, ClosingWhileAnApplyWaitsReleasesTheMouse) {
    MessageRecorder monitor(kMonitorWindowTitle);
    Open();
    Click(dialog->applyButton());
    ASSERT_EQ(dialog->hwnd(), GetCapture());
    // With the mouse held, a press on the close button reaches the window.
    const RECT close = ClientRectOf(dialog->closeButton().hwnd());
    SendMessageA(dialog->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM(close.left + 3, close.top + 3));
    ASSERT_TRUE(Ends());
    EXPECT_EQ(nullptr, GetCapture());

    // Monitor closing Option (WM_CLOSE) while it waits does the same.
    Open();
    Click(dialog->applyButton());
    ASSERT_EQ(dialog->hwnd(), GetCapture());
    PostMessageA(dialog->hwnd(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(Ends());
    EXPECT_EQ(nullptr, GetCapture());
}

TEST_F(OptionWindowTest, ExportThenImportOfAProfileRoundTrips) {
    Open();
    Click(dialog->profileButton(1));
    ProfileSettings& current = dialog->logic().working().profiles[1];
    CopyText(current.ProFileName, kProfileNameSize, "Exported");
    current.PollingRate = 1;
    const std::string file = path() + "mine.gmp";
    RemoveFile(file);

    Click(dialog->exportButton());  // cancelled: nothing written
    EXPECT_FALSE(CanOpenForReading(file));
    shell.exportPath = file;
    Click(dialog->exportButton());
    ASSERT_TRUE(CanOpenForReading(file));

    CopyText(current.ProFileName, kProfileNameSize, "Changed");
    current.PollingRate = 2;
    Click(dialog->importButton());  // cancelled: nothing read
    EXPECT_STREQ("Changed", current.ProFileName);
    shell.importPath = file;
    Click(dialog->importButton());
    EXPECT_STREQ("Exported", current.ProFileName);
    // Copied onto the profile's own file by the shell's copy, hidden. (What an
    // import reads and applies: OptionLogicTest.Import...)
    const DWORD attributes = GetFileAttributesA(ProfileFilePath(path(), 1).c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
    ProfileSettings onDisk;
    ASSERT_TRUE(LoadProfile(ProfileFilePath(path(), 1), onDisk));
    EXPECT_STREQ("Exported", onDisk.ProFileName);
    EXPECT_TRUE(IsWindowEnabled(dialog->applyButton().hwnd()));

    // The reset of the current profile asks first; no means no.
    shell.confirm = false;
    Click(dialog->resetCurrentButton());
    EXPECT_STREQ("Exported", current.ProFileName);
    shell.confirm = true;
    Click(dialog->resetCurrentButton());
    EXPECT_STREQ("Default2", current.ProFileName);
}

TEST_F(OptionWindowTest, WithMonitorsBlockTheWindowShowsAndFollowsIt) {
    bool existed = false;
    KernelHandle mutex = CreateBlockMutex(existed);
    SharedSettingsBlock block;
    ASSERT_TRUE(block.Create());
    std::unique_ptr<SettingsStore> store(new SettingsStore);
    ClearStore(*store);
    ResetAllProfiles(*store);
    store->CurrentProfile = 3;
    ASSERT_TRUE(block.Write(mutex.Get(), *store));

    Open();
    EXPECT_EQ(1, dialog->profileButton(3).checked());
    EXPECT_FALSE(CanOpenForReading(ConfigIniPath(path())));  // nothing read from files

    store->CurrentProfile = 1;
    ASSERT_TRUE(block.Write(mutex.Get(), *store));
    PostMessageA(dialog->hwnd(), UM_PROFILE_CHANGED, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return dialog->profileButton(1).checked() == 1; }, 2000));
    EXPECT_EQ(0, dialog->profileButton(3).checked());
    dialog.reset();
}

TEST_F(OptionWindowTest, ABlockThatCannotBeMappedIsReportedAndTheFilesServe) {
    // Another object under the block's name, too small to hold the settings.
    KernelHandle small(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096,
                                          kSharedBlockName));
    ASSERT_TRUE(small);
    e2e::WriteSettings(*folder_, [](SettingsStore& s) { s.CurrentProfile = 4; });
    Open();
    ASSERT_EQ(1u, shell.messages.size());
    EXPECT_EQ("Could not map view of file.", shell.messages[0]);
    EXPECT_EQ(1, dialog->profileButton(4).checked());
}

// A stand-in for Monitor that answers the device-state query with the word
// kept in its user data.
LRESULT CALLBACK AnsweringMonitorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == UM_QUERY_DEVICE_STATE) return GetWindowLongPtrA(window, GWLP_USERDATA);
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(OptionWindowTest, TheProgressAreaShowsAMouseThatDoesNotAnswerAsMonitorSays) {
    WNDCLASSA cls = {};
    cls.lpfnWndProc = &AnsweringMonitorProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "KestraAnsweringMonitor";
    RegisterClassA(&cls);
    HWND monitor = CreateWindowExA(0, cls.lpszClassName, kMonitorWindowTitle, WS_POPUP, 0, 0, 1, 1,
                                   nullptr, nullptr, cls.hInstance, nullptr);
    ASSERT_NE(nullptr, monitor);
    const unsigned long silent = PackDeviceState(kMouseNotAnswering, false, 0, 0);
    SetWindowLongPtrA(monitor, GWLP_USERDATA, static_cast<LONG_PTR>(silent));
    const std::string warning = "Mouse found but not answering (manual: Troubleshooting)";

    Open();  // asks Monitor
    EXPECT_EQ(warning, dialog->ProgressAreaLine());
    PostMessageA(dialog->hwnd(), UM_DEVICE_STATE, PackDeviceState(kMouseAnswering, true, 2, 3), 0);
    EXPECT_TRUE(WaitUntil([&] { return dialog->ProgressAreaLine().empty(); }, 2000));
    PostMessageA(dialog->hwnd(), UM_DEVICE_STATE, silent, 0);
    EXPECT_TRUE(WaitUntil([&] { return dialog->ProgressAreaLine() == warning; }, 2000));
    dialog.reset();
    DestroyWindow(monitor);
}

BOOL CALLBACK CountOptionWindows(HWND window, LPARAM count) {
    char title[128] = {};
    GetWindowTextA(window, title, sizeof title);
    if (strcmp(title, kOptionWindowTitle) == 0) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST(OptionProgram, ASecondOptionEndsWithoutAWindow) {
    e2e::ProgramFolder folder;
    ASSERT_TRUE(folder.ok());
    // The program file carries its icons, version and manifest.
    HMODULE file =
        LoadLibraryExA(folder.File("Option.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, file);
    EXPECT_NE(nullptr, FindResourceA(file, MAKEINTRESOURCEA(128), RT_GROUP_ICON));
    EXPECT_NE(nullptr, FindResourceA(file, MAKEINTRESOURCEA(145), RT_GROUP_ICON));
    EXPECT_NE(nullptr, FindResourceA(file, MAKEINTRESOURCEA(1), RT_VERSION));
    EXPECT_NE(nullptr, FindResourceA(file, MAKEINTRESOURCEA(1), RT_MANIFEST));
    FreeLibrary(file);

    e2e::Process first;
    ASSERT_TRUE(first.Start(folder.File("Option.exe")));
    HWND window = e2e::WaitForWindow(kOptionWindowTitle, 15000);
    ASSERT_NE(nullptr, window);

    e2e::Process second;
    ASSERT_TRUE(second.Start(folder.File("Option.exe")));
    ASSERT_TRUE(second.Wait(10000));
    EXPECT_EQ(0u, second.exitCode());
    int windows = 0;
    EnumWindows(&CountOptionWindows, reinterpret_cast<LPARAM>(&windows));
    EXPECT_EQ(1, windows);

    // Monitor ends Option with WM_CLOSE; nothing is saved.
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(first.Wait(10000));
    EXPECT_EQ(0u, first.exitCode());
    EXPECT_FALSE(folder.Has("config.ini"));
}

// ---- the boxes' function menus, by real input ----------------------------------

// The visible menu windows and their menus, topmost first.
using MenuWindows = std::vector<std::pair<HWND, HMENU>>;

BOOL CALLBACK CollectMenuWindow(HWND window, LPARAM data) {
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (strcmp(name, "#32768") != 0 || !IsWindowVisible(window)) return TRUE;
    DWORD_PTR menu = 0;
    SendMessageTimeoutA(window, MN_GETHMENU, 0, 0, SMTO_ABORTIFHUNG, 1000, &menu);
    if (menu != 0) reinterpret_cast<MenuWindows*>(data)->push_back({window, HMENU(menu)});
    return TRUE;
}

// Picks entries of the menu that a click is about to open: one item
// position a menu level, each clicked at its place on the screen. Runs on
// another thread, since the menu's own loop holds the test's thread.
bool PickMenu(const std::vector<int>& path) {
    HMENU previous = nullptr;
    for (int position : path) {
        // The popup is the lowest menu window (a submenu that the resting
        // pointer opened lies above it); a submenu is the topmost one.
        HMENU menu = nullptr;
        for (int i = 0; i < 250 && menu == nullptr; ++i) {
            Sleep(20);
            MenuWindows windows;
            EnumWindows(&CollectMenuWindow, reinterpret_cast<LPARAM>(&windows));
            if (previous == nullptr && !windows.empty()) menu = windows.back().second;
            for (const auto& w : windows) {
                if (previous != nullptr && w.second != previous) {
                    menu = w.second;
                    break;
                }
            }
        }
        if (menu == nullptr) return false;
        previous = menu;
        RECT r;
        if (!GetMenuItemRect(nullptr, menu, position, &r)) return false;
        e2e::ClickOnScreen({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    return true;
}

// The user's side (e2e::UserThread), or a path of menu entries clicked.
class User : public e2e::UserThread {
public:
    explicit User(std::function<bool()> script) : UserThread(std::move(script)) {}
    explicit User(std::vector<int> path) : UserThread([path] { return PickMenu(path); }) {}
};

class BoxMenuTest : public OptionWindowTest {
protected:
    // Clicks box `box` where the skin places it and picks the entry.
    void Choose(int box, std::vector<int> path) {
        {
            User picker(std::move(path));
            e2e::ClickSkinEntry(*folder_, "skin_main.ini", 20 + box, {dialog->hwnd(), {0, 0}});
            ASSERT_TRUE(WaitUntil([&] { return picker.done(); }, 8000));
        }
        e2e::SettleInput();
    }
    // The same on the button page, which shows all sixteen buttons.
    void ChooseOnPage(int box, std::vector<int> path) {
        {
            User picker(std::move(path));
            HWND page = dialog->page(COptionDlg::kButtonPage).hwnd();
            e2e::ClickSkinEntry(*folder_, "skin_button_page.ini", 20 + box, {page, {0, 0}});
            ASSERT_TRUE(WaitUntil([&] { return picker.done(); }, 8000));
        }
        e2e::SettleInput();
    }
    const ButtonAssignment& Button(int b) { return dialog->logic().currentSettings().buttons[b]; }
};

TEST_F(BoxMenuTest, AnEntryOfTheBoxMenuStoresTheFunctionAndNamesItInTheBox) {
    Open();
    Choose(3, {6});  // "Right Click"
    EXPECT_EQ(2, Button(3).function);
    EXPECT_EQ(1, dialog->logic().working().flags.buttons[0][3]);
    EXPECT_EQ("  Right Click", dialog->box(3).caption());

    Choose(4, {1, 3});  // "Multimedia", then "Play/Pause"
    EXPECT_EQ(28, Button(4).function);
    EXPECT_EQ("  Play/Pause", dialog->box(4).caption());
    EXPECT_TRUE(shell.asked.empty());
}

// A box clicked again to close its menu, fast as a double click and at a
// user's slower pace: the click that closes the menu must not open it again.
// (Under Wine a fast second press comes as a double click, which a box does
// not take for a click; the slower one is what reopened the menu.)
TEST_F(BoxMenuTest, ClickingABoxAgainClosesItsMenuForGood) {
    Open();
    const RECT r = e2e::SkinEntryRect(*folder_, "skin_main.ini", 22);
    const POINT at =
        e2e::ScreenPoint({dialog->hwnd(), {0, 0}}, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    for (DWORD secondClickAfterMs : {60, 700}) {
        SCOPED_TRACE(secondClickAfterMs);
        bool openedByFirst = false;
        {
            User user([&] {
                e2e::MovePointerTo(at);
                INPUT click[2] = {};
                click[0].type = click[1].type = INPUT_MOUSE;
                click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
                click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
                SendInput(2, click, sizeof(INPUT));
                openedByFirst = WaitUntil(e2e::MenuOpen, 1000);
                Sleep(secondClickAfterMs);
                SendInput(2, click, sizeof(INPUT));
                Sleep(MenuReopenGuard::kGuardMs + 300);
                return !e2e::MenuOpen();
            });
            EXPECT_TRUE(WaitUntil([&] { return user.done(); }, 8000));
        }
        e2e::SettleInput();
        EXPECT_TRUE(openedByFirst);
    }
}

TEST_F(BoxMenuTest, TheLastPrimaryClickStaysAndTheWarningIsShown) {
    Open();
    Choose(0, {6});  // "Right Click" for the only left click
    EXPECT_EQ(1, Button(0).function);
    ASSERT_EQ(1u, shell.asked.size());
    EXPECT_EQ(WarningKind::kClick, shell.asked[0]);
    EXPECT_EQ(0, dialog->logic().working().flags.buttons[0][0]);
}

TEST_F(BoxMenuTest, TheButtonPageCountsItsSixteenthButtonAndBothEditorsShowTheChange) {
    Open();
    ASSERT_TRUE(IsWindowVisible(dialog->page(COptionDlg::kButtonPage).hwnd()));
    auto& page = static_cast<CButtonPage&>(dialog->page(COptionDlg::kButtonPage));
    EXPECT_EQ("  DPI Down", page.box(15).caption());  // default function 10

    ChooseOnPage(15, {5});  // "Left Click" for button 16
    EXPECT_EQ(1, Button(15).function);
    EXPECT_EQ("  Left Click", page.box(15).caption());

    // The main window does not see button 16: the only left click there stays.
    Choose(0, {6});
    EXPECT_EQ(1, Button(0).function);
    ASSERT_EQ(1u, shell.asked.size());
    // The page does.
    ChooseOnPage(0, {6});
    EXPECT_EQ(2, Button(0).function);
    EXPECT_EQ(1u, shell.asked.size());
    EXPECT_EQ("  Right Click", page.box(0).caption());
    EXPECT_EQ("  Right Click", dialog->box(0).caption());
    EXPECT_EQ(1, dialog->logic().working().flags.buttons[0][15]);
}

TEST_F(BoxMenuTest, TheMediaSubmenuOpensThePlayerDialog) {
    Open();
    HWND main = dialog->hwnd();
    const auto playerDialog = [main]() -> HWND {
        for (int i = 0; i < 250; ++i) {
            HWND w = GetForegroundWindow();
            if (w != nullptr && w != main) return w;
            Sleep(20);
        }
        return nullptr;
    };
    // Winamp, then OK.
    {
        User user([&] {
            if (!PickMenu({1, 9})) return false;
            HWND w = playerDialog();
            if (w == nullptr) return false;
            e2e::ClickSkinEntry(*folder_, "skin_select_player.ini", 1, {w, {0, 0}});
            if (!PickMenu({2})) return false;
            e2e::ClickSkinEntry(*folder_, "skin_select_player.ini", 2, {w, {0, 0}});
            return true;
        });
        e2e::ClickSkinEntry(*folder_, "skin_main.ini", 23, {main, {0, 0}});
        ASSERT_TRUE(WaitUntil([&] { return user.done(); }, 15000));
    }
    e2e::SettleInput();
    EXPECT_EQ(3, dialog->logic().currentSettings().MediaOption);
    EXPECT_EQ(7, Button(3).function);  // the button itself is not changed
    EXPECT_EQ(0, dialog->logic().working().flags.buttons[0][3]);

    // iTunes, then the corner cross: nothing changes.
    {
        User user([&] {
            if (!PickMenu({1, 9})) return false;
            HWND w = playerDialog();
            if (w == nullptr) return false;
            e2e::ClickSkinEntry(*folder_, "skin_select_player.ini", 1, {w, {0, 0}});
            if (!PickMenu({1})) return false;
            e2e::ClickSkinEntry(*folder_, "skin_select_player.ini", 4, {w, {0, 0}});
            return true;
        });
        e2e::ClickSkinEntry(*folder_, "skin_main.ini", 23, {main, {0, 0}});
        ASSERT_TRUE(WaitUntil([&] { return user.done(); }, 15000));
    }
    e2e::SettleInput();
    EXPECT_EQ(3, dialog->logic().currentSettings().MediaOption);
}

void TypeText(const std::string& text) {
    for (char c : text) {
        INPUT key[2] = {};
        key[0].type = key[1].type = INPUT_KEYBOARD;
        key[0].ki.wScan = key[1].ki.wScan = static_cast<unsigned char>(c);
        key[0].ki.dwFlags = KEYEVENTF_UNICODE;
        key[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(2, key, sizeof(INPUT));
    }
    Sleep(200);
}

TEST_F(BoxMenuTest, LaunchProgramTakesTheTypedPathAndCancelLeavesTheButton) {
    Open();
    HWND main = dialog->hwnd();
    const auto launchDialog = [main]() -> HWND {
        for (int i = 0; i < 250; ++i) {
            HWND w = GetForegroundWindow();
            if (w != nullptr && w != main) return w;
            Sleep(20);
        }
        return nullptr;
    };
    const char kSkin[] = "skin_lanuch_program.ini";
    {
        User user([&] {
            if (!PickMenu({15})) return false;  // "Launch Program..."
            HWND w = launchDialog();
            if (w == nullptr) return false;
            e2e::ClickSkinEntry(*folder_, kSkin, 1, {w, {0, 0}});
            TypeText("C:\\Tools\\calc.exe");
            e2e::ClickSkinEntry(*folder_, kSkin, 3, {w, {0, 0}});
            return true;
        });
        e2e::ClickSkinEntry(*folder_, "skin_main.ini", 23, {main, {0, 0}});
        ASSERT_TRUE(WaitUntil([&] { return user.done(); }, 15000));
    }
    e2e::SettleInput();
    EXPECT_EQ(17, Button(3).function);
    EXPECT_STREQ("C:\\Tools\\calc.exe", Button(3).programPath);
    EXPECT_EQ("  calc.exe", dialog->box(3).caption());
    EXPECT_EQ(1, dialog->logic().working().flags.buttons[0][3]);

    // Typed over, then cancelled: the button keeps its program.
    {
        User user([&] {
            if (!PickMenu({15})) return false;
            HWND w = launchDialog();
            if (w == nullptr) return false;
            e2e::ClickSkinEntry(*folder_, kSkin, 1, {w, {0, 0}});
            TypeText("x");
            e2e::ClickSkinEntry(*folder_, kSkin, 4, {w, {0, 0}});
            return true;
        });
        e2e::ClickSkinEntry(*folder_, "skin_main.ini", 23, {main, {0, 0}});
        ASSERT_TRUE(WaitUntil([&] { return user.done(); }, 15000));
    }
    e2e::SettleInput();
    EXPECT_STREQ("C:\\Tools\\calc.exe", Button(3).programPath);
}

TEST_F(BoxMenuTest, TheButtonPagesMacroChooserPutsTheChosenMacroOnTheButton) {
    MacroLibrary library;
    for (const char* name : {"Reload", "Jump"}) {
        Macro m;
        memset(&m, 0, sizeof m);
        CopyText(m.name, sizeof m.name, name);
        m.repeatCount = 2;
        m.stepCount = 2;
        m.steps[0] = {4, 1, 10};
        m.steps[1] = {4, 2, 10};
        library.macros().push_back(m);
    }
    ASSERT_TRUE(library.Save(MacroLibraryPath(path())));
    Open();
    ASSERT_EQ(2u, dialog->logic().macros().macros().size());
    HWND page = dialog->page(COptionDlg::kButtonPage).hwnd();
    HWND main = dialog->hwnd();
    const char kSkin[] = "skin_select_macro.ini";
    {
        User user([&] {
            if (!PickMenu({0, 0})) return false;  // "Macro", "Choose Macro..."
            HWND w = nullptr;
            for (int i = 0; i < 250 && w == nullptr; ++i) {
                HWND f = GetForegroundWindow();
                if (f != nullptr && f != main) w = f;
                Sleep(20);
            }
            if (w == nullptr) return false;
            e2e::ClickSkinEntry(*folder_, kSkin, 4, {w, {0, 0}});
            if (!PickMenu({1})) return false;  // "Jump"
            e2e::ClickSkinEntry(*folder_, kSkin, 7, {w, {0, 0}});
            e2e::ClickSkinEntry(*folder_, kSkin, 1, {w, {0, 0}});
            return true;
        });
        e2e::ClickSkinEntry(*folder_, "skin_button_page.ini", 25, {page, {0, 0}});
        ASSERT_TRUE(WaitUntil([&] { return user.done(); }, 15000));
    }
    e2e::SettleInput();
    EXPECT_EQ(16, Button(5).function);
    EXPECT_STREQ("Jump", Button(5).label);
    EXPECT_EQ(2, Button(5).playOption);
    EXPECT_EQ(2, Button(5).stepCount);
    EXPECT_EQ(2, Button(5).repeatCount);
    auto& buttonPage = static_cast<CButtonPage&>(dialog->page(COptionDlg::kButtonPage));
    EXPECT_EQ("  Jump", buttonPage.box(5).caption());
    EXPECT_EQ("  Jump", dialog->box(5).caption());
}

void PressKey(WORD virtualKey) {
    INPUT key[2] = {};
    key[0].type = key[1].type = INPUT_KEYBOARD;
    key[0].ki.wVk = key[1].ki.wVk = virtualKey;
    key[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, key, sizeof(INPUT));
    Sleep(100);
}

TEST_F(BoxMenuTest, TheShortcutDialogCapturesEveryKeyAndStoresKeyAndFlags) {
    Open();
    HWND main = dialog->hwnd();
    const char kSkin[] = "skin_shortcut.ini";
    std::string title;
    std::string helpShown = "not read";
    {
        User user([&] {
            if (!PickMenu({9})) return false;  // "Key Combination..."
            HWND w = nullptr;
            for (int i = 0; i < 250 && w == nullptr; ++i) {
                HWND f = GetForegroundWindow();
                if (f != nullptr && f != main) w = f;
                Sleep(20);
            }
            if (w == nullptr) return false;
            char text[64] = "";
            GetWindowTextA(w, text, sizeof text);
            title = text;
            PressKey(VK_RETURN);  // captured, does not end the dialog
            PressKey(VK_HELP);    // no row in the key table: nothing stored, nothing shown
            char shown[64] = "?";
            GetDlgItemTextA(w, 301, shown, sizeof shown);
            helpShown = shown;
            PressKey(VK_F5);
            e2e::ClickSkinEntry(*folder_, kSkin, 7, {w, {0, 0}});  // Ctrl
            e2e::ClickSkinEntry(*folder_, kSkin, 6, {w, {0, 0}});  // Shift
            e2e::ClickSkinEntry(*folder_, kSkin, 2, {w, {0, 0}});  // OK
            return true;
        });
        e2e::ClickSkinEntry(*folder_, "skin_main.ini", 23, {main, {0, 0}});
        ASSERT_TRUE(WaitUntil([&] { return user.done(); }, 15000));
    }
    e2e::SettleInput();
    EXPECT_EQ("Q.VENO Shortcut Dialog", title);
    EXPECT_EQ("", helpShown);
    EXPECT_EQ(5, Button(3).function);
    EXPECT_EQ(1, Button(3).stepCount);
    EXPECT_EQ(62, Button(3).steps[0].key);  // F5
    EXPECT_EQ(kShift | kCtrl, Button(3).steps[0].action);
    EXPECT_EQ("  Shift+Ctrl+F5", dialog->box(3).caption());

    // The hook is gone with the dialog: a pressed key is down for the system again.
    INPUT key = {};
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = 'Q';
    SendInput(1, &key, sizeof key);
    e2e::SettleInput();
    EXPECT_NE(0, GetAsyncKeyState('Q') & 0x8000);
    key.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &key, sizeof key);
    e2e::SettleInput();
}

// A shortcut dialog whose system-wide hook is refused, as a policy or a
// full hook chain may refuse it.
class UnhookedShortcutDialog : public CShortcutDialog {
public:
    using CShortcutDialog::CShortcutDialog;

protected:
    HHOOK InstallHook() override { return nullptr; }
};

TEST_F(BoxMenuTest, WithoutItsHookTheShortcutDialogStillTakesTheKeysTypedIntoIt) {
    Open();
    const uint8_t flags[5] = {0, 0, 0, 0, 0};
    UnhookedShortcutDialog shortcut(dialog->hwnd(), 4, flags);  // A
    int result = 0;
    {
        auto type = [&] {
            HWND w = nullptr;
            for (int i = 0; i < 250 && w == nullptr; ++i) {
                HWND f = GetForegroundWindow();
                if (f != nullptr && f == shortcut.hwnd()) w = f;
                Sleep(20);
            }
            if (w == nullptr) return false;
            PressKey(VK_ESCAPE);  // a key like any other: the dialog stays
            PressKey(VK_F7);
            PressKey(VK_LCONTROL);  // a modifier alone is a key too, with its side
            if (!IsWindowVisible(w)) return false;
            e2e::ClickSkinEntry(*folder_, "skin_shortcut.ini", 2, {w, {0, 0}});  // OK
            return true;
        };
        // Escape is the dialog's own key here, so a failed script closes it.
        User user([&] { return type() || !PostMessageA(shortcut.hwnd(), WM_CLOSE, 0, 0); });
        result = shortcut.RunModal();
        ASSERT_TRUE(WaitUntil([&] { return user.done(); }, 15000));
    }
    EXPECT_EQ(IDOK, result);
    uint32_t virtualKey = 0;
    ASSERT_TRUE(KeyIndexToVirtualKey(shortcut.key(), SystemKeyboardLayout(), virtualKey));
    EXPECT_EQ(static_cast<uint32_t>(VK_LCONTROL), virtualKey);
}

}  // namespace
}  // namespace kestra
