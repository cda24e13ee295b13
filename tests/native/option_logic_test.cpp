#include "option/option_logic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "settings/file_system.h"
#include "settings/ini_file.h"
#include "settings/ipc_names.h"
#include "settings/settings_files.h"
#include "tests/native/test_folder.h"
#include "tests/native/test_support.h"

namespace kestra {
namespace {

using kestra_test::DefaultStore;
using kestra_test::NumberedMacro;
using kestra_test::TestFolder;

// Records what the logic asks for, in order; the block, Monitor's window and
// the clock are whatever a test sets.
class FakeEffects : public OptionEffects {
public:
    std::unique_ptr<SettingsStore> block;  // null: no block to read or write
    std::unique_ptr<SettingsStore> written;
    bool monitor = false;
    bool copyWorks = true;
    uint32_t tick = 5000;
    std::vector<std::string> log;
    std::vector<unsigned> refreshes;
    int sentMode = -1;

    bool ReadBlock(SettingsStore& store) override {
        log.push_back("read block");
        if (!block) return false;
        store = *block;
        return true;
    }
    bool WriteBlock(const SettingsStore& store) override {
        log.push_back("write block");
        if (!block) return false;
        *block = store;
        written.reset(new SettingsStore(store));
        return true;
    }
    void ReadSystemSettings(ProfileSettings& profile) override {
        log.push_back("system settings");
        profile.DbleClickSpeed = 321;
    }
    bool SendApplyToMonitor(int mode) override {
        log.push_back("send " + std::to_string(mode));
        sentMode = mode;
        return monitor;
    }
    bool MonitorWindowExists() override { return monitor; }
    void NotifyApplets() override { log.push_back("applets"); }
    void ReplaceWithCopy(const std::string& source, const std::string& target) override {
        log.push_back("copy");
        if (!copyWorks) return;
        std::string bytes;
        RemoveFile(target);
        if (ReadWholeFile(source, bytes)) WriteFileAtomically(target, bytes);
    }
    uint32_t TickCount() override { return tick; }
    uint32_t SecondsSince1970() override { return 0x01020304; }
    void ShowApplyPending(bool pending) override { log.push_back(pending ? "pending" : "done"); }
    void ShowProgressArea(const ProgressAreaState& area) override {
        switch (area.shows()) {
            case ProgressAreaState::Shows::kProgress:
                log.push_back(area.progress().Text());
                break;
            case ProgressAreaState::Shows::kNotAnswering:
                log.push_back("not answering");
                break;
            default:
                log.push_back("nothing");
        }
    }
    void RefreshPages(unsigned pages) override {
        log.push_back("refresh");
        refreshes.push_back(pages);
    }
    size_t Count(const std::string& entry) const {
        return static_cast<size_t>(std::count(log.begin(), log.end(), entry));
    }
};

class OptionLogicTest : public ::testing::Test {
protected:
    std::string File(const std::string& relative) const { return folder.path() + relative; }
    int ConfigInt(const char* section, const char* key) const {
        return IniFile(ConfigIniPath(folder.path())).GetInt(section, key, -99);
    }

