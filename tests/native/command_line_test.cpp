// Monitor's command line for scripts: what a line asks for, how the running
// agent decides a request from another process, and what /status prints.
#include "monitor/command_line.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "settings/ipc_names.h"
#include "tests/native/test_support.h"

namespace kestra {
namespace {

TEST(CommandLine, OptionsAreReadAsScriptsWriteThemAndAnythingElseStartsTheAgent) {
    struct Case {
        const char* line;
        MonitorCommand kind;
        int number;
        bool json;
    };
    const Case cases[] = {
        {"", MonitorCommand::kStartAgent, 0, false},
        {"1", MonitorCommand::kStartAgent, 0, false},  // the agent's own: open Option
        {"  /status ", MonitorCommand::kStatus, 0, false},
        {"-STATUS --Json", MonitorCommand::kStatus, 0, true},
        {"/status /json", MonitorCommand::kStatus, 0, true},
        {"/status json", MonitorCommand::kUnknown, 0, false},
        {"/profile 3", MonitorCommand::kSelectProfile, 3, false},
        {"--level\t05", MonitorCommand::kSelectLevel, 5, false},
        {"/profile", MonitorCommand::kSelectProfile, 0, false},
        {"/profile 6", MonitorCommand::kSelectProfile, 0, false},
        {"/level 0", MonitorCommand::kSelectLevel, 0, false},
        {"/level -1", MonitorCommand::kSelectLevel, 0, false},
        {"/level 2x", MonitorCommand::kSelectLevel, 0, false},
        {"/level 4294967298", MonitorCommand::kSelectLevel, 0, false},
        {"/profile 1 2", MonitorCommand::kUnknown, 0, false},
        {"/devices", MonitorCommand::kDevices, 0, false},
        {"/?", MonitorCommand::kHelp, 0, false},
        {"/help /status", MonitorCommand::kUnknown, 0, false},
        {"/bogus", MonitorCommand::kUnknown, 0, false},
        {"-", MonitorCommand::kUnknown, 0, false},
    };
    for (const Case& c : cases) {
        const CommandLine command = ParseCommandLine(c.line);
        EXPECT_EQ(c.kind, command.kind) << c.line;
        EXPECT_EQ(c.number, command.number) << c.line;
        EXPECT_EQ(c.json, command.json) << c.line;
    }
}

TEST(ScriptRequest, OnlyAKnownRequestWithANumberInRangeAndALevelSwitchedOnIsDone) {
    std::unique_ptr<SettingsStore> store = kestra_test::DefaultStore();
    store->CurrentProfile = 1;
    store->profiles[1].dpiStepFlag[3] = 0;
    struct Case {
        uintptr_t request;
        intptr_t number;
        unsigned long answer;
        int index;
    };
    const Case cases[] = {
        {kScriptStatus, -5, kScriptDone, -1},
        {kScriptSelectProfile, 5, kScriptDone, 4},
        {kScriptSelectProfile, 0, kScriptOutOfRange, -1},
        {kScriptSelectProfile, 6, kScriptOutOfRange, -1},
        {kScriptSelectProfile, -1, kScriptOutOfRange, -1},
        {kScriptSelectProfile, INTPTR_MAX, kScriptOutOfRange, -1},
        {kScriptSelectLevel, 1, kScriptDone, 0},
        {kScriptSelectLevel, 4, kScriptLevelOff, -1},
        {0, 1, kScriptNotARequest, -1},
        {4, 1, kScriptNotARequest, -1},
        // High bits above what a 32-bit program would see.
        {static_cast<uintptr_t>(UINTPTR_MAX - 0xFF) | kScriptSelectProfile, 1, kScriptNotARequest,
         -1},
    };
    for (const Case& c : cases) {
        const ScriptDecision d = DecideScriptRequest(c.request, c.number, *store);
        EXPECT_EQ(c.answer, d.answer) << c.request << " " << c.number;
        EXPECT_EQ(c.index, d.index) << c.request << " " << c.number;
    }
    // A block holding no valid profile switches no level on.
    store->CurrentProfile = 1 << 20;
    EXPECT_EQ(kScriptLevelOff, DecideScriptRequest(kScriptSelectLevel, 1, *store).answer);
}

TEST(StatusText, KeepsEachFactOnItsLineAndItsJsonAsciiWhateverTheNamesHold) {
    std::unique_ptr<SettingsStore> block = kestra_test::DefaultStore();
    block->CurrentProfile = 2;
    ProfileSettings& p = block->profiles[2];
    CopyText(p.ProFileName, sizeof p.ProFileName, "Race \"GT\"\n");
    CopyText(p.GameFile, sizeof p.GameFile, " C:\\Games\\Racing.exe ");
    p.CpiStep = 1;
    p.CpiLevel_X[1] = 16;
    p.PollingRate = 2;
    StatusFacts f;
    f.monitorRunning = f.monitorAnswered = true;
    f.deviceState = PackDeviceState(kMouseAnswering, true, 2, 3);
    TakeStatusSettings(*block, f);
    f.profileNameWide = u"Race \"GT\"\n\u00e9";
    f.boundProgramWide = u"Racing.exe";
    f.selectedByProgram = true;
    EXPECT_EQ(
        "Monitor: running\r\nMouse: connected, answering\r\nFirmware: 2.3\r\nProfile: 3\r\n"
        "Profile name: Race \"GT\"?\r\nLevel: 2\r\nCPI: 1600\r\nReport rate: 500 Hz\r\n"
        "Selected by program: Racing.exe\r\n",
        StatusText(f, false));
    EXPECT_EQ(
        "{\"monitorRunning\":true,\"mouseConnected\":true,\"mouseAnswering\":true,"
        "\"firmware\":\"2.3\",\"profile\":3,\"profileName\":\"Race \\\"GT\\\"\\u000a\\u00e9\","
        "\"level\":2,\"cpi\":1600,\"reportRateHz\":500,\"selectedByProgram\":\"Racing.exe\"}\r\n",
        StatusText(f, true));
    EXPECT_EQ(0, StatusExitCode(f));

    // Unknown facts are null, never left out.
    f.deviceState = PackDeviceState(kMouseAbsent, false, 0, 0);
    EXPECT_NE(std::string::npos,
              StatusText(f, true).find("\"mouseConnected\":false,\"mouseAnswering\":false,"
                                       "\"firmware\":null"));
    EXPECT_EQ("{\"monitorRunning\":false}\r\n", StatusText(StatusFacts(), true));
}

}  // namespace
}  // namespace kestra
