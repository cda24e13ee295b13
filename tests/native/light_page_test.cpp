// The rules of the lighting page, its effect dialogs and the profile
// dialog: what a command, slider or button stores, what a refresh shows.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "option/light_page.h"
#include "tests/native/test_support.h"

namespace kestra {
namespace {

ProfileSettings DefaultProfile() {
    ProfileSettings p;
    MakeDefaultProfile(p, 0);
    return p;
}

TEST(LightPage, TheLevelMenuFollowsTheEffect) {
    ProfileSettings p = DefaultProfile();
    p.LightSwitch = kLightOff;
    p.BreathSpeed = 2;
    EXPECT_TRUE(LevelMenu(p).empty());
    EXPECT_EQ(0, ViewLight(p).levelText);  // the page writes "0%"
    EXPECT_FALSE(OnLevelCommand(p, 1023));
    EXPECT_EQ(2, p.BreathSpeed);

    p.LightSwitch = kLightSteady;
    p.LightIntensity = 1;
    ASSERT_EQ(3u, LevelMenu(p).size());
    EXPECT_EQ(1082, LevelMenu(p)[2].text);
    EXPECT_TRUE(OnLevelCommand(p, LevelMenu(p)[2].command));
    EXPECT_EQ(3, p.LightIntensity);
    EXPECT_EQ(2, p.BreathSpeed);
    EXPECT_EQ(1082, ViewLight(p).levelText);

    p.LightSwitch = kLightBreathing;
    EXPECT_EQ(1085, LevelMenu(p)[2].text);
    EXPECT_TRUE(OnLevelCommand(p, LevelMenu(p)[2].command));
    EXPECT_EQ(3, p.BreathSpeed);
    EXPECT_EQ(3, p.LightIntensity);
}

TEST(LightPage, EffectCommandsStoreTheirValuesAndOnlyBreathingHasADirection) {
    ProfileSettings p = DefaultProfile();
    const int expected[] = {0, 1, 6, 4, 5};
    const std::vector<LightMenuItem> menu = EffectMenu();
    ASSERT_EQ(5u, menu.size());
    for (size_t i = 0; i < menu.size(); ++i) {
        ASSERT_TRUE(OnEffectCommand(p, menu[i].command));
        EXPECT_EQ(expected[i], p.LightSwitch);
        EXPECT_EQ(menu[i].text, ViewLight(p).effectText);
        EXPECT_EQ(expected[i] == 4, ViewLight(p).directionEnabled);
    }
    // Commands the menu does not offer still map; foreign ones store nothing.
    EXPECT_TRUE(OnEffectCommand(p, 1003));
    EXPECT_EQ(2, p.LightSwitch);
    EXPECT_TRUE(OnEffectCommand(p, 1005));
    EXPECT_EQ(3, p.LightSwitch);
    EXPECT_TRUE(OnEffectCommand(p, 1020));
    EXPECT_EQ(4, p.LightSwitch);
    EXPECT_FALSE(OnEffectCommand(p, 1021));
    EXPECT_EQ(4, p.LightSwitch);

    EXPECT_TRUE(OnDirectionCommand(p, 1034));
    EXPECT_EQ(3, p.Direction);
    EXPECT_EQ(1089, ViewLight(p).directionText);
    EXPECT_TRUE(OnDirectionCommand(p, 1040));
    EXPECT_EQ(0, p.Direction);
    EXPECT_FALSE(OnDirectionCommand(p, 1041));
}

TEST(LightPage, DamagedValuesShowTheFallbackLabels) {
    ProfileSettings p = DefaultProfile();
    p.LightSwitch = INT_MIN;
    p.BreathSpeed = 99;
    p.Direction = -7;
    LightView v = ViewLight(p);
    EXPECT_EQ(1077, v.effectText);
    EXPECT_EQ(1084, v.levelText);
    EXPECT_EQ(1086, v.directionText);
    EXPECT_FALSE(v.directionEnabled);
    p.LightSwitch = kLightSteady;
    p.LightIntensity = 0;
    EXPECT_EQ(1081, ViewLight(p).levelText);
}

TEST(LightPage, SlidersAndPresetsEditTheActiveLevelsColour) {
    ProfileSettings p = DefaultProfile();
    p.CpiStep = 2;
    p.DPIColor[2] = 0x0000FF;
    p.DPIColor[1] = 0x123456;
    EXPECT_TRUE(OnColourSlider(p, kGreenSliderId, 128));
    EXPECT_EQ(0x0080FF, p.DPIColor[2]);
    EXPECT_TRUE(OnColourSlider(p, kBlueSliderId, 300));  // clamped
    EXPECT_EQ(0xFF80FF, p.DPIColor[2]);
    EXPECT_FALSE(OnColourSlider(p, 204, 1));
    const LightView v = ViewLight(p);
    EXPECT_EQ(0xFF, v.red);
    EXPECT_EQ(0x80, v.green);
    EXPECT_EQ(0xFF, v.blue);

    EXPECT_TRUE(OnPreset(p, 3));
    EXPECT_EQ(0xFF00FF, p.DPIColor[2]);
    EXPECT_FALSE(OnPreset(p, 7));
    EXPECT_EQ(0x123456, p.DPIColor[1]);

    // Without an active level nothing is edited, and nothing is read
    // outside the levels.
    p.CpiStep = 5;
    EXPECT_FALSE(ViewLight(p).colourEditable);
    EXPECT_EQ(0u, ViewLight(p).colour);
    EXPECT_FALSE(OnColourSlider(p, kRedSliderId, 1));
    EXPECT_FALSE(OnPreset(p, 0));
}

TEST(LightEffectDialogs, SpeedFourEnablesTheSecondControl) {
    for (LightEffectDialog d : {LightEffectDialog::kNeon, LightEffectDialog::kSingleColour,
                                LightEffectDialog::kSevenColour, LightEffectDialog::kDazzle}) {
        ProfileSettings p = DefaultProfile();
        EXPECT_TRUE(OnEffectDialogControl(p, d, kSpeedControlId, 4).secondEnabled);
        EXPECT_TRUE(ViewEffectDialog(p, d).secondEnabled);
        const EffectDialogOutcome o = OnEffectDialogControl(p, d, kSpeedControlId, 3);
        EXPECT_TRUE(o.stored);
        EXPECT_FALSE(o.secondEnabled);
        EXPECT_EQ(3, ViewEffectDialog(p, d).speed);
        OnEffectDialogControl(p, d, kSecondControlId, 7);
        EXPECT_EQ(7, ViewEffectDialog(p, d).second);
    }
    ProfileSettings p = DefaultProfile();
    p.NeonSpeed = 1;
    OnEffectDialogControl(p, LightEffectDialog::kDazzle, kSpeedControlId, 2);
    EXPECT_EQ(2, p.XuanCaiSpeed);
    EXPECT_EQ(1, p.NeonSpeed);
    EXPECT_FALSE(OnEffectDialogControl(p, LightEffectDialog::kNeon, kIntensitySliderId, 2).stored);
    EXPECT_TRUE(
        OnEffectDialogControl(p, LightEffectDialog::kSingleColour, kIntensitySliderId, 2).stored);
    EXPECT_EQ(2, p.DanSeIntensity);
    EXPECT_TRUE(OnColourChoice(p, 6));
    EXPECT_EQ(6, ViewEffectDialog(p, LightEffectDialog::kSingleColour).colourChoice);
    EXPECT_FALSE(OnColourChoice(p, 7));
}

TEST(LightEffectDialogs, DamagedValuesOpenWithinTheControlsRanges) {
    ProfileSettings p = DefaultProfile();
    p.QiSeSpeed = -40;
    p.QiSeSpecielSpeed = INT_MAX;
    p.DanSeType = 12;
    EffectDialogView v = ViewEffectDialog(p, LightEffectDialog::kSevenColour);
    EXPECT_EQ(kSpeedMin, v.speed);
    EXPECT_EQ(kSecondMax, v.second);
    EXPECT_FALSE(v.secondEnabled);
    EXPECT_EQ(-1, ViewEffectDialog(p, LightEffectDialog::kSingleColour).colourChoice);
}

TEST(ProfileDialog, TextsAreCutToTheirFields) {
    ProfileSettings p = DefaultProfile();
    StoreProfileTexts(p, "Racing", "C:\\Games\\race.exe");
    EXPECT_EQ("Racing", ProfileDialogTexts(p, false).name);
    EXPECT_EQ("C:\\Games\\race.exe", ProfileDialogTexts(p, false).gameFile);
    EXPECT_TRUE(ProfileDialogTexts(p, true).name.empty());

    // OK at once from "1" stores empty texts.
    const ProfileTexts empty = ProfileDialogTexts(p, true);
    StoreProfileTexts(p, empty.name, empty.gameFile);
    EXPECT_EQ('\0', p.ProFileName[0]);
    EXPECT_EQ('\0', p.GameFile[0]);

    StoreProfileTexts(p, std::string(600, 'n'), std::string(800, 'g'));
    EXPECT_EQ(std::string(kProfileNameSize - 1, 'n'), ProfileDialogTexts(p, false).name);
    EXPECT_EQ(std::string(499, 'g'), ProfileDialogTexts(p, false).gameFile);

    // A damaged profile without terminators reads no further than its fields.
    memset(p.ProFileName, 'x', sizeof p.ProFileName);
    memset(p.GameFile, 'y', sizeof p.GameFile);
    EXPECT_EQ(size_t(kProfileNameSize), ProfileDialogTexts(p, false).name.size());
    EXPECT_EQ(size_t(kGameFileSize), ProfileDialogTexts(p, false).gameFile.size());
}

}  // namespace
}  // namespace kestra
