#include "monitor/dispatch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace kestra {
namespace {

TEST(Dispatch, EventTable) {
    using K = EventKind;
    struct Case {
        uint32_t code, value;
        EventKind kind;
    };
    const Case cases[] = {
        {0x7F00, 1, K::kPresence},      {0x1000, 1, K::kTiltRight},
        {0x1000, 255, K::kTiltLeft},    {0x1000, 2, K::kNone},
        {0x01F2, 1, K::kReportRate},    {0x01F2, 8, K::kReportRate},
        {0x01F2, 9, K::kNone},          {0x01F2, 0, K::kNone},
        {0x0800, 3, K::kProfile},       {0x08FF, 9, K::kProfile},
        {0x4000, 0x4, K::kButton},      {0x4000, 0x11, K::kNone},
        {0x000A, 3, K::kLaunchProgram}, {0x5000, 0x110, K::kButton},
        {0x000A, 0x103, K::kNone},      {0xC000, 0xA00, K::kSensitivity},
        {0x00A0, 0, K::kOpenOption},    {0x0700, 8, K::kDpiLevel},
        {0x07AB, 9, K::kNone},          {0xF000, 0x120, K::kMedia},
        {0xF000, 0x28, K::kNone},       {0x1234, 1, K::kNone},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.kind, DecideEvent(MakeEventWord(c.code, c.value)).kind)
            << c.code << "/" << c.value;

    // Only the low 16 bits of each message parameter count.
    EXPECT_EQ(0x40000004u, MakeEventWord(0x12344000, 0xFFFF0004));

    const EventDecision press = DecideEvent(MakeEventWord(0x4000, 0x0004));
    EXPECT_EQ(4, press.button);
    EXPECT_TRUE(press.pressed);
    EXPECT_TRUE(press.announceMacro);
    const EventDecision release = DecideEvent(MakeEventWord(0x4000, 0x0104));
    EXPECT_FALSE(release.pressed);
    EXPECT_FALSE(release.announceMacro);
    EXPECT_FALSE(DecideEvent(MakeEventWord(0x5000, 0x0004)).announceMacro);
    const EventDecision media = DecideEvent(MakeEventWord(0xF000, 0x0126));
    EXPECT_EQ(38, media.mediaFunction);
    EXPECT_TRUE(media.mediaReleased);
}

TEST(Dispatch, DeviceChangesAcceptOnlyTheirValues) {
    SettingsStore store;
    ClearStore(store);
    ResetAllProfiles(store);
    store.CurrentProfile = 1;
    EXPECT_FALSE(ApplyDeviceChange(store, EventKind::kProfile, 6));
    EXPECT_FALSE(ApplyDeviceChange(store, EventKind::kProfile, 0));
    EXPECT_EQ(1, store.CurrentProfile);
    EXPECT_TRUE(ApplyDeviceChange(store, EventKind::kProfile, 5));
    EXPECT_EQ(4, store.CurrentProfile);

    ProfileSettings& p = store.profiles[4];
    EXPECT_TRUE(ApplyDeviceChange(store, EventKind::kSensitivity, 0x0A00));
    EXPECT_EQ(10, p.Sensitivity_Y);
    EXPECT_EQ(10, p.Sensitivity_X);
    EXPECT_TRUE(ApplyDeviceChange(store, EventKind::kSensitivity, 0x1505));  // Y 21 is out of range
    EXPECT_EQ(5, p.Sensitivity_X);
    EXPECT_EQ(10, p.Sensitivity_Y);
    EXPECT_FALSE(ApplyDeviceChange(store, EventKind::kSensitivity, 0x0000));

    EXPECT_TRUE(ApplyDeviceChange(store, EventKind::kDpiLevel, 7));
    EXPECT_EQ(6, p.CpiStep);

    const int rates[][2] = {{8, 0}, {4, 1}, {2, 2}, {1, 3}};
    for (const auto& r : rates) {
        EXPECT_TRUE(ApplyDeviceChange(store, EventKind::kReportRate, static_cast<uint16_t>(r[0])));
        EXPECT_EQ(r[1], p.PollingRate);
    }
    for (uint16_t v : {3, 5, 6, 7}) {
        EXPECT_TRUE(ApplyDeviceChange(store, EventKind::kReportRate, v));
        EXPECT_EQ(3, p.PollingRate);  // kept: no rate code means that interval
    }
    EXPECT_FALSE(ApplyDeviceChange(store, EventKind::kReportRate, 9));
}

using Log = std::vector<std::string>;

class Keys : public KeyInjector {
public:
    void Key(uint32_t vk, bool up) override { log.push_back((up ? "-" : "+") + N(vk)); }
    void PauseMs(int ms) override { log.push_back("p" + N(ms)); }
    static std::string N(long v) { return std::to_string(v); }
    Log log;
};

TEST(Dispatch, CombinationOrder) {
    UsKeyboardLayout us;
    Keys keys;
    // Ctrl+Shift+A: modifiers Ctrl, Shift down; A; released in reverse.
    const uint16_t ctrlShiftA = static_cast<uint16_t>(4 | ((0x02 | 0x04) << 8));
    PressCombination(ctrlShiftA, keys, us);
    ReleaseCombination(ctrlShiftA, keys, us);
    EXPECT_EQ((Log{"+17", "p1", "+16", "p1", "+65", "-65", "p1", "-16", "p1", "-17"}), keys.log);

    // Bit 8: the key alone, whatever the other bits say.
    keys.log.clear();
    PressCombination(static_cast<uint16_t>(4 | (0x1F << 8)), keys, us);
    EXPECT_EQ((Log{"+65"}), keys.log);

    // Modifiers with no key: only the modifiers, and nothing to repeat.
    keys.log.clear();
    const uint16_t altWin = static_cast<uint16_t>((0x08 | 0x10) << 8);
    PressCombination(altWin, keys, us);
    ReleaseCombination(altWin, keys, us);
    EXPECT_EQ((Log{"+18", "p1", "+91", "p1", "p1", "-91", "p1", "-18"}), keys.log);
    EXPECT_EQ(0u, RepeatKey(altWin, us));

    // A left Ctrl as the main key becomes the generic Ctrl and does not repeat.
    keys.log.clear();
    PressCombination(static_cast<uint16_t>(224 | (0x01 << 8)), keys, us);
    EXPECT_EQ((Log{"+17"}), keys.log);
    EXPECT_EQ(0u, RepeatKey(static_cast<uint16_t>(224 | (0x01 << 8)), us));

    ButtonAssignment b;
    memset(&b, 0, sizeof b);
    b.steps[0].key = 4;
    b.steps[0].action = 0x06;
    EXPECT_EQ(ctrlShiftA, CombinationWord(b));
}

// The key repeat's timing (1 s, then every 100 ms) is checked with the
// combination it repeats: MonitorLogicTest.CombinationPressRepeatAndRelease.

TEST(Dispatch, ProgramWatchMatching) {
    SettingsStore store;
    ClearStore(store);
    ResetAllProfiles(store);
    CopyText(store.profiles[3].GameFile, kGameFileSize, "  C:\\Games\\Shooter.EXE  ");
    CopyText(store.profiles[1].GameFile, kGameFileSize, "D:/other/shooter.exe");
    CopyText(store.profiles[2].GameFile, kGameFileSize, "   ");
    EXPECT_EQ(1, MatchProfileByProgram(store, "shooter.exe"));  // the lower profile wins
    CopyText(store.profiles[1].GameFile, kGameFileSize, "");
    EXPECT_EQ(3, MatchProfileByProgram(store, "SHOOTER.exe"));
    EXPECT_EQ(-1, MatchProfileByProgram(store, "notepad.exe"));
    EXPECT_EQ(-1, MatchProfileByProgram(store, ""));
    // A game file filling its whole field (no terminator) is read within it.
    memset(store.profiles[0].GameFile, 'x', kGameFileSize);
    EXPECT_EQ(-1, MatchProfileByProgram(store, "x"));
}

TEST(Dispatch, IndicationTexts) {
    EXPECT_EQ(3, MacroIndicationNumber(14));
    EXPECT_EQ(4, MacroIndicationNumber(15));
    EXPECT_EQ(0, MacroIndicationNumber(1));
    EXPECT_EQ(12, MacroIndicationNumber(13));
    ProfileSettings p;
    MakeDefaultProfile(p, 0);
    EXPECT_EQ("CPI: 1000", DpiLevelText(p, 1));
    EXPECT_EQ("CPI: 7200", DpiLevelText(p, 5));
    EXPECT_EQ("", DpiLevelText(p, 7));
}

}  // namespace
}  // namespace kestra
