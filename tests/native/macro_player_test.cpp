#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "monitor/macro_player.h"

namespace kestra {
namespace {

struct Event {
    int64_t at;
    std::string what;
};

class Recorder : public InputInjector, public MacroClock {
public:
    void Key(uint32_t vk, uint32_t scan, bool up) override {
        events.push_back({now, (up ? "up " : "down ") + std::to_string(vk) + "/" + std::to_string(scan)});
    }
    void MouseButton(uint8_t key, bool down) override {
        events.push_back({now, (down ? "mdown " : "mup ") + std::to_string(key)});
    }
    void Debug(const std::string& line) override { debug += line; }
    int64_t NowMs() override { return now; }
    void WaitUntilMs(int64_t deadline) override {
        if (deadline > now) now = deadline;
        if (onWait) onWait(now);
    }

    int64_t now = 1000;
    std::vector<Event> events;
    std::string debug;
    std::function<void(int64_t)> onWait;
};

ButtonAssignment Macro(std::vector<MacroStep> steps, int repeat = 1) {
    ButtonAssignment b;
    memset(&b, 0, sizeof b);
    b.function = 16;
    b.repeatCount = repeat;
    b.stepCount = static_cast<uint16_t>(steps.size());
    for (size_t i = 0; i < steps.size(); ++i) b.steps[i] = steps[i];
    return b;
}

class MacroPlayerTest : public ::testing::Test {
protected:
    Recorder rec;
    UsKeyboardLayout layout;
    MacroPlayer player{rec, rec, layout};

