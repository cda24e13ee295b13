// Keys injected by macro playback reach a low-level keyboard hook, in order
// and on time. The order of a key combination's keys is checked natively
// (Dispatch.CombinationOrder) and, through Monitor's injector, end to end.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "monitor/input_win.h"
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

}  // namespace
}  // namespace kestra
