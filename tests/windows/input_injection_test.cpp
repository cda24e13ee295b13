// Keys injected by macro playback reach a low-level keyboard hook, in order
// and on time. The order of a key combination's keys is checked natively
// (Dispatch.CombinationOrder) and, through Monitor's injector, end to end.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "monitor/input_win.h"
#include "monitor/worker_thread_win.h"
#include "settings/ipc_names.h"
#include "tests/native/test_support.h"
#include "tests/windows/e2e_harness_win.h"

namespace kestra {
namespace {

TEST(InputInjection, MacroStepsArriveInOrderWithTheirDelays) {
    e2e::KeyObserver keys;  // hooked on its own thread, which pumps while this one plays
    ASSERT_TRUE(keys.ok());
    // A down, A up, B down, B up.
    const ButtonAssignment b =
        kestra_test::MacroButton({{4, 1, 60}, {4, 2, 120}, {5, 1, 30}, {5, 2, 1}});
    SystemInputInjector injector;
    PrecisionClock clock;
    SystemKeyboardLayout layout;
    MacroPlayer player(injector, clock, layout);
    {
        ScopedTimerResolution resolution;
        ASSERT_TRUE(player.Start(b));
        player.Play();
    }
    e2e::WaitUntil([&] { return keys.Keys().size() >= 4; }, 2000);
    ASSERT_EQ("+65 -65 +66 -66 ", keys.Describe());
    // The events' own time stamps: when they were injected, not when the hook ran.
    const std::vector<e2e::ObservedKey> seen = keys.Keys();
    EXPECT_NEAR(60, static_cast<int>(seen[1].time - seen[0].time), 25);
    EXPECT_NEAR(120, static_cast<int>(seen[2].time - seen[1].time), 25);
}

// Keeps the keys of a macro from the desktop: "+65" pressed, "-65" released.
class KeyList : public InputInjector {
public:
    KeyList() { InitializeCriticalSection(&lock_); }
    ~KeyList() override { DeleteCriticalSection(&lock_); }
    void Key(uint32_t virtualKey, uint32_t, bool up) override {
        EnterCriticalSection(&lock_);
        keys_ += (up ? "-" : "+") + std::to_string(virtualKey) + " ";
        LeaveCriticalSection(&lock_);
    }
    void MouseButton(uint8_t, bool) override {}
    std::string keys() {
        EnterCriticalSection(&lock_);
        const std::string keys = keys_;
        LeaveCriticalSection(&lock_);
        return keys;
    }

private:
    CRITICAL_SECTION lock_;
    std::string keys_;
};

TEST(InputInjection, ShutDownEndsAMinuteLongStepAtOnceAndReleasesWhatIsHeld) {
    KeyList injector;
    PrecisionClock clock;
    SystemKeyboardLayout layout;
    MacroPlayer player(injector, clock, layout);
    WorkerThread macroThread(
        [](void* p, UINT, WPARAM, LPARAM) { static_cast<MacroPlayer*>(p)->Play(); }, &player,
        30000);
    // A held down, then B released and a minute's wait.
    ASSERT_TRUE(player.Start(kestra_test::MacroButton({{4, 1, 10}, {5, 2, 60000}})));
    ASSERT_TRUE(macroThread.Post(TM_PLAY_MACRO, 0, 0));
    ASSERT_TRUE(e2e::WaitUntil([&] { return injector.keys() == "+65 -66 "; }, 2000));
    e2e::WaitUntil([] { return false; }, 50);  // well into the wait

    // What Monitor's shut-down does.
    const double began = e2e::PreciseNowMs();
    player.Cancel();
    macroThread.Stop();
    EXPECT_LT(e2e::PreciseNowMs() - began, 1000.0);
    EXPECT_EQ("+65 -66 -65 ", injector.keys());
    EXPECT_FALSE(player.playing());
}

}  // namespace
}  // namespace kestra
