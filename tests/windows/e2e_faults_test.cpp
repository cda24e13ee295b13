// Faults the system must survive, with Monitor.exe, Option.exe and the
// virtual mouse: the cable pulled in the middle of a full send, Monitor
// killed while it saves, the programs started, ended and killed in every
// order, and windows of other programs that stopped answering.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "settings/file_system.h"
#include "settings/ini_file.h"
#include "settings/ipc_names.h"
#include "settings/settings_files.h"
#include "settings/shared_block_win.h"
#include "tests/windows/e2e_option_fixture_win.h"

namespace kestra {
namespace e2e {
namespace {

// Whether a window answers a message within a second: a window thread that
// waits for another program's window would not.
bool Answers(HWND window) {
    DWORD_PTR result = 0;
    return window != nullptr &&
           SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) != 0;
}

// "set 03", "get 80", ...: the kind and command of a feature report; "out"
// for a half block.
std::string Kind(const std::string& line) {
    if (line.rfind("out", 0) == 0) return "out";
    return line.substr(0, line.find(' ', 4));
}

class FaultEndToEnd : public OptionSystemTest {
protected:
    void StartMouseAndMonitor() {
        ASSERT_TRUE(mouse.Start());
        ASSERT_TRUE(monitor.Start());
        ASSERT_TRUE(WaitUntil([&] { return LogHas(mouse, "get 80"); }, kSettle))
            << Observed(folder, mouse);
    }
    // Pulls the cable and waits until Monitor has taken the removal.
    void Unplugged() {
        ASSERT_TRUE(mouse.Unplug());
        ASSERT_TRUE(WaitUntil([&] { return ReadConfigInt(folder, "Device", -1) == 0; }, kSettle))
            << Observed(folder, mouse);
    }
    bool MousePlugged() { return mouse.State().find("plugged yes") != std::string::npos; }
};

TEST_F(FaultEndToEnd, ACablePulledAtAnyReportOfAFullSendStopsItAndTheNextArrivalSendsAllOnce) {
    StartMouseAndMonitor();
    // The full send that follows an arrival, unbroken.
    Unplugged();
    ASSERT_TRUE(mouse.ClearLog());
    ASSERT_TRUE(mouse.Plug());
    ASSERT_TRUE(WaitUntil([&] { return LogHas(mouse, "set 02 "); }, 30000))
        << Observed(folder, mouse);
    const std::vector<std::string> full = mouse.Log();
    ASSERT_GT(full.size(), 40u);

    // Cut before the first report of each kind (each command, a block's
    // first half), once between the halves of a block and after the last
    // report; after every report when KESTRA_FAULTS_EVERY_REPORT is set (a
    // run of some four minutes).
    std::vector<size_t> cuts;
    const bool every = getenv("KESTRA_FAULTS_EVERY_REPORT") != nullptr;
    std::vector<std::string> seen = {Kind(full[0])};
    bool betweenHalves = false;
    for (size_t i = 1; i < full.size(); ++i) {
        const bool halves = Kind(full[i]) == "out" && Kind(full[i - 1]) == "out";
        const bool newKind = std::find(seen.begin(), seen.end(), Kind(full[i])) == seen.end();
        if (every || newKind || (halves && !betweenHalves)) cuts.push_back(i);
        if (newKind) seen.push_back(Kind(full[i]));
        betweenHalves = betweenHalves || halves;
    }
    cuts.push_back(full.size());
    for (size_t cut : cuts) {
        Unplugged();
        ASSERT_TRUE(mouse.ClearLog());
        ASSERT_TRUE(mouse.UnplugAfter(static_cast<unsigned>(cut)));
        ASSERT_TRUE(mouse.Plug());
        ASSERT_TRUE(WaitUntil([&] { return !MousePlugged(); }, 30000))
            << "cut " << cut << Observed(folder, mouse);
        ASSERT_TRUE(WaitUntil([&] { return ReadConfigInt(folder, "Device", -1) == 0; }, kSettle))
            << "cut " << cut << Observed(folder, mouse);
        Sleep(300);  // time for anything more to be tried
        // Exactly the first `cut` reports of the full send reached the mouse.
        const std::vector<std::string> log = mouse.Log();
        EXPECT_EQ(std::vector<std::string>(full.begin(), full.begin() + cut), log) << "cut " << cut;
        EXPECT_TRUE(Answers(monitor.window())) << "cut " << cut;
    }

    // The next arrival sends everything, once.
    ASSERT_TRUE(mouse.ClearLog());
    ASSERT_TRUE(mouse.Plug());
    ASSERT_TRUE(WaitUntil([&] { return LogHas(mouse, "set 02 "); }, 30000))
        << Observed(folder, mouse);
    Sleep(1500);
    EXPECT_EQ(full, mouse.Log());
    EXPECT_NE(std::string::npos, mouse.State().find("refused reports 0")) << mouse.State();
}

// What config.ini holds apart from the keys Monitor writes while it runs.
std::string StableLines(const std::string& text) {
    std::string kept;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        if (line.rfind("CurrentProfile=", 0) != 0 && line.rfind("Device=", 0) != 0) {
            kept += line + "\n";
        }
        at = end + 1;
    }
    return kept;
}

TEST_F(FaultEndToEnd, MonitorKilledWhileItSavesLeavesEveryFileWholeAndLoadable) {
    StartMouseAndMonitor();
    std::string config;
    ASSERT_TRUE(WaitUntil([&] { return ReadConfigInt(folder, "Device", -1) == 1; }, kSettle));
    ASSERT_TRUE(ReadWholeFile(folder.File("config.ini"), config));
    const std::string stable = StableLines(config);
    std::unique_ptr<SettingsStore> before(new SettingsStore());
    LoadStore(folder.path(), *before);
    ASSERT_TRUE(monitor.Close());
    // The old file may have no profile number yet (Monitor writes it at the
    // first switch); a round killed before its first switch leaves it so.
    const int oldCurrent = ReadConfigInt(folder, "CurrentProfile", -1);

    srand(20261208);
    for (int round = 0; round < 12; ++round) {
        ASSERT_TRUE(monitor.Start()) << round;
        // Profile switches from the mouse: each one saves config.ini.
        std::thread switches([&] {
            for (int i = 0; i < 20; ++i) mouse.Event(0x0800, static_cast<uint16_t>(1 + i % 5));
        });
        Sleep(static_cast<DWORD>(100 + rand() % 400));
        monitor.process().Kill();
        switches.join();
        ASSERT_TRUE(monitor.process().Wait(5000)) << round;

        // Whole, the old or a new file: every other line as it was, and a
        // profile number of the ones written.
        ASSERT_TRUE(ReadWholeFile(folder.File("config.ini"), config)) << round;
        EXPECT_EQ(stable, StableLines(config)) << round << "\n" << config;
        const int current = ReadConfigInt(folder, "CurrentProfile", -1);
        EXPECT_TRUE((current >= 0 && current < kProfileCount) || current == oldCurrent)
            << round << ": " << current << "\n" << config;
        std::unique_ptr<SettingsStore> after(new SettingsStore());
        LoadStore(folder.path(), *after);
        for (int p = 0; p < kProfileCount; ++p) {
            EXPECT_EQ(0, memcmp(&before->profiles[p], &after->profiles[p], sizeof(ProfileSettings)))
                << round << " profile " << p;
        }
    }
}

TEST_F(FaultEndToEnd, ProgramsInEveryOrderNeverLoseASettingOrShowAClearedStore) {
    WriteSettings(folder, [](SettingsStore& store) {
        strcpy(store.profiles[2].ProFileName, "Racing");
        store.CurrentProfile = 2;
    });
    // Option first, alone: it works on the files.
    ASSERT_TRUE(mouse.Start());
    ASSERT_TRUE(option.Start(folder.File("Option.exe")));
    window = WaitForWindow(kOptionWindowTitle, 15000);
    ASSERT_NE(nullptr, window);
    // Then Monitor: its block holds the files' settings, never a cleared store.
    ASSERT_TRUE(monitor.Start());
    std::unique_ptr<SettingsStore> block(new SettingsStore());
    ASSERT_TRUE(WaitUntil([&] { return ReadSharedBlock(*block); }, kSettle));
    EXPECT_STREQ("Racing", block->profiles[2].ProFileName);
    EXPECT_EQ(2, block->CurrentProfile);
    EXPECT_TRUE(Answers(window));

    // Monitor killed under a running Option, and started again: Option goes
    // on answering, and an Apply reaches the new Monitor and the mouse.
    monitor.process().Kill();
    ASSERT_TRUE(monitor.process().Wait(5000));
    EXPECT_TRUE(Answers(window));
    ASSERT_TRUE(monitor.Start());
    ASSERT_TRUE(WaitUntil([&] { return LogHas(mouse, "get 80"); }, kSettle))
        << Observed(folder, mouse);
    EXPECT_TRUE(ReadSharedBlock(*block));
    EXPECT_STREQ("Racing", block->profiles[2].ProFileName);

    // A block mutex left behind by a program that died holding it is taken
    // over, not waited for.
    {
        KernelHandle mutex = OpenBlockMutex();
        ASSERT_TRUE(mutex);
        std::thread holder([&] { WaitForSingleObject(mutex.Get(), 2000); });  // ends holding it
        holder.join();
    }
    ASSERT_TRUE(mouse.Event(0x0800, 4));  // the mouse's profile button: Monitor writes the block
    EXPECT_TRUE(WaitUntil([&] { return ReadSharedBlock(*block) && block->CurrentProfile == 3; },
                          kSettle))
        << Observed(folder, mouse);
    EXPECT_TRUE(Answers(monitor.window()));

    // Option killed and started again while Monitor runs: it shows Monitor's
    // settings, the name and the profile the mouse chose.
    option.Kill();
    ASSERT_TRUE(option.Wait(5000));
    ASSERT_TRUE(option.Start(folder.File("Option.exe")));
    window = WaitForWindow(kOptionWindowTitle, 15000);
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != 0; }, kSettle));
    SetForegroundWindow(window);
    ASSERT_TRUE(mouse.ClearLog());
    ASSERT_TRUE(ClickApplyAndWait()) << Observed(folder, mouse);
    ASSERT_TRUE(ReadSharedBlock(*block));
    EXPECT_STREQ("Racing", block->profiles[2].ProFileName);
    EXPECT_EQ(3, block->CurrentProfile);
    EXPECT_EQ(3, ReadConfigInt(folder, "CurrentProfile", -1));
    ProfileSettings saved;
    ASSERT_TRUE(LoadProfile(ProfileFilePath(folder.path(), 2), saved));
    EXPECT_STREQ("Racing", saved.ProFileName);
}

