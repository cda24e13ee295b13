// The lighting page and the profile dialog end to end, with Monitor.exe and
// the virtual mouse: an effect, its speed, its direction and a level colour
// chosen by real input reach the mouse in the configuration block on Apply;
// a profile named and bound to a program through the profile dialog makes
// Monitor switch to it when that program comes to the foreground.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "device/device_commands.h"
#include "settings/ipc_names.h"
#include "settings/osd_settings.h"
#include "settings/settings_files.h"
#include "skin/menu_model.h"
#include "tests/windows/e2e_option_fixture_win.h"

namespace kestra {
namespace e2e {
namespace {

constexpr char kMain[] = "skin_main.ini";
constexpr char kLight[] = "skin_light_setting.ini";
constexpr char kProfile[] = "skin_profile.ini";

class LightAndProfileEndToEnd : public OptionSystemTest {
protected:
    SkinPlace Page() const {
        const RECT area = SkinEntryRect(folder, kMain, 42);
        return {window, {area.left, area.top}};
    }
    void Choose(int entry, int position) {
        // A user's next click comes later than the menus' reopen guard.
        Sleep(MenuReopenGuard::kGuardMs + 50);
        ClickSkinEntry(folder, kLight, entry, Page());
        ASSERT_TRUE(PickMenuEntry(position)) << Observed(folder, mouse);
    }
    void Apply() {
        ClickSkinEntry(folder, kMain, 14, Main());
        ASSERT_TRUE(WaitUntil([&] { return LogHas(mouse, "set 02"); }, 20000))
            << Observed(folder, mouse);
    }
};

TEST_F(LightAndProfileEndToEnd, AnEffectAndAColourChosenOnTheLightingPageReachTheMouse) {
    StartSystem();
    std::unique_ptr<SettingsStore> before(new SettingsStore());
    ASSERT_TRUE(ReadSharedBlock(*before));
    ProfileSettings expected = before->profiles[before->CurrentProfile];
    const int level = expected.CpiStep;
    ASSERT_TRUE(level >= 0 && level < kCpiLevelCount);

    ClickSkinEntry(folder, kMain, 38, Main());  // the lighting tab
    Choose(1, 1);  // "Steady" first, so that the effect really changes
    Choose(1, 4);  // "Neon"
    expected.LightSwitch = 5;
    Choose(2, 0);  // "Slow"
    expected.BreathSpeed = 1;
    Choose(1, 3);  // "Breathing", which has a direction
    expected.LightSwitch = 4;
    Choose(3, 1);  // "Right to Left"
    expected.Direction = 3;
    // The red preset, then blue to the right end of its slider.
    ClickSkinEntry(folder, kLight, 11, Page());
    const RECT blue = SkinEntryRect(folder, kLight, 9);
    ClickOnScreen(ScreenPoint(Page(), blue.right - 1, (blue.top + blue.bottom) / 2));
    SettleInput();
    expected.DPIColor[level] = 0xFF00FF;
    EXPECT_TRUE(mouse.Log().empty());

    Apply();
    std::unique_ptr<SettingsStore> after(new SettingsStore());
    ASSERT_TRUE(ReadSharedBlock(*after));
    const ProfileSettings& applied = after->profiles[after->CurrentProfile];
    EXPECT_EQ(4, applied.LightSwitch);
    EXPECT_EQ(1, applied.BreathSpeed);
    EXPECT_EQ(3, applied.Direction);
    EXPECT_EQ(0xFF00FF, applied.DPIColor[level]);

    // The configuration block as the encoder makes it of the expected
    // profile, and in the mouse's own terms: effect 4, slow (10), right to
    // left (0x10); the level's red and blue at full scale (51).
    const DeviceBlock bytes = BuildConfigBlock(expected);
    const FeatureReport header =
        MakeFeatureReport(kCmdConfigBlock, static_cast<uint8_t>(after->CurrentProfile + 1),
                          kBlockFollows);
    const std::vector<std::string> log = mouse.Log();
    const auto at = std::find(log.begin(), log.end(), LogLine("set", header.data(), header.size()));
    ASSERT_NE(log.end(), at) << Observed(folder, mouse);
    ASSERT_LT(at + 2, log.end());
    EXPECT_EQ(LogLine("out", bytes.data(), kBlockSize / 2), *(at + 1));
    EXPECT_EQ(LogLine("out", bytes.data() + kBlockSize / 2, kBlockSize / 2), *(at + 2));
    EXPECT_EQ("04 0A 10", LogLine("", bytes.data() + 71, 3).substr(1));
    EXPECT_EQ("33 00 33", LogLine("", bytes.data() + 104 + 3 * level, 3).substr(1));
}

TEST_F(LightAndProfileEndToEnd, AProfileBoundToAProgramIsSelectedWhenTheProgramComesToTheFront) {
    // The indication of a profile switch goes to a stand-in display window.
    DeleteFileA(folder.File("Overlay.exe").c_str());
    OsdSettings osdOn;
    MakeDefaultOsdSettings(osdOn);
    osdOn.SetWord(8, 1);
    ASSERT_TRUE(SaveOsdSettings(folder.File("config.ini"), osdOn));
    MessageRecorder osd(kOsdWindowTitle);
    // The game: a small program copied beside the others under its own name.
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string game = self;
    game = game.substr(0, game.find_last_of('\\') + 1) + "racing_game.exe";
    const std::string bound = folder.File("Racing.exe");
    ASSERT_TRUE(CopyFileA(game.c_str(), bound.c_str(), FALSE)) << game;
    StartSystem();

    // Profile 3, "New": the name and the program typed, OK; back to
    // profile 1 and Apply.
    ClickSkinEntry(folder, kMain, 7, Main());
    ClickSkinEntry(folder, kMain, 1, Main());
    HWND dialog = WaitForDialog();
    ASSERT_NE(nullptr, dialog) << Observed(folder, mouse);
    const SkinPlace inDialog{dialog, {0, 0}};
    ClickSkinEntry(folder, kProfile, 1, inDialog);
    TypeText("Racing");
    ClickSkinEntry(folder, kProfile, 2, inDialog);
    TypeText(bound);
    ClickSkinEntry(folder, kProfile, 4, inDialog);
    ASSERT_TRUE(WaitForMain());
    ClickSkinEntry(folder, kMain, 5, Main());
    Apply();
    std::unique_ptr<SettingsStore> applied(new SettingsStore());
    ASSERT_TRUE(ReadSharedBlock(*applied));
    EXPECT_STREQ("Racing", applied->profiles[2].ProFileName);
    EXPECT_EQ(bound, applied->profiles[2].GameFile);
    ASSERT_EQ(0, applied->CurrentProfile);
    ProfileSettings saved = applied->profiles[2];
    ASSERT_TRUE(LoadProfile(ProfileFilePath(folder.path(), 2), saved));
    EXPECT_STREQ("Racing", saved.ProFileName);
    EXPECT_EQ(bound, saved.GameFile);

    ASSERT_TRUE(mouse.ClearLog());
    const int shownBefore = osd.Count(UM_OSD_SHOW, OSD_SHOW_PROFILE);
    Process racing;
    ASSERT_TRUE(racing.Start(bound));
    EXPECT_TRUE(WaitUntil(
        [&] {
            std::unique_ptr<SettingsStore> block(new SettingsStore());
            return ReadSharedBlock(*block) && block->CurrentProfile == 2;
        },
        kSettle))
        << Observed(folder, mouse);
    const FeatureReport select = SelectProfileReport(2);
    EXPECT_TRUE(WaitUntil([&] { return LogHas(mouse, LogLine("set", select.data(), select.size())); },
                          kSettle))
        << Observed(folder, mouse);
    EXPECT_TRUE(WaitUntil(
        [&] { return osd.Count(UM_OSD_SHOW, OSD_SHOW_PROFILE) > shownBefore; }, kSettle))
        << Observed(folder, mouse);
    const int found = osd.Find(UM_OSD_SHOW, OSD_SHOW_PROFILE);
    ASSERT_GE(found, 0);
    EXPECT_EQ(2 << 16, osd.messages()[found].lParam);
    racing.Kill();
}

}  // namespace
}  // namespace e2e
}  // namespace kestra
