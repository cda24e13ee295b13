// The lighting page's colour controls and swatches, an effect dialog and the profile
// dialog, in Option's main window in this process, driven by real pointer
// and keyboard input at the places the staged skins give.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "option/dpi_page.h"
#include "option/light_page.h"
#include "option/light_page_win.h"
#include "option/option_dlg_win.h"
#include "option/profile_dialog_win.h"
#include "settings/file_system.h"
#include "settings/settings_files.h"
#include "skin/skin_window_win.h"
#include "tests/windows/cancelling_shell_win.h"
#include "tests/windows/e2e_harness_win.h"

namespace kestra {
namespace {

using e2e::ClickSkinEntry;
using e2e::SettleInput;
using e2e::WaitUntil;

constexpr char kPage[] = "skin_light_setting.ini";

// What a user does while this thread is held by a menu or a modal dialog,
// on a thread of its own; a script that fails presses Escape so that
// nothing is left holding the test.
void WhileHeld(const std::function<bool()>& script, const std::function<void()>& action) {
    bool done = false;
    {
        e2e::UserThread user(script);
        action();
        WaitUntil([&] { return user.done(); }, 15000);
        done = user.done();
    }
    EXPECT_TRUE(done) << "the user's steps did not all happen";
    SettleInput();
}

class LightPageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { folder_ = new e2e::ProgramFolder; }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(folder_->ok());
        RemoveFile(ConfigIniPath(path()));
        for (int i = 0; i < kProfileCount; ++i) {
            SetFileAttributesA(ProfileFilePath(path(), i).c_str(), FILE_ATTRIBUTE_NORMAL);
            RemoveFile(ProfileFilePath(path(), i));
        }
        dialog.reset(new COptionDlg(path(), shell));
        ASSERT_TRUE(dialog->Create());
        ShowWindow(dialog->hwnd(), SW_SHOW);
        SetForegroundWindow(dialog->hwnd());
        SettleInput();
        ClickSkinEntry(*folder_, "skin_main.ini", 38, Main());  // the lighting tab
        ASSERT_EQ(COptionDlg::kLightPage, dialog->shownPage());
    }
    void TearDown() override {
        e2e::MovePointerTo({0, 0});
        dialog.reset();
        SetSkinFolder("");
    }
    static const std::string& path() { return folder_->path(); }
    e2e::SkinPlace Main() { return {dialog->hwnd(), {0, 0}}; }
    e2e::SkinPlace Page() { return {page().hwnd(), {0, 0}}; }
    CLightPage& page() { return static_cast<CLightPage&>(dialog->page(COptionDlg::kLightPage)); }
    ProfileSettings& profile() { return dialog->logic().currentSettings(); }
    // The dialog this window opened, in front of it (not a window another
    // test left behind).
    HWND Dialog() {
        HWND found = nullptr;
        WaitUntil(
            [&] {
                HWND w = GetForegroundWindow();
                if (w != nullptr && GetWindow(w, GW_OWNER) == dialog->hwnd()) found = w;
                return found != nullptr;
            },
            5000);
        return found;
    }
    // A point of a slider's track at `fraction` of its width.
    POINT Track(const char* skin, HWND window, int entry, double fraction) {
        const RECT r = e2e::SkinEntryRect(*folder_, skin, entry);
        const int x = r.left + static_cast<int>((r.right - r.left - 1) * fraction);
        return e2e::ScreenPoint({window, {0, 0}}, x, (r.top + r.bottom) / 2);
    }

    static e2e::ProgramFolder* folder_;
    CancellingShell shell;
    std::unique_ptr<COptionDlg> dialog;
};
e2e::ProgramFolder* LightPageTest::folder_ = nullptr;

