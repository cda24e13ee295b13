#include "monitor/macro_player.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/native/test_support.h"

namespace kestra {
namespace {

using kestra_test::MacroButton;
using kestra_test::Trace;

// Each injection as "TIME what": "1000 down 65/30" (virtual key/scan code),
// "1021 mdown 240" for the mouse keys.
class Recorder : public InputInjector, public MacroClock {
public:
    void Key(uint32_t vk, uint32_t scan, bool up) override {
        Add((up ? "up " : "down ") + std::to_string(vk) + "/" + std::to_string(scan));
    }
    void MouseButton(uint8_t key, bool down) override {
        Add((down ? "mdown " : "mup ") + std::to_string(key));
    }
    void Debug(const std::string& line) override { debug += line; }
    int64_t NowMs() override { return now; }
    void WaitUntilMs(int64_t deadline) override {
        if (deadline > now) now = deadline;
        if (onWait) onWait(now);
    }
    void Add(const std::string& what) { events.push_back(std::to_string(now) + " " + what); }

    int64_t now = 1000;
    Trace events;
    std::string debug;
    std::function<void(int64_t)> onWait;
};

// A recorder whose key injections take time.
class SlowRecorder : public Recorder {
public:
    void Key(uint32_t vk, uint32_t scan, bool up) override {
        now += firstKeyLag;
        firstKeyLag = 0;
        Recorder::Key(vk, scan, up);
        now += injectionCost;
    }
    int64_t firstKeyLag = 0;    // ms the first key takes to go out, before it is recorded
    int64_t injectionCost = 0;  // ms every key takes to go out, after it is recorded
};

class MacroPlayerTest : public ::testing::Test {
protected:
    Recorder rec;
    UsKeyboardLayout layout;
    MacroPlayer player{rec, rec, layout};

    void Run(const ButtonAssignment& b) {
        rec.events.clear();
        ASSERT_TRUE(player.Start(b));
        player.Play();
    }
    Trace RunSlow(SlowRecorder& slow, const ButtonAssignment& b) {
        MacroPlayer p(slow, slow, layout);
        EXPECT_TRUE(p.Start(b));
        p.Play();
        return slow.events;
    }
};

TEST_F(MacroPlayerTest, StepsKeepTheirDelaysAndZeroWaitsOneMillisecond) {
    Run(MacroButton({{4, 1, 0}, {4, 2, 20}, {240, 1, 5}, {240, 2, 0}}));
    // A by its scan code; a delay of 0 counts as 1.
    EXPECT_EQ((Trace{"1000 down 65/30", "1001 up 65/30", "1021 mdown 240", "1026 mup 240"}),
              rec.events);
    EXPECT_EQ(1027, rec.now);
    EXPECT_EQ("g_iCurAction= 3,start=0,end=4\n", rec.debug);
    EXPECT_FALSE(player.playing());
}

TEST_F(MacroPlayerTest, InjectionTimeIsAbsorbedButAStallDoesNotShortenTheNextDelay) {
    // Each injection costs 3 ms: the steps still start on their recorded grid.
    SlowRecorder small;
    small.injectionCost = 3;
    EXPECT_EQ((Trace{"1000 down 65/30", "1020 up 65/30", "1040 down 65/30", "1060 up 65/30"}),
              RunSlow(small, MacroButton({{4, 1, 20}, {4, 2, 20}, {4, 1, 20}, {4, 2, 20}})));
    // The first key takes 30 ms to go out; the next step still follows 60 ms after it.
    SlowRecorder stalled;
    stalled.firstKeyLag = 30;
    EXPECT_EQ((Trace{"1030 down 65/30", "1090 up 65/30", "1110 down 66/48"}),
              RunSlow(stalled, MacroButton({{4, 1, 60}, {4, 2, 20}, {5, 1, 1}})));
}

TEST_F(MacroPlayerTest, LongHoldRepeatsLikeAKeyboard) {
    Run(MacroButton({{4, 1, 2000}, {4, 2, 10}}));
    // One press, then release/press pairs every 33 ms after 500 ms (1500 ms of
    // holding in rounds of 33 ms), then the release.
    Trace expected = {"1000 down 65/30"};
    for (int pair = 0; pair < 46; ++pair) {
        const std::string at = std::to_string(1500 + 33 * pair);
        expected.push_back(at + " up 65/30");
        expected.push_back(at + " down 65/30");
    }
    expected.push_back(std::to_string(1000 + 500 + 46 * 33) + " up 65/30");
    EXPECT_EQ(expected, rec.events);
}

TEST_F(MacroPlayerTest, RepeatCountsAndDegenerateMacros) {
    const int plays[][2] = {{0, 1}, {-3, 1}, {3, 3}};  // 0 and below play once
    for (const auto& p : plays) {
        Run(MacroButton({{5, 1, 1}, {5, 2, 1}}, p[0]));
        EXPECT_EQ(2u * p[1], rec.events.size()) << p[0];
    }

    ButtonAssignment notMacro = MacroButton({{5, 1, 1}});
    notMacro.function = 5;
    EXPECT_FALSE(player.Start(notMacro));
    EXPECT_FALSE(player.Start(MacroButton({})));

    // A step count beyond the 40 slots plays the 40 slots only.
    ButtonAssignment big = MacroButton({});
    big.stepCount = 999;
    for (int i = 0; i < kMacroStepSlots; ++i) big.steps[i] = MacroStep{6, 3, 1};
    Run(big);
    EXPECT_EQ(40u, rec.events.size());
    // A key without a row is injected as virtual key 0.
    Run(MacroButton({{50, 1, 1}}));
    EXPECT_EQ("down 0/0", rec.events[0].substr(rec.events[0].find(' ') + 1));
}

TEST_F(MacroPlayerTest, CancelStopsAndReleasesHeldKeysInReverse) {
    // Ctrl, Shift and the right button pressed, then a long wait.
    const ButtonAssignment b = MacroButton(
        {{224, 1, 10}, {225, 1, 10}, {241, 1, 10}, {4, 1, 10}, {4, 2, 1000}, {224, 2, 10}});
    ASSERT_TRUE(player.Start(b));
    rec.onWait = [&](int64_t now) {
        // A second press of the button while it plays only cancels.
        if (now >= 1100 && player.playing()) {
            EXPECT_FALSE(player.Start(b));
        }
    };
    player.Play();
    // Held: Ctrl, Shift, right button; released most recent first, 50 ms apart.
    ASSERT_EQ(8u, rec.events.size());
    const int64_t cancelled = std::stoll(rec.events[5]);
    EXPECT_EQ((Trace{"1040 up 65/30", std::to_string(cancelled) + " mup 241",
                     std::to_string(cancelled + 50) + " up 160/0",
                     std::to_string(cancelled + 100) + " up 162/0"}),
              Trace(rec.events.begin() + 4, rec.events.end()));
    EXPECT_EQ("g_iCurAction= 5,start=0,end=6\n", rec.debug);
    EXPECT_FALSE(player.playing());

    // After the cancel a press starts the macro anew.
    rec.onWait = nullptr;
    EXPECT_TRUE(player.Start(b));
}

TEST_F(MacroPlayerTest, AMacroEndingWithAKeyDownLeavesItDown) {
    Run(MacroButton({{224, 1, 5}, {4, 1, 5}, {4, 2, 5}}));
    EXPECT_EQ(3u, rec.events.size());  // Ctrl stays pressed: no release added
    EXPECT_EQ("1010 up 65/30", rec.events.back());
}

}  // namespace
}  // namespace kestra
