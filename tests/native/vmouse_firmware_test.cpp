#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "device/apply_all.h"
#include "tests/native/device_fakes.h"
#include "tests/native/full_apply_store.h"
#include "vmouse/virtual_firmware.h"

namespace kestra {
namespace vmouse {
namespace {

using kestra_test::VirtualClock;
using kestra_test::VirtualWaiter;

FeatureReport Feature(uint8_t command, uint8_t p1 = 0, uint8_t p2 = 0) {
    return MakeFeatureReport(command, p1, p2);
}

bool Set(VirtualFirmware& fw, const FeatureReport& r) {
    return fw.SetFeature(r.data(), r.size());
}

std::vector<uint8_t> Half(uint8_t fill) {
    return std::vector<uint8_t>(kOutputReportSize, fill);
}

bool Out(VirtualFirmware& fw, const std::vector<uint8_t>& half) {
    return fw.WriteOutput(half.data(), half.size());
}

// Every setting the firmware keeps, compared as a whole.
bool SameSettings(const FirmwareState& a, const FirmwareState& b) {
    if (a.activeProfile != b.activeProfile) return false;
    for (int p = 0; p < kProfileCount; ++p) {
        const ProfileState& x = a.profiles[p];
        const ProfileState& y = b.profiles[p];
        if (x.interval != y.interval || x.cpiLevel != y.cpiLevel || x.hasConfig != y.hasConfig ||
            x.config != y.config || x.hasTable != y.hasTable || x.table != y.table) {
            return false;
        }
    }
    for (int s = 0; s < kMacroSlots; ++s) {
        if (a.hasMacro[s] != b.hasMacro[s] || a.macros[s] != b.macros[s]) return false;
    }
    return true;
}

// Where each command's values land is checked with a whole apply
// (TakesAFullApplyWhole); here the version answer and a block in halves.
TEST(VirtualFirmware, AnswersItsVersionAndTakesABlockOnlyWhole) {
    VirtualFirmware fw(3, 7);
    const FirmwareState& s = fw.State();
    EXPECT_TRUE(Set(fw, Feature(kCmdConfigBlock, 3, kBlockFollows)));
    EXPECT_TRUE(Out(fw, Half(0x11)));
    EXPECT_FALSE(s.profiles[2].hasConfig);  // only half of it so far
    EXPECT_TRUE(Out(fw, Half(0x22)));
    ASSERT_TRUE(s.profiles[2].hasConfig);
    EXPECT_EQ(0x11, s.profiles[2].config[63]);
    EXPECT_EQ(0x22, s.profiles[2].config[64]);
    EXPECT_EQ(0, s.profiles[0].interval);  // nothing else set

    // The version given at start, in a report with its own check byte.
    const FeatureReport ask = Feature(kCmdFirmwareVersion);
    EXPECT_TRUE(Set(fw, ask));
    uint8_t answer[kFeatureReportSize] = {};
    ASSERT_TRUE(fw.GetFeature(ask.data(), ask.size(), answer));
    const FeatureReport expected = Feature(kCmdFirmwareVersion, 3, 7);
    EXPECT_EQ(0, memcmp(expected.data(), answer, kFeatureReportSize));
    EXPECT_EQ(0u, s.rejected);
    EXPECT_EQ(0u, s.incompleteBlocks);
}

TEST(VirtualFirmware, RefusedReportsChangeNothingAndAreLogged) {
    VirtualFirmware fw;
    ASSERT_TRUE(Set(fw, Feature(kCmdPollingRate, 1, 8)));
    const FirmwareState before = fw.State();

    std::vector<std::vector<uint8_t>> refused;
    auto refuse = [&](std::vector<uint8_t> r) { refused.push_back(r); };
    FeatureReport bad = Feature(kCmdPollingRate, 1, 2);
    bad[7] ^= 1;  // wrong check byte
    refuse({bad.begin(), bad.end()});
    refuse({0x03, 0x01, 0x02});  // too short
    std::vector<uint8_t> longer(9, 0);
    memcpy(longer.data(), Feature(kCmdPollingRate, 1, 2).data(), 8);
    refuse(longer);  // too long, though its first eight bytes are fine
    const FeatureReport outOfRange[] = {
        Feature(0x05, 1, 1),                         // unknown command
        Feature(kCmdOpenApply, 0x88, 0x03),          // wrong fixed bytes
        Feature(kCmdSelectProfile, 0),               // profile 0
        Feature(kCmdSelectProfile, 6),               // profile 6
        Feature(kCmdSelectProfile, 2, 1),            // byte 2 carries no parameter
        Feature(kCmdPollingRate, 1, 3),              // no such interval
        Feature(kCmdPollingRate, 6, 2),              // no such profile
        Feature(kCmdCpiLevel, 1, 0),                 // levels are 1..5
        Feature(kCmdCpiLevel, 1, 6),                 //
        Feature(kCmdConfigBlock, 1, 0x00),           // no block announced
        Feature(kCmdButtonTable, 0, kBlockFollows),  //
        Feature(kCmdMacro, 0, kBlockFollows),        // slots are 1..80
        Feature(kCmdMacro, 81, kBlockFollows),       //
        Feature(kCmdFirmwareVersion, 2, 3),          // a request carries no version
    };
    for (const FeatureReport& r : outOfRange) refuse({r.begin(), r.end()});
    FeatureReport trailing = Feature(kCmdPollingRate, 1, 2);
    trailing[5] = 1;
    trailing[7] = CheckByte(trailing.data());  // a valid check byte over a stray byte
    refuse({trailing.begin(), trailing.end()});

    fw.Log().Clear();
    for (const std::vector<uint8_t>& r : refused) {
        EXPECT_FALSE(fw.SetFeature(r.data(), r.size())) << FormatLogLine({ReportKind::kSet, r});
    }
    // Halves that no block command announced, one of them of a wrong size.
    EXPECT_FALSE(Out(fw, Half(1)));
    EXPECT_FALSE(fw.WriteOutput(Half(1).data(), 63));
    // A read of anything but the version, or with a broken check byte.
    uint8_t answer[kFeatureReportSize] = {0x55};
    const FeatureReport wrongRead = Feature(kCmdPollingRate, 1, 2);
    EXPECT_FALSE(fw.GetFeature(wrongRead.data(), wrongRead.size(), answer));
    FeatureReport brokenRead = Feature(kCmdFirmwareVersion);
    brokenRead[7] = 0;
    EXPECT_FALSE(fw.GetFeature(brokenRead.data(), brokenRead.size(), answer));
    EXPECT_EQ(0x55, answer[0]);  // no answer written

    EXPECT_TRUE(SameSettings(before, fw.State()));
    EXPECT_EQ(0u, fw.State().applyOpenings);
    EXPECT_EQ(refused.size() + 4, fw.State().rejected);
    const std::vector<LoggedReport>& log = fw.Log().Entries();
    ASSERT_EQ(refused.size() + 4, log.size());
    for (size_t i = 0; i < refused.size(); ++i) EXPECT_EQ(refused[i], log[i].bytes);
    EXPECT_EQ(63u, log[refused.size() + 1].bytes.size());
    EXPECT_EQ(ReportKind::kGet, log.back().kind);
}

TEST(VirtualFirmware, ABlockLeftIncompleteIsDroppedNotFilledLater) {
    VirtualFirmware fw;
    // Interrupted by a new command: the half already sent is lost with it.
    ASSERT_TRUE(Set(fw, Feature(kCmdConfigBlock, 1, kBlockFollows)));
    ASSERT_TRUE(Out(fw, Half(0xAA)));
    ASSERT_TRUE(Set(fw, Feature(kCmdButtonTable, 2, kBlockFollows)));
    EXPECT_EQ(1u, fw.State().incompleteBlocks);
    ASSERT_TRUE(Out(fw, Half(0xBB)));
    ASSERT_TRUE(Out(fw, Half(0xCC)));
    EXPECT_FALSE(fw.State().profiles[0].hasConfig);
    EXPECT_TRUE(fw.State().profiles[1].hasTable);
    EXPECT_EQ(0xBB, fw.State().profiles[1].table[0]);

    // A read and a refused report interrupt it as well; a third half then
    // has no block to go to.
    const FeatureReport ask = Feature(kCmdFirmwareVersion);
    uint8_t answer[kFeatureReportSize];
    ASSERT_TRUE(Set(fw, Feature(kCmdMacro, 7, kBlockFollows)));
    ASSERT_TRUE(Out(fw, Half(1)));
    ASSERT_TRUE(fw.GetFeature(ask.data(), ask.size(), answer));
    EXPECT_FALSE(Out(fw, Half(2)));
    ASSERT_TRUE(Set(fw, Feature(kCmdMacro, 7, kBlockFollows)));
    FeatureReport bad = Feature(kCmdOpenApply, 0x88, 0x02);
    bad[7] = 0;
    EXPECT_FALSE(Set(fw, bad));
    EXPECT_FALSE(Out(fw, Half(3)));
    EXPECT_FALSE(fw.State().hasMacro[6]);
    EXPECT_EQ(3u, fw.State().incompleteBlocks);

    // A half of the wrong size spoils its block.
    ASSERT_TRUE(Set(fw, Feature(kCmdButtonTable, 3, kBlockFollows)));
    ASSERT_TRUE(Out(fw, Half(4)));
    EXPECT_FALSE(fw.WriteOutput(Half(5).data(), 65));
    EXPECT_FALSE(Out(fw, Half(6)));
    EXPECT_FALSE(fw.State().profiles[2].hasTable);
    EXPECT_EQ(4u, fw.State().incompleteBlocks);
}

// The firmware as the far end of the portable ApplyAll: whatever the apply
// sends in mode all must be taken whole and land in the right places.
class FirmwareLink : public ReportLink {
public:
    int SetFeature(const uint8_t* r, int length) override {
        return fw.SetFeature(r, static_cast<size_t>(length));
    }
    int GetFeature(uint8_t* r, int length) override {
        uint8_t answer[kFeatureReportSize];
        if (!fw.GetFeature(r, static_cast<size_t>(length), answer)) return 0;
        memcpy(r, answer, kFeatureReportSize);
        return 1;
    }
    int WriteReport(const uint8_t* r, int length) override {
        return fw.WriteOutput(r, static_cast<size_t>(length));
    }
    VirtualFirmware fw;
};

TEST(VirtualFirmware, TakesAFullApplyWhole) {
    std::unique_ptr<SettingsStore> store = kestra_test::FullApplyStore();
    VirtualClock clock;
    DeviceFlags flags;
    VirtualWaiter waiter(clock, flags);
    FirmwareLink link;
    DeviceApplier applier(link, waiter);
    EXPECT_EQ(1, applier.ApplyAll(*store, ApplyMode::kAll));

    const FirmwareState& s = link.fw.State();
    EXPECT_EQ(0u, s.rejected);
    EXPECT_EQ(0u, s.incompleteBlocks);
    EXPECT_EQ(1u, s.applyOpenings);
    EXPECT_EQ(3, s.activeProfile);
    const uint8_t intervals[] = {8, 4, 2, 1, 8};
    for (int p = 0; p < kProfileCount; ++p) {
        EXPECT_EQ(intervals[p], s.profiles[p].interval) << p;
        EXPECT_EQ(p + 1, s.profiles[p].cpiLevel);
        EXPECT_EQ(BuildConfigBlock(store->profiles[p]), s.profiles[p].config);
        applier.BuildButtonTable(*store, p);
        EXPECT_EQ(applier.ButtonTable(), s.profiles[p].table);
        for (int b = 0; b < kButtonCount; ++b) {
            const int slot = MacroSlot(p, b) - 1;
            ASSERT_TRUE(s.hasMacro[slot]);
            EXPECT_EQ(BuildDeviceMacro(store->profiles[p].buttons[b]), s.macros[slot]);
        }
    }
    EXPECT_EQ(1 + 5 + 5 + 5 * 3 + 5 * 3 + 80 * 3 + 1,
              static_cast<int>(link.fw.Log().Entries().size()));
}

TEST(VirtualFirmware, ChangesMadeOnTheMouseShowInItsState) {
    VirtualFirmware fw;
    const FirmwareState before = fw.State();
    fw.NoteOwnChange(0x0800, 6);  // no such profile
    fw.NoteOwnChange(0x0700, 0);  // no such level
    fw.NoteOwnChange(0x01F2, 3);  // no such interval
    fw.NoteOwnChange(0x4000, 4);  // a button: not a setting
    EXPECT_TRUE(SameSettings(before, fw.State()));

    fw.NoteOwnChange(0x0803, 3);  // the low byte of the code does not matter
    fw.NoteOwnChange(0x0700, 4);
    fw.NoteOwnChange(0x01F2, 8);
    EXPECT_EQ(3, fw.State().activeProfile);
    EXPECT_EQ(4, fw.State().profiles[2].cpiLevel);
    EXPECT_EQ(8, fw.State().profiles[2].interval);
    EXPECT_EQ(0, fw.State().profiles[0].cpiLevel);
    EXPECT_TRUE(fw.Log().Entries().empty());  // events are not reports
}

TEST(ReportLog, LinesOrderClearAndLimit) {
    const LoggedReport set{ReportKind::kSet, {0x01, 0x88, 0x02, 0, 0, 0, 0, 0x74}};
    EXPECT_EQ("set 01 88 02 00 00 00 00 74", FormatLogLine(set));
    EXPECT_EQ("get 80 0A FF", FormatLogLine({ReportKind::kGet, {0x80, 0x0a, 0xff}}));
    EXPECT_EQ("out", FormatLogLine({ReportKind::kOut, {}}));
    std::vector<uint8_t> half(64, 0xab);
    std::string expected = "out";
    for (int i = 0; i < 64; ++i) expected += " AB";
    EXPECT_EQ(expected, FormatLogLine({ReportKind::kOut, half}));

    ReportLog log(3);
    const uint8_t a[] = {1}, b[] = {2, 3}, c[] = {4}, d[] = {5};
    log.Add(ReportKind::kGet, a, 1);
    log.Add(ReportKind::kSet, b, 2);
    log.Add(ReportKind::kOut, c, 1);
    log.Add(ReportKind::kSet, d, 1);  // beyond the limit: counted, not kept
    EXPECT_EQ("get 01\nset 02 03\nout 04\n", log.Text());
    EXPECT_EQ(1u, log.Dropped());
    log.Clear();
    EXPECT_EQ("", log.Text());
    EXPECT_EQ(0u, log.Dropped());
    log.Add(ReportKind::kSet, d, 1);
    EXPECT_EQ("set 05\n", log.Text());
}

TEST(VirtualFirmware, StateTextTellsPluggingOpensAndTheLog) {
    VirtualFirmware fw(2, 3);
    ASSERT_TRUE(Set(fw, Feature(kCmdPollingRate, 2, 1)));
    ASSERT_TRUE(Set(fw, Feature(kCmdMacro, 20, kBlockFollows)));
    ASSERT_TRUE(Out(fw, Half(0x0F)));
    ASSERT_TRUE(Out(fw, Half(0xF0)));
    const std::string text = DescribeState(fw, LinkState{false, 3, 2, 7, true, 6, 4});
    EXPECT_EQ(0u, text.find("firmware 2.3\nplugged no\nactive profile 1\n"
                            "channel opens: feature 3, report 2\n"
                            "reports while unplugged 7\n"
                            "refusing reports: yes, 6 refused while silent\n"
                            "library subscriptions: 4\n"
                            "apply openings 0, refused reports 0, incomplete blocks 0\n"
                            "log 4 reports, 0 dropped when full\n"
                            "profile 1: report interval not set, CPI level not set\n"))
        << text;
    EXPECT_NE(std::string::npos, text.find("profile 2: report interval 1 ms, CPI level not set\n"));
    EXPECT_NE(std::string::npos,
              text.find("  macro slot 20 (button 4):\n    0F 0F 0F 0F 0F 0F 0F 0F 0F 0F 0F 0F 0F "
                        "0F 0F 0F\n"));
    EXPECT_NE(std::string::npos, text.find("    F0 F0 F0"));
}

}  // namespace
}  // namespace vmouse
}  // namespace kestra