TEST_F(LightPageTest, SlidersPresetsAndSwatchesEditTheActiveLevelsColour) {
    profile().CpiStep = 1;
    profile().DPIColor[1] = 0x0000FF;
    page().Refresh();
    const int before0 = profile().DPIColor[0];

    e2e::ClickOnScreen(Track(kPage, page().hwnd(), kLightFirstSliderEntry + 1, 1.0));
    SettleInput();
    EXPECT_EQ(0x00FFFF, profile().DPIColor[1]);  // green at 255
    EXPECT_EQ(static_cast<COLORREF>(0x00FFFF), page().previewColour());

    ClickSkinEntry(*folder_, kPage, kLightFirstPresetEntry + 2, Page());  // blue
    EXPECT_EQ(0xFF0000, profile().DPIColor[1]);
    EXPECT_EQ(0, page().slider(0).value());
    EXPECT_EQ(255, page().slider(2).value());

    // The swatches: the one under the pointer shows in the preview only.
    ClickSkinEntry(*folder_, kPage, kLightPreviewEntry, Page());
    CColourSwatchPopup& popup = page().swatches();
    ASSERT_TRUE(popup.shown());
    EXPECT_EQ(popup.hwnd(), GetCapture());
    const e2e::SkinPlace inPopup{popup.hwnd(), {0, 0}};
    e2e::MovePointerTo(e2e::ScreenPoint(inPopup, 0, 0));
    const RECT s4 = popup.swatch(4);
    e2e::MovePointerTo(e2e::ScreenPoint(inPopup, (s4.left + s4.right) / 2, (s4.top + s4.bottom) / 2));
    SettleInput();
    EXPECT_EQ(4, popup.highlighted());
    EXPECT_EQ(kPresetColours[4], page().previewColour());
    EXPECT_EQ(0xFF0000, profile().DPIColor[1]);
    e2e::MovePointerTo(e2e::ScreenPoint(inPopup, s4.left - 4, s4.top + 2));  // between two
    SettleInput();
    EXPECT_EQ(-1, popup.highlighted());
    EXPECT_EQ(static_cast<COLORREF>(0xFF0000), page().previewColour());

    e2e::ClickOnScreen(e2e::ScreenPoint(inPopup, (s4.left + s4.right) / 2, s4.top + 3));
    SettleInput();
    EXPECT_FALSE(popup.shown());
    EXPECT_NE(popup.hwnd(), GetCapture());
    EXPECT_EQ(static_cast<int>(kPresetColours[4]), profile().DPIColor[1]);

    // A click outside every swatch only hides the popup.
    ClickSkinEntry(*folder_, kPage, kLightPreviewEntry, Page());
    ASSERT_TRUE(popup.shown());
    ClickSkinEntry(*folder_, kPage, kLightFirstLabelEntry, Page());
    EXPECT_FALSE(popup.shown());
    EXPECT_EQ(static_cast<int>(kPresetColours[4]), profile().DPIColor[1]);
    EXPECT_EQ(before0, profile().DPIColor[0]);
}

TEST_F(LightPageTest, SelectingALevelOnTheDpiPageRefreshesThePage) {
    profile().DPIColor[3] = 0x30A0F0;
    ClickSkinEntry(*folder_, "skin_main.ini", 40, Main());  // the DPI tab
    HWND dpi = dialog->page(COptionDlg::kDpiPage).hwnd();
    const RECT row = e2e::SkinEntryRect(*folder_, "skin_DPI.ini", kFirstRowEntry + 3);
    ClickSkinEntry(*folder_, "skin_DPI.ini", 71, {dpi, {row.left, row.top}});
    ASSERT_EQ(3, profile().CpiStep);
    // Before the lighting page is shown again.
    EXPECT_EQ(static_cast<COLORREF>(0x30A0F0), page().previewColour());
    EXPECT_EQ(0xF0, page().slider(0).value());  // red, the low byte
}

