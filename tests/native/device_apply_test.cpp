#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "device/apply_all.h"
#include "tests/native/device_fakes.h"
#include "tests/native/full_apply_store.h"
#include "tests/native/test_support.h"

namespace kestra {
namespace {

using kestra_test::Hex;
using kestra_test::RecordingLink;
using kestra_test::VirtualClock;
using kestra_test::VirtualWaiter;

using kestra_test::DefaultStore;

void SetMacro(ButtonAssignment& b, int32_t playOption, std::initializer_list<MacroStep> steps) {
    b = kestra_test::MacroButton(steps);
    b.playOption = playOption;
}

class ApplyAllTest : public ::testing::Test {
protected:
    VirtualClock clock;
    DeviceFlags flags;
    RecordingLink link{clock};
    VirtualWaiter waiter{clock, flags};
    DeviceApplier applier{link, waiter};
};

TEST_F(ApplyAllTest, ChangedOnlyWithoutFlagsSendsOnlyOpenAndSelect) {
    auto store = DefaultStore();
    store->CurrentProfile = 2;
    link.setResult = 7;
    EXPECT_EQ(7, applier.ApplyAll(*store, ApplyMode::kChangedOnly));
    const std::vector<std::string> expected = {
        "t=0 set 01 88 02 00 00 00 00 74",
        "t=200 set 02 03 00 00 00 00 00 FA",
    };
    EXPECT_EQ(expected, link.Trace());
    EXPECT_EQ(400, clock.now);
    EXPECT_EQ(0, memcmp(store.get(), &applier.LastApplied(), sizeof(SettingsStore)));
}

TEST_F(ApplyAllTest, ChangedOnlySequenceByteForByteWithItsPauses) {
    auto store = DefaultStore();
    store->CurrentProfile = 1;
    store->profiles[2].PollingRate = 0;
    store->flags.polling[2] = 1;
    store->profiles[0].CpiStep = 2;
    store->flags.level[0] = 1;
    store->flags.block[1] = 1;
    ProfileSettings& p1 = store->profiles[1];
    SetMacro(p1.buttons[3], 1, {{0x04, 1, 5}, {0x04, 2, 20}});
    p1.buttons[7].function = 52;
    store->flags.buttons[1][3] = 1;

    link.setResult = 5;
    EXPECT_EQ(5, applier.ApplyAll(*store, ApplyMode::kChangedOnly));
    const std::vector<std::string> expected = {
        "t=0 set 01 88 02 00 00 00 00 74",    "t=200 set 03 03 08 00 00 00 00 F1",
        "t=400 set 04 01 03 00 00 00 00 F7",  "t=600 set 0C 02 80 00 00 00 00 71",
        "t=600 out FF FF 00 00 00 00 00 00",  "t=700 out 0F 00 0A 0A 19 19 05 04",
        "t=1000 set 0D 02 80 00 00 00 00 70", "t=1000 out 01 00 F0 00 01 00 F1 00",
        "t=1100 out 00 00 00 00 00 00 00 00", "t=1300 set 0F 14 80 00 00 00 00 5C",
        "t=1300 out 00 01 01 04 83 04 00 00", "t=1400 out 00 00 00 00 00 00 00 00",
        "t=1500 set 0F 18 80 00 00 00 00 58", "t=1500 out 00 01 01 E0 01 1B 81 1B",
        "t=1600 out 00 00 00 00 00 00 00 00", "t=1700 set 02 02 00 00 00 00 00 FB",
    };
    EXPECT_EQ(expected, link.Trace());
    EXPECT_EQ(1900, clock.now);
    for (int slice : waiter.slices) EXPECT_EQ(100, slice);

    // The block goes out in two halves, in order.
    const DeviceBlock config = BuildConfigBlock(p1);
    EXPECT_EQ(Hex(config.data(), 64), Hex(link.reports[4].bytes.data(), 64));
    EXPECT_EQ(Hex(config.data() + 64, 64), Hex(link.reports[5].bytes.data(), 64));
    EXPECT_EQ(
        "01 00 F0 00 01 00 F1 00 01 00 F2 00 09 01 14 00 01 00 F3 00 07 00 01 00 07 00 02 00 "
        "09 00 18 04 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
        "04 00 01 00 04 00 02 00",
        Hex(link.reports[7].bytes.data(), 64));
    for (const auto& r : link.reports) {
        EXPECT_EQ(r.kind == "out" ? 64u : 8u, r.bytes.size());
    }
    EXPECT_TRUE(applier.HasMacro(1, 3));
    EXPECT_TRUE(applier.HasMacro(1, 7));
    EXPECT_FALSE(applier.HasMacro(1, 14));
    EXPECT_EQ(0, memcmp(store.get(), &applier.LastApplied(), sizeof(SettingsStore)));
}

TEST_F(ApplyAllTest, ModeAllSendsEveryProfileInPrescribedTime) {
    auto store = DefaultStore();
    for (int b = 0; b < kButtonCount; ++b) {
        SetMacro(store->profiles[4].buttons[b], 0, {{0x10, 1, 10}});
    }
    applier.ApplyAll(*store, ApplyMode::kAll);

    std::string commands;
    int outs = 0;
    for (const auto& r : link.reports) {
        if (r.kind == "out") {
            ++outs;
        } else {
            commands += Hex(r.bytes.data(), 2) + ",";
        }
    }
    EXPECT_EQ(
        "01 88,03 01,03 02,03 03,03 04,03 05,04 01,04 02,04 03,04 04,04 05,0C 01,0C 02,0C 03,"
        "0C 04,0C 05,0D 01,0D 02,0D 03,0D 04,0D 05,0F 41,0F 42,0F 43,0F 44,0F 45,0F 46,0F 47,"
        "0F 48,0F 49,0F 4A,0F 4B,0F 4C,0F 4D,0F 4E,0F 4F,0F 50,02 01,",
        commands);
    EXPECT_EQ(2 * (5 + 5 + 16), outs);
    // Opening, 10 short reports, 5 blocks + 200, 5 tables + 100, 16 macros, select.
    EXPECT_EQ(200 + 10 * 200 + 5 * 400 + 5 * 300 + 16 * 200 + 200, clock.now);
}

TEST_F(ApplyAllTest, AbortDuringAPauseSendsNothingMoreAndKeepsTheLastApplied) {
    auto first = DefaultStore();
    first->CurrentProfile = 3;
    ASSERT_NE(0, applier.ApplyAll(*first, ApplyMode::kChangedOnly));
    link.reports.clear();
    clock.now = 0;

    auto second = DefaultStore();
    second->CurrentProfile = 4;
    // Removal of the mouse halfway through the second pause.
    waiter.onSleep = [&] {
        if (clock.now == 300) flags.abort = 1;
    };
    EXPECT_EQ(0, applier.ApplyAll(*second, ApplyMode::kAll));
    ASSERT_EQ(2u, link.reports.size());
    EXPECT_EQ(300, clock.now);
    EXPECT_EQ(0, memcmp(first.get(), &applier.LastApplied(), sizeof(SettingsStore)));
}

TEST_F(ApplyAllTest, AbortBetweenTheHalvesOfABlockStopsBeforeTheSecond) {
    auto store = DefaultStore();
    store->flags.buttons[0][0] = 1;
    link.afterReport = [&] {
        if (link.reports.back().kind == "out") flags.abort = 1;
    };
    EXPECT_EQ(0, applier.ApplyAll(*store, ApplyMode::kChangedOnly));
    const std::vector<std::string> expected = {
        "t=0 set 01 88 02 00 00 00 00 74",
        "t=200 set 0D 01 80 00 00 00 00 71",
        "t=200 out 01 00 F0 00 01 00 F1 00",
    };
    EXPECT_EQ(expected, link.Trace());
    EXPECT_EQ(200, clock.now);
    EXPECT_EQ(0, applier.LastApplied().CurrentProfile);  // never copied: still zeroed
    EXPECT_EQ(0, applier.LastApplied().profiles[0].ProFileName[0]);
}

TEST_F(ApplyAllTest, AbortInTheFinalPauseStillCountsAsStopped) {
    auto store = DefaultStore();
    waiter.onSleep = [&] {
        if (clock.now == 300) flags.abort = 1;
    };
    EXPECT_EQ(0, applier.ApplyAll(*store, ApplyMode::kChangedOnly));
    EXPECT_EQ(2u, link.reports.size());
    EXPECT_EQ(0, applier.LastApplied().profiles[0].ProFileName[0]);
}

TEST_F(ApplyAllTest, MacroMarksAreClearedBeforeEachRebuild) {
    auto store = DefaultStore();
    SetMacro(store->profiles[0].buttons[0], 0, {});
    store->flags.buttons[0][0] = 1;
    applier.ApplyAll(*store, ApplyMode::kChangedOnly);
    EXPECT_TRUE(applier.HasMacro(0, 0));

    store->flags.buttons[0][0] = 0;
    applier.ApplyAll(*store, ApplyMode::kChangedOnly);
    EXPECT_FALSE(applier.HasMacro(0, 0));
    EXPECT_EQ(DeviceBlock{}, applier.Macro(0, 0));
}

TEST_F(ApplyAllTest, BuildButtonTableOfAnUnknownProfileIsEmpty) {
    auto store = DefaultStore();
    applier.BuildButtonTable(*store, 0);
    EXPECT_NE(DeviceBlock{}, applier.ButtonTable());
    for (int profile : {5, -1}) {
        applier.BuildButtonTable(*store, profile);
        EXPECT_EQ(DeviceBlock{}, applier.ButtonTable()) << profile;
    }
}

// What the progress of an apply says, against what the mouse saw: every
// report counted once and in order, and the time left at each report equal
// to the time the apply still took after it.
struct ProgressLog : ApplyProgress {
    struct Entry {
        int sent, total, remainingMs;
        long at;
    };
    explicit ProgressLog(const kestra_test::VirtualClock& clock) : clock(clock) {}
    void ReportSent(int sent, int total, int remainingMs) override {
        entries.push_back({sent, total, remainingMs, clock.now});
    }
    const kestra_test::VirtualClock& clock;
    std::vector<Entry> entries;
};

TEST_F(ApplyAllTest, ProgressCountsEveryReportAndItsTimeLeftIsTheRemainingPauses) {
    auto store = kestra_test::FullApplyStore();
    ProgressLog progress(clock);
    ASSERT_NE(0, applier.ApplyAll(*store, ApplyMode::kAll, &progress));
    const long end = clock.now;
    ASSERT_EQ(link.reports.size(), progress.entries.size());
    ASSERT_GT(progress.entries.size(), 250u);  // every macro of every profile
    for (size_t i = 0; i < progress.entries.size(); ++i) {
        const ProgressLog::Entry& e = progress.entries[i];
        EXPECT_EQ(static_cast<int>(i + 1), e.sent);
        EXPECT_EQ(static_cast<int>(progress.entries.size()), e.total);
        EXPECT_EQ(end - e.at, e.remainingMs) << i;
    }
    // The plan is what was sent, byte for byte.
    const ApplyPlan plan = applier.Plan(*store, ApplyMode::kAll);
    ASSERT_EQ(link.reports.size(), plan.size());
    for (size_t i = 0; i < plan.size(); ++i) {
        const size_t size = plan[i].output ? kOutputReportSize : kFeatureReportSize;
        EXPECT_EQ(link.reports[i].bytes,
                  std::vector<uint8_t>(plan[i].bytes.begin(), plan[i].bytes.begin() + size))
            << i;
    }

    // Cut short by a removal: no report after the abort is counted.
    link.reports.clear();
    progress.entries.clear();
    waiter.onSleep = [&] {
        if (link.reports.size() == 7) flags.abort = 1;
    };
    EXPECT_EQ(0, applier.ApplyAll(*store, ApplyMode::kAll, &progress));
    EXPECT_EQ(7u, progress.entries.size());
    EXPECT_EQ(7, progress.entries.back().sent);
}

TEST_F(ApplyAllTest, SelectProfileAlone) {
    auto store = DefaultStore();
    store->CurrentProfile = 4;
    link.setResult = 3;
    EXPECT_EQ(3, applier.SelectProfile(*store));
    EXPECT_EQ(std::vector<std::string>{"t=0 set 02 05 00 00 00 00 00 F8"}, link.Trace());
    EXPECT_EQ(200, clock.now);

    flags.abort = 1;
    EXPECT_EQ(0, applier.SelectProfile(*store));
}

TEST(DevicePause, SlicesOfAHundredWithAbortTestsAround) {
    VirtualClock clock;
    DeviceFlags flags;
    VirtualWaiter waiter(clock, flags);
    EXPECT_TRUE(PauseUnlessAborted(waiter, 250));
    EXPECT_EQ((std::vector<int>{100, 100, 50}), waiter.slices);
    EXPECT_EQ(4, waiter.abortChecks);

    waiter.slices.clear();
    waiter.onSleep = [&] { flags.abort = 1; };
    EXPECT_FALSE(PauseUnlessAborted(waiter, 200));
    EXPECT_EQ(std::vector<int>{100}, waiter.slices);

    waiter.slices.clear();
    EXPECT_FALSE(PauseUnlessAborted(waiter, 100));
    EXPECT_TRUE(waiter.slices.empty());
}

}  // namespace
}  // namespace kestra
