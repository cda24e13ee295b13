// Monitor and Option save config.ini and the profile files from separate
// processes; a key one of them saves must survive the other's saves.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "settings/file_system.h"
#include "settings/ini_file.h"
#include "tests/native/test_folder.h"
#include "tests/windows/e2e_harness_win.h"

namespace kestra {
namespace {

// The test binary doubles as the second writer: started with
// `--ini-writer-child <key> <ready event> "<file>"`, it runs the same loop as
// the parent on its own key and exits with the number of its values it found
// overwritten by an older one.
constexpr char kChildSwitch[] = "--ini-writer-child";
constexpr int kWrites = 1000;

// Each round checks that the writer's previous value is still in the file,
// then saves the next one through a fresh IniFile, as the programs do.
int WriteRounds(const std::string& path, const std::string& key) {
    int lost = 0;
    for (int i = 0; i < kWrites; ++i) {
        std::string bytes;
        std::string seen;
        if (i > 0 && ReadWholeFile(path, bytes) &&
            !(IniDocument::Parse(bytes).Find("Setting", key, seen) &&
              seen == std::to_string(i - 1)))
            ++lost;
        IniFile file(path);
        file.SetInt("Setting", key, i);
        if (!file.Save()) ++lost;
    }
    return lost;
}

int RunChild(const char* arguments) {
    char key[64], ready[128];
    const char* quote = strchr(arguments, '"');
    const char* end = quote ? strchr(quote + 1, '"') : nullptr;
    if (sscanf(arguments, "%63s %127s", key, ready) != 2 || !end) return 250;
    const std::string path(quote + 1, end);
    HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, ready);
    if (!event) return 251;
    SetEvent(event);
    CloseHandle(event);
    const int lost = WriteRounds(path, key);
    return lost > 200 ? 200 : lost;
}

// Runs before gtest's main when the binary is started as the child.
const int kChildExit = [] {
    const char* line = strstr(GetCommandLineA(), kChildSwitch);
    if (line) ExitProcess(static_cast<UINT>(RunChild(line + sizeof kChildSwitch)));
    return 0;
}();

TEST(SettingsFileLock, TwoProcessesSavingDifferentKeysOfOneFileKeepEachOthersKeys) {
    kestra_test::TestFolder folder;
    const std::string path = folder.path() + "config.ini";
    ASSERT_TRUE(WriteFileAtomically(path, "[Setting]\r\nFWVersion=100\r\n"));
    const std::string ready = "KestraTest_IniWriterReady_" + std::to_string(GetCurrentProcessId());
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, ready.c_str());
    ASSERT_TRUE(event != nullptr);

    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    e2e::Process child;
    ASSERT_TRUE(child.Start(self, std::string(kChildSwitch) + " Device " + ready + " \"" + path + "\""));
    // Both loops start together, or there would be nothing to race.
    const bool started = WaitForSingleObject(event, 20000) == WAIT_OBJECT_0;
    CloseHandle(event);
    ASSERT_TRUE(started);
    const int lostHere = WriteRounds(path, "CurrentProfile");

    ASSERT_TRUE(child.Wait(60000));
    EXPECT_EQ(0, lostHere) << "CurrentProfile values overwritten by the child";
    EXPECT_EQ(0u, child.exitCode()) << "Device values overwritten by the parent";
    IniFile file(path);
    EXPECT_EQ(kWrites - 1, file.GetInt("Setting", "CurrentProfile", -1));
    EXPECT_EQ(kWrites - 1, file.GetInt("Setting", "Device", -1));
    EXPECT_EQ(100, file.GetInt("Setting", "FWVersion", -1));
}

}  // namespace
}  // namespace kestra
