#include "option/option_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "device/apply_all.h"
#include "tests/native/device_fakes.h"
#include "tests/native/full_apply_store.h"
#include "tests/native/test_support.h"

namespace kestra {
namespace {

using kestra_test::DefaultStore;

bool NoFlags(const SettingsStore& s) {
    const ChangeFlags none = {};
    return memcmp(&none, &s.flags, sizeof none) == 0;
}

TEST(OptionProfiles, SelectingAProfileChangesOnlyTheCurrentNumber) {
    auto working = DefaultStore();
    const auto before = *working;
    SelectProfile(*working, 2);
    EXPECT_EQ(2, working->CurrentProfile);
    SelectProfile(*working, 5);
    SelectProfile(*working, -1);
    EXPECT_EQ(2, working->CurrentProfile);
    EXPECT_EQ(0, memcmp(&before.profiles, &working->profiles, sizeof before.profiles));
    EXPECT_TRUE(NoFlags(*working));
}

// Which buttons an import flags is checked with the import itself (option_logic_test).
TEST(OptionImport, CopiesOnlyAnotherFile) {
    const std::string target = ImportTargetPath("C:\\P\\", 3);
    EXPECT_EQ("C:\\P\\config\\Default3.gmp", target);
    EXPECT_EQ("C:\\P\\config\\Default0.gmp", ImportTargetPath("C:\\P\\", 9));
    EXPECT_FALSE(ImportNeedsCopy("c:\\p\\CONFIG\\default3.GMP", target));
    EXPECT_FALSE(ImportNeedsCopy("C:/P/config/Default3.gmp", target));
    EXPECT_TRUE(ImportNeedsCopy("C:\\P\\config\\Default2.gmp", target));
    EXPECT_TRUE(ImportNeedsCopy("C:\\P\\config\\Default3.gmp.bak", target));
}

// The flags a reset sets reach Monitor through an apply in marked mode: see
// option_logic_test.
TEST(OptionResets, ResetCurrentTouchesOnlyTheCurrentProfileAndResetAllEveryOne) {
    auto working = DefaultStore();
    working->CurrentProfile = 2;
    for (ProfileSettings& p : working->profiles) p.CpiStep = 4;
    CopyText(working->profiles[2].ProFileName, kProfileNameSize, "Mine");
    ResetCurrentProfile(*working);

    ProfileSettings fresh;
    MakeDefaultProfile(fresh, 2);
    EXPECT_EQ(0, memcmp(&fresh, &working->profiles[2], sizeof fresh));
    EXPECT_STREQ("Default3", working->profiles[2].ProFileName);
    EXPECT_EQ(4, working->profiles[1].CpiStep);
    EXPECT_EQ(2, working->CurrentProfile);
    for (int b = 0; b < kButtonCount; ++b) {
        EXPECT_EQ(1, working->flags.buttons[2][b]);
        EXPECT_EQ(0, working->flags.buttons[1][b]);
    }
    EXPECT_EQ(1, working->flags.polling[2]);
    EXPECT_EQ(1, working->flags.level[2]);
    EXPECT_EQ(1, working->flags.block[2]);
    EXPECT_EQ(0, working->flags.block[0]);

    working->CurrentProfile = 4;
    ResetAll(*working);
    EXPECT_EQ(0, working->CurrentProfile);
    for (int p = 0; p < kProfileCount; ++p) {
        EXPECT_EQ("Default" + std::to_string(p + 1), working->profiles[p].ProFileName);
        EXPECT_NE(4, working->profiles[p].CpiStep);
    }
}

TEST(OptionApply, ComputedModeFlagsDifferencesAndFinishHandsOver) {
    auto applied = DefaultStore();
    auto working = DefaultStore();
    working->profiles[1].PollingRate = 2;
    working->profiles[1].buttons[4].function = 0;
    working->flags.buttons[1][4] = 1;  // set by the button editor
    working->CurrentProfile = 1;
    PrepareApply(*applied, *working, kApplyComputed);
    EXPECT_EQ(1, working->flags.polling[1]);
    EXPECT_EQ(0, working->flags.polling[0]);
    EXPECT_EQ(1, working->flags.currentProfile);
    EXPECT_EQ(1, working->flags.buttons[1][4]);

    FinishApply(*applied, *working);
    EXPECT_EQ(0, working->flags.buttons[1][4]);
    EXPECT_EQ(0, memcmp(applied.get(), working.get(), sizeof(SettingsStore)));
    EXPECT_EQ(2, applied->profiles[1].PollingRate);
    // Applying again without an edit finds nothing to resend.
    PrepareApply(*applied, *working, kApplyComputed);
    EXPECT_EQ(0, working->flags.polling[1]);
    EXPECT_EQ(0, working->flags.currentProfile);
}

TEST(OptionMonitorMessages, DeviceValuesReachOnlyTheirFourFields) {
    auto block = DefaultStore();
    auto applied = DefaultStore();
    auto working = DefaultStore();
    block->CurrentProfile = 1;
    working->CurrentProfile = 1;
    block->profiles[1].CpiStep = 3;
    block->profiles[1].Sensitivity_X = 7;
    block->profiles[1].Sensitivity_Y = 8;
    block->profiles[1].PollingRate = 1;
    block->profiles[1].LightType = 9;      // the device's copy of another field
    working->profiles[1].Orientation = 1;  // an edit not yet applied
    working->profiles[0].CpiStep = 4;

    TakeDeviceValues(*block, *applied, *working);
    EXPECT_EQ(0, memcmp(block.get(), applied.get(), sizeof(SettingsStore)));
    EXPECT_EQ(3, working->profiles[1].CpiStep);
    EXPECT_EQ(7, working->profiles[1].Sensitivity_X);
    EXPECT_EQ(8, working->profiles[1].Sensitivity_Y);
    EXPECT_EQ(1, working->profiles[1].PollingRate);
    EXPECT_NE(9, working->profiles[1].LightType);
    EXPECT_EQ(1, working->profiles[1].Orientation);
    EXPECT_EQ(4, working->profiles[0].CpiStep);
}

TEST(OptionMonitorMessages, ABlockReplacesBothCopiesAndARefreshClearsHandedOverFlags) {
    auto block = DefaultStore();
    auto applied = DefaultStore();
    auto working = DefaultStore();
    block->CurrentProfile = 3;
    block->flags.buttons[2][2] = 1;
    block->flags.otherSecond[4] = 1;
    working->profiles[0].CpiStep = 4;

    TakeBlock(*block, *applied, *working, false);
    EXPECT_EQ(3, working->CurrentProfile);
    EXPECT_EQ(1, working->flags.buttons[2][2]);
    EXPECT_NE(4, working->profiles[0].CpiStep);

    TakeBlock(*block, *applied, *working, true);
    EXPECT_EQ(0, applied->flags.buttons[2][2]);
    EXPECT_EQ(0, working->flags.otherSecond[4]);

    // A damaged current profile number from the block never indexes past the profiles.
    block->CurrentProfile = 77;
    TakeBlock(*block, *applied, *working, true);
    EXPECT_EQ(0, working->CurrentProfile);
    TakeDeviceValues(*block, *applied, *working);
    EXPECT_EQ(0, applied->CurrentProfile);
}

class Texts : public LanguageText {
public:
    std::string Text(int number) const override { return "T" + std::to_string(number); }
};

TEST(OptionBoxText, FixedNamesComeFromTheLanguageTexts) {
    Texts texts;
    UsKeyboardLayout layout;
    ButtonAssignment b = kestra_test::MacroButton({});
    auto box = [&](int function, BoxEditor editor, const LanguageText* t) {
        b.function = static_cast<uint8_t>(function);
        return BoxText(b, editor, t, layout);
    };
    const std::map<int, int> expected = {
        {0, 1010},  {6, 1010},  {1, 1005},  {4, 1008},  {7, 1011},  {12, 1016}, {13, 1018},
        {15, 1020}, {18, 1024}, {24, 1030}, {25, 1032}, {32, 1039}, {33, 1041}, {44, 1052},
    };
    for (const auto& [function, number] : expected) {
        const std::string text = "  T" + std::to_string(number);
        EXPECT_EQ(text, box(function, BoxEditor::kMainWindow, &texts)) << function;
        EXPECT_EQ(text, box(function, BoxEditor::kButtonPage, &texts)) << function;
    }
    // The two editors differ in two entries.
    EXPECT_EQ("  T1070", box(49, BoxEditor::kMainWindow, &texts));
    EXPECT_EQ("  ", box(49, BoxEditor::kButtonPage, &texts));
    EXPECT_EQ("  ", box(86, BoxEditor::kMainWindow, &texts));
    EXPECT_EQ("  T1076", box(86, BoxEditor::kButtonPage, &texts));
    for (int other : {45, 48, 50, 85, 87, 255})
        EXPECT_EQ("  ", box(other, BoxEditor::kMainWindow, &texts)) << other;
    EXPECT_EQ("  ", box(1, BoxEditor::kMainWindow, nullptr));  // no library
}

TEST(OptionBoxText, CombinationMacroAndProgramNames) {
    UsKeyboardLayout layout;
    ButtonAssignment b = kestra_test::MacroButton({{4, kCtrl, 0}});  // Ctrl with A
    b.function = 5;
    EXPECT_EQ("  Ctrl+A", BoxText(b, BoxEditor::kMainWindow, nullptr, layout));
    b.stepCount = 0;
    EXPECT_EQ("  ", BoxText(b, BoxEditor::kMainWindow, nullptr, layout));

    b.function = 16;
    memset(b.label, 'x', sizeof b.label);  // unterminated label from a damaged file
    EXPECT_EQ("  " + std::string(sizeof b.label, 'x'),
              BoxText(b, BoxEditor::kMainWindow, nullptr, layout));
    CopyText(b.label, sizeof b.label, "Reload");
    EXPECT_EQ("  Reload", BoxText(b, BoxEditor::kButtonPage, nullptr, layout));

    b.function = 17;
    CopyText(b.programPath, sizeof b.programPath, "C:\\Games\\Tools\\calc.exe");
    EXPECT_EQ("  calc.exe", BoxText(b, BoxEditor::kMainWindow, nullptr, layout));
    CopyText(b.programPath, sizeof b.programPath, "notes.txt");
    EXPECT_EQ("  notes.txt", BoxText(b, BoxEditor::kMainWindow, nullptr, layout));
}

TEST(OptionApplyGate, GivesTheButtonsBackOnlyWhenMonitorCannotAnswer) {
    ApplyGate gate;
    EXPECT_FALSE(gate.GivesUp(0, false));  // nothing pending
    const uint32_t start = 0xFFFFF000u;    // just before the tick count wraps
    gate.Begin(start);
    EXPECT_TRUE(gate.pending());
    EXPECT_FALSE(gate.GivesUp(start + 1000, true));
    EXPECT_TRUE(gate.GivesUp(start + 1000, false));  // Monitor's window went away
    EXPECT_FALSE(gate.GivesUp(start + kApplyAnswerTimeoutMs - 1, true));
    EXPECT_TRUE(gate.GivesUp(start + kApplyAnswerTimeoutMs, true));
    gate.End();
    EXPECT_FALSE(gate.GivesUp(start + kApplyAnswerTimeoutMs, false));
}

TEST(OptionApplyGate, TheTimeOutOutlastsTheSlowestFullApply) {
    // Every button of every profile plays a 40-step macro: the most an apply sends.
    auto store = kestra_test::FullApplyStore();
    kestra_test::VirtualClock clock;
    DeviceFlags flags;
    kestra_test::RecordingLink link{clock};
    kestra_test::VirtualWaiter waiter{clock, flags};
    DeviceApplier applier{link, waiter};
    applier.ApplyAll(*store, ApplyMode::kAll);
    EXPECT_GT(clock.now, 1000);
    EXPECT_LT(clock.now * 2, static_cast<long>(kApplyAnswerTimeoutMs)) << clock.now;
}

}  // namespace
}  // namespace kestra
