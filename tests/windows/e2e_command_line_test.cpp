// Monitor's command line as scripts use it: Monitor.exe run with an option
// beside the running agent and the virtual mouse, its output read from a
// pipe, and its effects seen where a user would see them.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "device/device_commands.h"
#include "settings/ipc_names.h"
#include "settings/osd_settings.h"
#include "settings/settings_files.h"
#include "tests/windows/e2e_harness_win.h"

namespace kestra {
namespace e2e {
namespace {

constexpr DWORD kSettle = 8000;

class CommandLineEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.ok()) << folder.path(); }
    RunResult Monitor(const char* arguments) { return e2e::Run(folder.File("Monitor.exe"), arguments); }
    void StartSystem() {
        ASSERT_TRUE(mouse.Start());
        ASSERT_TRUE(monitor.Start());
        ASSERT_TRUE(WaitUntil([&] { return Monitor("/status").exitCode == 0; }, kSettle))
            << Observed(folder, mouse);
    }
    std::unique_ptr<SettingsStore> Block() {
        std::unique_ptr<SettingsStore> block(new SettingsStore());
        EXPECT_TRUE(ReadSharedBlock(*block));
        return block;
    }

    ProgramFolder folder;
    VirtualMouse mouse{folder};
    MonitorProgram monitor{folder};
};

TEST_F(CommandLineEndToEnd, StatusTellsWhatMonitorKnowsAndItsExitCodeWhetherTheMouseAnswers) {
    RunResult none = Monitor("/status");
    EXPECT_EQ(2, none.exitCode);
    EXPECT_EQ("Monitor: not running\r\n", none.output);
    none = Monitor("/profile 3");
    EXPECT_EQ(2, none.exitCode);
    EXPECT_EQ("Monitor is not running: nothing was changed\r\n", none.errors);
    const RunResult unknown = Monitor("/statuz");
    EXPECT_EQ(2, unknown.exitCode);
    EXPECT_NE(std::string::npos, unknown.errors.find("/level N")) << unknown.errors;
    EXPECT_EQ(0, Monitor("/help").exitCode);

    WriteSettings(folder, [](SettingsStore& store) {
        CopyText(store.profiles[0].ProFileName, sizeof store.profiles[0].ProFileName, "Sniper");
        store.profiles[0].CpiStep = 2;
        store.profiles[0].CpiLevel_X[2] = 16;
        store.profiles[0].PollingRate = 1;
    });
    StartSystem();
    const RunResult status = Monitor("/status");
    EXPECT_EQ(0, status.exitCode);
    EXPECT_EQ(
        "Monitor: running\r\nMouse: connected, answering\r\nFirmware: 2.3\r\nProfile: 1\r\n"
        "Profile name: Sniper\r\nLevel: 3\r\nCPI: 1600\r\nReport rate: 250 Hz\r\n"
        "Selected by program: none\r\n",
        status.output);
    const RunResult json = Monitor("/status --json");
    EXPECT_EQ(0, json.exitCode);
    EXPECT_EQ(0u, json.output.find("{\"monitorRunning\":true,\"mouseConnected\":true,"
                                   "\"mouseAnswering\":true,\"firmware\":\"2.3\",\"profile\":1,"))
        << json.output;
    // Nothing of this reached the mouse, and the agent runs on alone.
    EXPECT_EQ(2u, mouse.Log().size());
    EXPECT_TRUE(monitor.process().running());

    ASSERT_TRUE(mouse.Unplug());
    RunResult unplugged;
    EXPECT_TRUE(WaitUntil(
        [&] {
            unplugged = Monitor("/status");
            return unplugged.exitCode == 1;
        },
        kSettle))
        << unplugged.output;
    EXPECT_NE(std::string::npos, unplugged.output.find("\r\nMouse: not connected\r\n"))
        << unplugged.output;
}