TEST_F(LightPageTest, AnEffectDialogOpensWithTheStoredValuesAndOkKeepsWhatWasChosen) {
    const char kNeon[] = "skin_dandian_light.ini";
    profile().NeonSpeed = 2;
    profile().NeonSpecielSpeed = 9;
    // Speed to the right end ("Custom"): the custom speed opens up; one up; OK.
    WhileHeld(
        [&] {
            HWND w = Dialog();
            if (w == nullptr) return false;
            e2e::ClickOnScreen(Track(kNeon, w, 4, 1.0));
            Sleep(200);
            const RECT s = e2e::SkinEntryRect(*folder_, kNeon, 5);
            e2e::ClickOnScreen(e2e::ScreenPoint({w, {0, 0}}, s.right - 8, s.top + 6));  // up arrow
            Sleep(200);
            ClickSkinEntry(*folder_, kNeon, 1, {w, {0, 0}});
            return true;
        },
        [&] { ClickSkinEntry(*folder_, kPage, kLightFirstDialogEntry, Page()); });
    EXPECT_EQ(4, profile().NeonSpeed);
    EXPECT_EQ(10, profile().NeonSpecielSpeed);

    // Opened again it shows speed 4 with the custom speed usable; speed 3
    // closes it again, and Cancel keeps the stored values.
    CLightEffectDialog probe(dialog->hwnd(), profile(), LightEffectDialog::kNeon);
    bool enabledAtOpen = false;
    bool enabledAfterSlow = true;
    WhileHeld(
        [&] {
            HWND w = Dialog();
            if (w == nullptr) return false;
            enabledAtOpen = IsWindowEnabled(probe.secondControl().hwnd()) != 0;
            e2e::ClickOnScreen(Track(kNeon, w, 4, 0.72));
            Sleep(200);
            enabledAfterSlow = IsWindowEnabled(probe.secondControl().hwnd()) != 0;
            ClickSkinEntry(*folder_, kNeon, 2, {w, {0, 0}});
            return true;
        },
        [&] { EXPECT_EQ(IDCANCEL, probe.RunModal()); });
    EXPECT_TRUE(enabledAtOpen);
    EXPECT_FALSE(enabledAfterSlow);
    EXPECT_EQ(3, probe.edited().NeonSpeed);
    EXPECT_EQ(4, profile().NeonSpeed);
}

TEST_F(LightPageTest, TheProfileDialogStoresOnOkOnlyAndTakesTwentyTypedCharacters) {
    const char kProfile[] = "skin_profile.ini";
    StoreProfileTexts(profile(), "Old name", "C:\\Games\\old.exe");
    // "Edit": filled; typing past 20 characters; Cancel changes nothing.
    std::string typed;
    WhileHeld(
        [&] {
            HWND w = Dialog();
            if (w == nullptr) return false;
            ClickSkinEntry(*folder_, kProfile, 1, {w, {0, 0}});
            e2e::PressKey(VK_END);
            e2e::TypeText(std::string(20, 'x'));
            const RECT name = e2e::SkinEntryRect(*folder_, kProfile, 1);
            HWND edit = ChildWindowFromPoint(w, POINT{name.left + 8, (name.top + name.bottom) / 2});
            char text[64] = "";
            GetWindowTextA(edit, text, sizeof text);
            typed = text;
            ClickSkinEntry(*folder_, kProfile, 5, {w, {0, 0}});
            return true;
        },
        [&] { ClickSkinEntry(*folder_, "skin_main.ini", 4, Main()); });
    EXPECT_EQ("Old name" + std::string(12, 'x'), typed);
    EXPECT_STREQ("Old name", profile().ProFileName);
    EXPECT_STREQ("C:\\Games\\old.exe", profile().GameFile);

    // "New": empty fields; OK at once stores both empty.
    WhileHeld(
        [&] {
            HWND w = Dialog();
            if (w == nullptr) return false;
            ClickSkinEntry(*folder_, kProfile, 4, {w, {0, 0}});
            return true;
        },
        [&] { ClickSkinEntry(*folder_, "skin_main.ini", 1, Main()); });
    EXPECT_STREQ("", profile().ProFileName);
    EXPECT_STREQ("", profile().GameFile);

    // Browse puts the chosen program in the field; Cancel still keeps it out.
    StoreProfileTexts(profile(), "Kept", "C:\\Games\\kept.exe");
    CProfileDialog browsing(dialog->hwnd(), profile(), CProfileDialog::kFilled,
                            [](HWND, std::string& path) {
                                path = "C:\\Games\\other.exe";
                                return true;
                            });
    std::string shown;
    WhileHeld(
        [&] {
            HWND w = Dialog();
            if (w == nullptr) return false;
            ClickSkinEntry(*folder_, kProfile, 3, {w, {0, 0}});
            shown = browsing.gameEdit().Text();
            ClickSkinEntry(*folder_, kProfile, 6, {w, {0, 0}});
            return true;
        },
        [&] { EXPECT_EQ(IDCANCEL, browsing.RunModal()); });
    EXPECT_EQ("C:\\Games\\other.exe", shown);
    EXPECT_STREQ("C:\\Games\\kept.exe", profile().GameFile);
}

}  // namespace
}  // namespace kestra