    void Run(const ButtonAssignment& b) {
        ASSERT_TRUE(player.Start(b));
        player.Play();
    }
};

TEST_F(MacroPlayerTest, StepsKeepTheirDelaysAndZeroWaitsOneMillisecond) {
    Run(Macro({{4, 1, 0}, {4, 2, 20}, {240, 1, 5}, {240, 2, 0}}));
    ASSERT_EQ(4u, rec.events.size());
    EXPECT_EQ("down 65/30", rec.events[0].what);  // A by its scan code
    EXPECT_EQ(1000, rec.events[0].at);
    EXPECT_EQ("up 65/30", rec.events[1].what);
    EXPECT_EQ(1001, rec.events[1].at);  // delay 0 counts as 1
    EXPECT_EQ("mdown 240", rec.events[2].what);
    EXPECT_EQ(1021, rec.events[2].at);
    EXPECT_EQ(1026, rec.events[3].at);
    EXPECT_EQ(1027, rec.now);
    EXPECT_EQ("g_iCurAction= 3,start=0,end=4\n", rec.debug);
    EXPECT_FALSE(player.playing());
}

TEST_F(MacroPlayerTest, AStalledInjectionDoesNotShortenTheDelayAfterIt) {
    // The first key takes 30 ms to go out; the next step still follows 60 ms
    // after it (small lags are caught up: see the test below).
    bool first = true;
    struct Slow : Recorder {
        bool* first;
        void Key(uint32_t vk, uint32_t scan, bool up) override {
            if (*first) now += 30;
            *first = false;
            Recorder::Key(vk, scan, up);
        }
    } slow;
    slow.first = &first;
    MacroPlayer slowPlayer{slow, slow, layout};
    ASSERT_TRUE(slowPlayer.Start(Macro({{4, 1, 60}, {4, 2, 20}, {5, 1, 1}})));
    slowPlayer.Play();
    ASSERT_EQ(3u, slow.events.size());
    EXPECT_EQ(1030, slow.events[0].at);
    EXPECT_EQ(1090, slow.events[1].at);
    EXPECT_EQ(1110, slow.events[2].at);
}

TEST_F(MacroPlayerTest, LongHoldRepeatsLikeAKeyboard) {
    Run(Macro({{4, 1, 2000}, {4, 2, 10}}));
    // One press, then release/press pairs every 33 ms after 500 ms, then the release.
    int pairs = 0;
    for (size_t i = 1; i + 1 < rec.events.size(); i += 2) {
        EXPECT_EQ("up 65/30", rec.events[i].what);
        EXPECT_EQ("down 65/30", rec.events[i + 1].what);
        EXPECT_EQ(1500 + 33 * pairs, rec.events[i].at);
        ++pairs;
    }
    EXPECT_EQ(46, pairs);  // 1500 ms of holding in rounds of 33 ms
    EXPECT_EQ("up 65/30", rec.events.back().what);
    EXPECT_EQ(1000 + 500 + 46 * 33, rec.events.back().at);
}

TEST_F(MacroPlayerTest, RepeatCountsAndDegenerateMacros) {
    Run(Macro({{5, 1, 1}, {5, 2, 1}}, 0));  // 0 plays once
    EXPECT_EQ(2u, rec.events.size());
    rec.events.clear();
    Run(Macro({{5, 1, 1}, {5, 2, 1}}, -3));
    EXPECT_EQ(2u, rec.events.size());
    rec.events.clear();
    Run(Macro({{5, 1, 1}, {5, 2, 1}}, 3));
    EXPECT_EQ(6u, rec.events.size());

    ButtonAssignment notMacro = Macro({{5, 1, 1}});
    notMacro.function = 5;
    EXPECT_FALSE(player.Start(notMacro));
    EXPECT_FALSE(player.Start(Macro({})));

    // A step count beyond the 40 slots plays the 40 slots only.
    ButtonAssignment big = Macro({});
    big.stepCount = 999;
    for (int i = 0; i < kMacroStepSlots; ++i) big.steps[i] = MacroStep{6, 3, 1};
    rec.events.clear();
    Run(big);
    EXPECT_EQ(40u, rec.events.size());
    // A key without a row is injected as virtual key 0.
    rec.events.clear();
    Run(Macro({{50, 1, 1}}));
    EXPECT_EQ("down 0/0", rec.events[0].what);
}

TEST_F(MacroPlayerTest, CancelStopsAndReleasesHeldKeysInReverse) {
    // Ctrl, Shift and the right button pressed, then a long wait.
    const ButtonAssignment b = Macro({{224, 1, 10}, {225, 1, 10}, {241, 1, 10}, {4, 1, 10},
                                      {4, 2, 1000}, {224, 2, 10}});
    ASSERT_TRUE(player.Start(b));
    rec.onWait = [&](int64_t now) {
        if (now >= 1100 && !player.playing()) return;
        if (now >= 1100) {
            // A second press of the button while it plays only cancels.
            EXPECT_FALSE(player.Start(b));
        }
    };
    player.Play();
    std::vector<std::string> tail;
    for (const Event& e : rec.events) tail.push_back(e.what);
    ASSERT_EQ(8u, tail.size());
    EXPECT_EQ("up 65/30", tail[4]);
    // Held: Ctrl, Shift, right button; released most recent first, 50 ms apart.
    EXPECT_EQ("mup 241", tail[5]);
    EXPECT_EQ("up 160/0", tail[6]);
    EXPECT_EQ("up 162/0", tail[7]);
    EXPECT_EQ(rec.events[5].at + 50, rec.events[6].at);
    EXPECT_EQ(rec.events[6].at + 50, rec.events[7].at);
    EXPECT_EQ("g_iCurAction= 5,start=0,end=6\n", rec.debug);
    EXPECT_FALSE(player.playing());

    // After the cancel a press starts the macro anew.
    rec.onWait = nullptr;
    EXPECT_TRUE(player.Start(b));
}

TEST_F(MacroPlayerTest, AMacroEndingWithAKeyDownLeavesItDown) {
    Run(Macro({{224, 1, 5}, {4, 1, 5}, {4, 2, 5}}));
    EXPECT_EQ("up 65/30", rec.events.back().what);
    EXPECT_EQ(3u, rec.events.size());  // Ctrl stays pressed: no release added
}

TEST_F(MacroPlayerTest, DeadlinesAbsorbInjectionTimeInsteadOfAddingIt) {
    // Each injection costs 3 ms: the steps still start on their recorded grid.
    struct Slow : Recorder {
        void Key(uint32_t vk, uint32_t scan, bool up) override {
            Recorder::Key(vk, scan, up);
            now += 3;
        }
    } slow;
    MacroPlayer p(slow, slow, layout);
    ASSERT_TRUE(p.Start(Macro({{4, 1, 20}, {4, 2, 20}, {4, 1, 20}, {4, 2, 20}})));
    p.Play();
    ASSERT_EQ(4u, slow.events.size());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(1000 + 20 * i, slow.events[i].at);
}

}  // namespace
}  // namespace kestra