// A window of this process that takes a title and then never reads its
// messages again, as a hung program's window.
class HungWindow {
public:
    explicit HungWindow(const char* title) : thread_([this, title] { Run(title); }) {
        WaitUntil([&] { return created_; }, 5000);
    }
    ~HungWindow() {
        SetEvent(release_);
        thread_.join();
        CloseHandle(release_);
    }

private:
    void Run(const char* title) {
        HWND w = CreateWindowExA(0, "STATIC", title, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
        created_ = true;
        WaitForSingleObject(release_, INFINITE);  // hung: nothing is read meanwhile
        DestroyWindow(w);
    }
    HANDLE release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    volatile bool created_ = false;
    std::thread thread_;
};

TEST_F(FaultEndToEnd, HungOptionAndDisplayWindowsNeverHoldUpMonitor) {
    StartMouseAndMonitor();
    HungWindow option(kOptionWindowTitle);
    HungWindow display(kOsdWindowTitle);
    // What Monitor tells both: a profile from the mouse, an apply, a removal.
    ASSERT_TRUE(mouse.Event(0x0800, 2));
    ASSERT_TRUE(mouse.Event(0x0700, 3));
    std::unique_ptr<SettingsStore> block(new SettingsStore());
    ASSERT_TRUE(WaitUntil([&] { return ReadSharedBlock(*block) && block->CurrentProfile == 1; },
                          kSettle))
        << Observed(folder, mouse);
    EXPECT_TRUE(Answers(monitor.window()));
    ASSERT_TRUE(ReadSharedBlock(*block));
    block->flags.level[1] = 1;
    {
        KernelHandle mutex = OpenBlockMutex();
        SharedSettingsBlock shared;
        ASSERT_EQ(SharedSettingsBlock::kMapped, shared.Open());
        ASSERT_TRUE(shared.Write(mutex.Get(), *block));
    }
    ASSERT_TRUE(mouse.ClearLog());
    DWORD_PTR result = 0;
    EXPECT_NE(0, SendMessageTimeoutA(monitor.window(), UM_APPLY_SETTINGS, 0, 0, SMTO_NORMAL, 2000,
                                     &result));
    EXPECT_TRUE(WaitUntil([&] { return LogHas(mouse, "set 02 "); }, kSettle))
        << Observed(folder, mouse);
    EXPECT_TRUE(Answers(monitor.window()));
    Unplugged();
    EXPECT_TRUE(Answers(monitor.window()));
}

}  // namespace
}  // namespace e2e
}  // namespace kestra