TEST_F(CommandLineEndToEnd, ProfileAndLevelReachTheMouseTheSettingsAndTheDisplay) {
    // The indications go to stand-ins for the display program and Option.
    DeleteFileA(folder.File("Overlay.exe").c_str());
    OsdSettings osdOn;
    MakeDefaultOsdSettings(osdOn);
    osdOn.SetWord(8, 1);
    ASSERT_TRUE(SaveOsdSettings(folder.File("config.ini"), osdOn));
    MessageRecorder osd(kOsdWindowTitle);
    MessageRecorder option(kOptionWindowTitle);
    WriteSettings(folder, [](SettingsStore& store) {
        store.profiles[2].dpiStepFlag[3] = 0;
        store.profiles[2].CpiLevel_X[1] = 16;
    });
    StartSystem();
    ASSERT_TRUE(mouse.ClearLog());

    const RunResult profile = Monitor("/profile 3");
    EXPECT_EQ(0, profile.exitCode) << profile.errors;
    EXPECT_EQ("Profile 3 selected\r\n", profile.output);
    EXPECT_EQ(2, Block()->CurrentProfile);
    EXPECT_EQ(2, ReadConfigInt(folder, "CurrentProfile", -1));
    const FeatureReport select = SelectProfileReport(2);
    EXPECT_TRUE(WaitUntil([&] { return LogHas(mouse, LogLine("set", select.data(), select.size())); },
                          kSettle))
        << Observed(folder, mouse);
    EXPECT_TRUE(WaitUntil([&] { return osd.Find(UM_OSD_SHOW, OSD_SHOW_PROFILE) >= 0; }, kSettle));
    EXPECT_EQ(2 << 16, osd.messages()[osd.Find(UM_OSD_SHOW, OSD_SHOW_PROFILE)].lParam);
    EXPECT_TRUE(WaitUntil([&] { return option.Count(UM_PROFILE_CHANGED) == 1; }, kSettle));

    ASSERT_TRUE(mouse.ClearLog());
    const RunResult level = Monitor("/level 2");
    EXPECT_EQ(0, level.exitCode) << level.errors;
    std::unique_ptr<SettingsStore> block = Block();
    EXPECT_EQ(1, block->profiles[2].CpiStep);
    const FeatureReport levelReport = CpiLevelReport(block->profiles[2], 2);
    EXPECT_TRUE(WaitUntil([&] { return LogHas(mouse, "set 02 03"); }, kSettle))
        << Observed(folder, mouse);
    // An Apply of that one change: the opening, the level, the select.
    const std::vector<std::string> log = mouse.Log();
    ASSERT_EQ(3u, log.size());
    EXPECT_EQ(LogLine("set", levelReport.data(), levelReport.size()), log[1]);
    ProfileSettings saved = block->profiles[2];
    saved.CpiStep = -7;
    ASSERT_TRUE(LoadProfile(ProfileFilePath(folder.path(), 2), saved));
    EXPECT_EQ(1, saved.CpiStep);
    EXPECT_TRUE(WaitUntil([&] { return option.Count(UM_DEVICE_VALUES_CHANGED) == 1; }, kSettle));
    EXPECT_TRUE(WaitUntil([&] { return osd.Find(UM_OSD_SHOW, OSD_SHOW_MESSAGE) >= 0; }, kSettle));
    EXPECT_NE(std::string::npos, Monitor("/status").output.find("\r\nLevel: 2\r\nCPI: 1600\r\n"));

    // Refused: a level switched off, numbers out of range. Nothing changes.
    ASSERT_TRUE(mouse.ClearLog());
    const RunResult off = Monitor("/level 4");
    EXPECT_EQ(1, off.exitCode);
    EXPECT_EQ("Level 4 is switched off in the current profile: nothing was changed\r\n", off.errors);
    EXPECT_EQ(1, Monitor("/profile 6").exitCode);
    EXPECT_EQ(1, Monitor("/level 0").exitCode);
    Sleep(500);
    EXPECT_TRUE(mouse.Log().empty());
    block = Block();
    EXPECT_EQ(2, block->CurrentProfile);
    EXPECT_EQ(1, block->profiles[2].CpiStep);
    EXPECT_EQ(1, option.Count(UM_DEVICE_VALUES_CHANGED));
}

}  // namespace
}  // namespace e2e
}  // namespace kestra