    TestFolder folder;
    FakeEffects effects;
    OptionLogic logic{folder.path(), effects};
};

TEST_F(OptionLogicTest, WithoutABlockTheStartLoadsTheFilesAndSavesTheReconciledMacros) {
    auto stored = DefaultStore();
    stored->CurrentProfile = 2;
    stored->profiles[4].buttons[6] = NumberedMacro("Reload", 3);
    SaveStore(folder.path(), *stored);

    logic.Start(false);
    EXPECT_EQ(2, logic.working().CurrentProfile);
    EXPECT_EQ(0, memcmp(&logic.working(), &logic.applied(), sizeof(SettingsStore)));
    EXPECT_EQ(321, logic.working().profiles[2].DbleClickSpeed);  // the system's value
    EXPECT_EQ(0u, effects.Count("read block"));
    // The button's macro is in the library, and the library on disk.
    ASSERT_EQ(1u, logic.macros().macros().size());
    MacroLibrary saved;
    saved.Load(MacroLibraryPath(folder.path()));
    ASSERT_EQ(1u, saved.macros().size());
    EXPECT_STREQ("Reload", saved.macros()[0].name);
    // No display settings on disk: the defaults, as after a reset.
    EXPECT_EQ(110, logic.osd().Word(140));
    EXPECT_EQ(5, logic.osd().Word(344));
    ASSERT_FALSE(effects.refreshes.empty());
    EXPECT_EQ(kAllPageBits, effects.refreshes.back());
    // A first start in an empty folder: SettingsFiles.FreshFolderGetsFiveDefaultProfiles.
}

TEST_F(OptionLogicTest, FromTheBlockTheStartClearsTheHandedOverFlagsAndReadsTheSystemOnce) {
    effects.block = DefaultStore();
    effects.block->CurrentProfile = 3;
    effects.block->profiles[3].CpiStep = 2;
    effects.block->flags.buttons[1][1] = 1;
    effects.block->flags.otherSecond[2] = 1;
    effects.block->profiles[3].DbleClickSpeed = 400;

    logic.Start(true);
    EXPECT_EQ(3, logic.working().CurrentProfile);
    EXPECT_EQ(2, logic.working().profiles[3].CpiStep);
    EXPECT_EQ(0, logic.applied().flags.buttons[1][1]);
    EXPECT_EQ(0, logic.applied().flags.otherSecond[2]);
    // The system's pointer values reach the working copy only.
    EXPECT_EQ(321, logic.working().profiles[3].DbleClickSpeed);
    EXPECT_EQ(400, logic.applied().profiles[3].DbleClickSpeed);
    EXPECT_FALSE(CanOpenForReading(ProfileFilePath(folder.path(), 0)));  // files untouched

    // A block that is there but cannot be read (no mutex) does not start
    // Option with an empty store: the files are read instead.
    TestFolder other;
    FakeEffects unreadable;
    OptionLogic logic2(other.path(), unreadable);
    logic2.Start(true);
    EXPECT_STREQ("Default1", logic2.working().profiles[0].ProFileName);
    EXPECT_TRUE(CanOpenForReading(ProfileFilePath(other.path(), 0)));
}

TEST_F(OptionLogicTest, ApplyWithoutMonitorSavesEverythingAndGivesTheButtonsBackAtOnce) {
    logic.Start(false);
    effects.log.clear();
    logic.SelectProfile(1);
    logic.working().profiles[1].PollingRate = 1;
    logic.working().flags.buttons[1][3] = 1;  // as the button editor sets it
    logic.osd().SetWord(8, 1);
    logic.Apply(kApplyComputed);

    const std::vector<std::string> expected = {"refresh", "pending", "write block",
                                               "send 0",  "applets", "done"};
    EXPECT_EQ(expected, effects.log);
    EXPECT_FALSE(logic.applyPending());
    EXPECT_EQ(1, ConfigInt("Setting", "CurrentProfile"));
    ProfileSettings onDisk;
    ASSERT_TRUE(LoadProfile(ProfileFilePath(folder.path(), 1), onDisk));
    EXPECT_EQ(1, onDisk.PollingRate);
    EXPECT_EQ(1, LoadOsdSettings(ConfigIniPath(folder.path())).Word(8));
    unsigned char code[16];
    ASSERT_TRUE(IniFile(ConfigIniPath(folder.path())).GetStruct("HidAccessCode", "Code", code, 16));
    EXPECT_EQ(0x04, code[0]);
    EXPECT_EQ(0x01, code[3]);
    EXPECT_EQ(0, code[4]);
    // Handed over: the flags are cleared and the working copy is the applied one.
    EXPECT_EQ(0, logic.working().flags.buttons[1][3]);
    EXPECT_EQ(0, memcmp(&logic.working(), &logic.applied(), sizeof(SettingsStore)));
    EXPECT_TRUE(CanOpenForReading(MacroLibraryPath(folder.path())));
}

TEST_F(OptionLogicTest, APendingApplyEndsWithMonitorsAnswerItsWindowGoingOrTheTimeOut) {
    effects.block = DefaultStore();
    effects.monitor = true;
    logic.Start(true);
    logic.working().profiles[0].CpiStep = 3;
    logic.Apply(kApplyComputed);
    EXPECT_TRUE(logic.applyPending());
    EXPECT_EQ(0u, effects.Count("done"));
    // What Monitor reads: the flags computed against the applied copy.
    ASSERT_TRUE(effects.written);
    EXPECT_EQ(1, effects.written->flags.level[0]);
    EXPECT_EQ(0, effects.written->flags.level[1]);
    EXPECT_EQ(3, effects.block->profiles[0].CpiStep);

    logic.OnApplyDone();
    EXPECT_FALSE(logic.applyPending());
    EXPECT_EQ(1u, effects.Count("done"));

    logic.Apply(kApplyComputed);
    effects.tick += kApplyAnswerTimeoutMs - 1;
    logic.OnApplyWatch();
    EXPECT_TRUE(logic.applyPending());
    effects.tick += 1;
    logic.OnApplyWatch();
    EXPECT_FALSE(logic.applyPending());

    logic.Apply(kApplyComputed);
    effects.monitor = false;  // Monitor ended without answering
    logic.OnApplyWatch();
    EXPECT_FALSE(logic.applyPending());
    EXPECT_EQ(3u, effects.Count("done"));
    logic.OnApplyWatch();  // nothing pending: nothing happens
    EXPECT_EQ(3u, effects.Count("done"));
}

TEST_F(OptionLogicTest, ImportReadsAProfileFileAndAppliesWhateverBecameOfIt) {
    logic.Start(false);
    auto source = DefaultStore();
    CopyText(source->profiles[0].ProFileName, kProfileNameSize, "Shooter");
    source->profiles[0].buttons[2].function = 0;
    source->profiles[0].PollingRate = 0;
    const std::string chosen = folder.path() + "shooter.gmp";
    ASSERT_TRUE(SaveProfile(chosen, source->profiles[0]));

    logic.SelectProfile(3);
    effects.block = DefaultStore();  // to see the flags handed over
    EXPECT_EQ(ImportOutcome::kRead, logic.Import(chosen));
    EXPECT_STREQ("Shooter", logic.working().profiles[3].ProFileName);
    EXPECT_STREQ("Default1", logic.working().profiles[0].ProFileName);
    EXPECT_EQ(1u, effects.Count("copy"));
    ProfileSettings target;
    ASSERT_TRUE(LoadProfile(ProfileFilePath(folder.path(), 3), target));
    EXPECT_STREQ("Shooter", target.ProFileName);
    ASSERT_TRUE(effects.written);
    for (int b = 0; b < kButtonCount; ++b) EXPECT_EQ(1, effects.written->flags.buttons[3][b]);
    EXPECT_EQ(1, effects.written->flags.polling[3]);
    EXPECT_EQ(0, effects.written->flags.buttons[2][0]);
    EXPECT_EQ(0, effects.sentMode);

    // The current profile's own file: no copy, still read and applied.
    effects.log.clear();
    logic.working().profiles[3].PollingRate = 2;  // an edit the file does not hold
    EXPECT_EQ(ImportOutcome::kRead, logic.Import(ProfileFilePath(folder.path(), 3)));
    EXPECT_EQ(0u, effects.Count("copy"));
    EXPECT_EQ(0, logic.working().profiles[3].PollingRate);
    EXPECT_EQ(1u, effects.Count("send 0"));

    // A copy that fails still imports what the user chose.
    effects.copyWorks = false;
    CopyText(source->profiles[0].ProFileName, kProfileNameSize, "Racer");
    ASSERT_TRUE(SaveProfile(chosen, source->profiles[0]));
    EXPECT_EQ(ImportOutcome::kRead, logic.Import(chosen));
    EXPECT_STREQ("Racer", logic.working().profiles[3].ProFileName);
}

TEST_F(OptionLogicTest, ProgressShowsOnlyWhileOurApplyIsPendingAndGoesWithIt) {
    effects.block = DefaultStore();
    effects.monitor = true;
    logic.Start(true);
    // Before an apply of ours (a full send after an arrival): not shown.
    logic.OnApplyProgress(PackApplyProgress(1, 10), 5000);
    EXPECT_EQ(0u, effects.Count("Sending to the mouse: 1 of 10 reports, 5 s left"));

    logic.Apply(kApplyComputed);
    logic.OnApplyProgress(PackApplyProgress(1, 282), 28600);
    logic.OnApplyProgress(PackApplyProgress(2, 0), 100);     // no reports: ignored
    logic.OnApplyProgress(PackApplyProgress(9, 8), 100);     // more sent than there are
    logic.OnApplyProgress(PackApplyProgress(3, 282), -5);    // a negative time
    logic.OnApplyProgress(PackApplyProgress(281, 282), 2400);
    logic.OnApplyProgress(PackApplyProgress(282, 282), 200);  // two seconds or less: no countdown
    logic.OnApplyDone();
    const std::vector<std::string> shown(effects.log.end() - 5, effects.log.end());
    EXPECT_EQ(
        (std::vector<std::string>{"Sending to the mouse: 1 of 282 reports, 29 s left",
                                  "Sending to the mouse: 281 of 282 reports, 2 s left",
                                  "Sending to the mouse: 282 of 282 reports", "done", "nothing"}),
        shown);

    // The watch giving up hides it too.
    logic.Apply(kApplyComputed);
    logic.OnApplyProgress(PackApplyProgress(1, 3), 600);
    effects.monitor = false;
    logic.OnApplyWatch();
    EXPECT_EQ("nothing", effects.log.back());

    ApplyProgressState bar;
    EXPECT_EQ(0, bar.FillWidth(300));
    ASSERT_TRUE(bar.Take(PackApplyProgress(141, 282), 0));
    EXPECT_EQ(150, bar.FillWidth(300));
    EXPECT_EQ(0, bar.FillWidth(-4));
}

TEST_F(OptionLogicTest, AMouseThatDoesNotAnswerIsShownWheneverNoApplyIsInView) {
    effects.block = DefaultStore();
    effects.monitor = true;
    logic.Start(true);
    logic.OnDeviceState(PackDeviceState(4, true, 1, 2));  // no such answer: ignored
    logic.OnDeviceState(PackDeviceState(kMouseNotAnswering, false, 0, 0));
    logic.Apply(kApplyComputed);
    logic.OnApplyProgress(PackApplyProgress(1, 2), 0);
    logic.OnApplyDone();
    logic.OnDeviceState(PackDeviceState(kMouseNotAnswering, false, 0, 0) | 0xFEu);  // ignored
    logic.OnDeviceState(PackDeviceState(kMouseAnswering, true, 2, 3));
    logic.OnDeviceState(PackDeviceState(kMouseNotAnswering, true, 2, 3));
    logic.OnDeviceState(PackDeviceState(kMouseNotChecked, false, 0, 0));
    std::vector<std::string> shown;
    for (const std::string& entry : effects.log) {
        if (entry == "not answering" || entry == "nothing" || entry.find("Sending") == 0)
            shown.push_back(entry);
    }
    EXPECT_EQ((std::vector<std::string>{"not answering", "Sending to the mouse: 1 of 2 reports",
                                        "not answering", "nothing", "not answering", "nothing"}),
              shown);
}

TEST_F(OptionLogicTest, AnImportOfNoProfileChangesNothingButTheApplyStillRuns) {
    logic.Start(false);
    std::unique_ptr<SettingsStore> before(new SettingsStore(logic.working()));
    effects.log.clear();
    EXPECT_EQ(ImportOutcome::kUnreadable, logic.Import(folder.path() + "missing.gmp"));
    folder.Write("notes.gmp", "[Other]\r\nProFileName=x\r\nhello\r\n");
    EXPECT_EQ(ImportOutcome::kNotAProfile, logic.Import(folder.path() + "notes.gmp"));
    folder.Write("binary.gmp", std::string("\0\x01\xff[Setting", 11));
    EXPECT_EQ(ImportOutcome::kNotAProfile, logic.Import(folder.path() + "binary.gmp"));
    EXPECT_EQ(0, memcmp(&before->profiles, &logic.working().profiles, sizeof before->profiles));
    EXPECT_EQ(0u, effects.Count("copy"));
    EXPECT_EQ(3u, effects.Count("send 0"));

    // One known key is enough: missing keys read as -1, as for any profile file.
    folder.Write("part.gmp", "[Setting]\r\nPollingRate=1\r\n");
    EXPECT_EQ(ImportOutcome::kRead, logic.Import(folder.path() + "part.gmp"));
    EXPECT_EQ(1, logic.working().profiles[0].PollingRate);
    EXPECT_EQ(-1, logic.working().profiles[0].CpiStep);
}

TEST_F(OptionLogicTest, ExportReplacesTheFileWithTheWorkingProfileAlone) {
    logic.Start(false);
    logic.SelectProfile(2);
    CopyText(logic.working().profiles[2].ProFileName, kProfileNameSize, "Unapplied");
    folder.Write("out.gmp", "[Setting]\r\nStale=1\r\nProFileName=Old\r\n[Extra]\r\nx=1\r\n");
    ASSERT_TRUE(logic.Export(folder.path() + "out.gmp"));
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(folder.path() + "out.gmp", bytes));
    EXPECT_EQ(std::string::npos, bytes.find("Stale"));
    EXPECT_EQ(std::string::npos, bytes.find("[Extra]"));
    // Exactly what the profile gives in a file of its own.
    ASSERT_TRUE(SaveProfile(folder.path() + "fresh.gmp", logic.working().profiles[2]));
    std::string fresh;
    ASSERT_TRUE(ReadWholeFile(folder.path() + "fresh.gmp", fresh));
    EXPECT_EQ(fresh, bytes);
    EXPECT_EQ(0u, effects.Count("send 0"));  // nothing applied
    EXPECT_FALSE(CanOpenForReading(ConfigIniPath(folder.path())));
}

TEST_F(OptionLogicTest, ResetsApplyWithMarkedFlagsAndResetAllRestoresTheDisplaySettings) {
    effects.block = DefaultStore();
    logic.Start(true);
    logic.SelectProfile(4);
    logic.osd().SetWord(8, 1);
    logic.osd().SetWord(140, 3);

    // Monitor gets the marks of the reset, though the profile may have been
    // at its defaults already.
    logic.ResetCurrent();
    EXPECT_EQ(1, effects.sentMode);
    ASSERT_TRUE(effects.written);
    EXPECT_EQ(1, effects.written->flags.buttons[4][15]);
    EXPECT_EQ(1, effects.written->flags.block[4]);
    EXPECT_EQ(0, effects.written->flags.buttons[1][0]);
    EXPECT_EQ(1, logic.osd().Word(8));  // the display settings stay

    effects.sentMode = -1;
    logic.ResetAll();
    EXPECT_EQ(1, effects.sentMode);
    const int32_t* words = reinterpret_cast<const int32_t*>(&effects.written->flags);
    for (int i = 0; i < kChangeFlagWords; ++i) EXPECT_EQ(1, words[i]) << i;
    EXPECT_EQ(0, logic.osd().Word(8));
    EXPECT_EQ(110, logic.osd().Word(140));
    EXPECT_EQ(0, ConfigInt("Setting", "CurrentProfile"));
    EXPECT_EQ(110, LoadOsdSettings(ConfigIniPath(folder.path())).Word(140));
}

TEST_F(OptionLogicTest, MonitorsNotificationsReadTheBlockAndRefreshWhatTheyConcern) {
    effects.block = DefaultStore();
    logic.Start(true);
    effects.refreshes.clear();

    // The device changed the level: the pages that show it are refreshed.
    effects.block->profiles[0].CpiStep = 4;
    logic.OnDeviceValuesChanged();
    EXPECT_EQ(4, logic.working().profiles[0].CpiStep);
    ASSERT_EQ(1u, effects.refreshes.size());
    EXPECT_EQ(unsigned(kDpiPageBit | kLightPageBit), effects.refreshes[0]);

    // A refresh of the whole block: flags cleared, the macros reconciled and saved.
    effects.block->flags.buttons[2][5] = 1;
    effects.block->profiles[2].buttons[5] = NumberedMacro("Combo", 2);
    logic.OnBlockRefresh();
    EXPECT_EQ(0, logic.working().flags.buttons[2][5]);
    EXPECT_EQ(0, logic.macros().Find("combo"));
    MacroLibrary saved;
    saved.Load(MacroLibraryPath(folder.path()));
    EXPECT_EQ(0, saved.Find("Combo"));
    EXPECT_EQ(kAllPageBits, effects.refreshes.back());

    effects.block->CurrentProfile = 2;
    logic.OnProfileChanged();
    EXPECT_EQ(2, logic.working().CurrentProfile);
    EXPECT_EQ(0, memcmp(&logic.working(), &logic.applied(), sizeof(SettingsStore)));

    // Without a block to read, the copies stay and nothing is refreshed.
    effects.block.reset();
    const size_t refreshes = effects.refreshes.size();
    logic.OnBlockRefresh();
    logic.OnProfileChanged();
    logic.OnDeviceValuesChanged();
    EXPECT_EQ(refreshes, effects.refreshes.size());
    EXPECT_EQ(2, logic.working().CurrentProfile);
}

TEST(OptionFileDialogs, InitialNameAndFilter) {
    EXPECT_EQ("C:\\P\\config\\.gmp", ProfileDialogInitialName("C:\\P\\"));
    const std::string filter = DialogFilter(kProfileFileFilter);
    EXPECT_EQ(std::string("Gaming Mouse Profile(*.gmp)\0*.gmp\0", 34), filter);
    EXPECT_EQ(std::string("a\0", 2), DialogFilter("a"));
}

}  // namespace
}  // namespace kestra
