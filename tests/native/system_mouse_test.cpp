#include "settings/system_mouse.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/native/test_support.h"

namespace kestra {
namespace {

using kestra_test::Trace;

class FakeRegistry : public PointerRegistry {
public:
    std::map<std::string, std::map<std::string, std::string>> keys;
    std::vector<std::string> failing;
    std::string open;

    bool OpenKey(const char* path) override {
        for (const auto& f : failing)
            if (f == path) return false;
        open = path;
        return true;
    }
    int32_t ReadNumber(const char* value) override {
        auto& values = keys[open];
        auto it = values.find(value);
        return it == values.end() ? 0 : LeadingDecimal(it->second.c_str());
    }
    void CloseKey() override { open.clear(); }
};

// "click UIPARAM" for SetDoubleClickTime, "spi ACTION UIPARAM PV FLAGS" for
// SystemParametersInfoA, the action in hexadecimal and PV "-" for null.
class RecordingWriter : public PointerWriter {
public:
    Trace writes;
    void Write(const PointerWrite& w) override {
        if (w.call == PointerWrite::kSetDoubleClickTime) {
            writes.push_back("click " + std::to_string(w.uiParam));
            return;
        }
        char text[80];
        if (w.pvKind == PointerWrite::kPvTriple) {
            snprintf(text, sizeof text, "%d,%d,%d", w.pvTriple[0], w.pvTriple[1], w.pvTriple[2]);
        } else {
            snprintf(text, sizeof text, w.pvKind == PointerWrite::kPvNull ? "-" : "%d",
                     w.pvInteger);
        }
        const std::string pv = text;
        snprintf(text, sizeof text, "spi %X %u %s %u", w.action, w.uiParam, pv.c_str(), w.flags);
        writes.push_back(text);
    }
};

ProfileSettings Profile() {
    ProfileSettings p;
    MakeDefaultProfile(p, 0);
    return p;
}

TEST(SystemMouse, LeadingDecimalReadsSignedNumbersAndIgnoresTheRest) {
    EXPECT_EQ(-1, LeadingDecimal("-1"));
    EXPECT_EQ(550, LeadingDecimal(" 550ms"));
    EXPECT_EQ(0, LeadingDecimal("abc"));
    EXPECT_EQ(0, LeadingDecimal(""));
    EXPECT_EQ(0, LeadingDecimal(nullptr));
    EXPECT_EQ(-1, LeadingDecimal("4294967295"));
    EXPECT_EQ(INT32_MAX, LeadingDecimal("4294967296"));
    EXPECT_EQ(INT32_MAX, LeadingDecimal("99999999999999999999"));
    EXPECT_EQ(INT32_MIN, LeadingDecimal("-99999999999999999999"));
}

TEST(SystemMouse, RegistryValuesMapToTheSixFields) {
    FakeRegistry reg;
    reg.keys[kMouseRegistryKey] = {{"DoubleClickSpeed", "480"}, {"SwapMouseButtons", "1"},
                                   {"MouseSensitivity", "14"},  {"MouseSpeed", "0"},
                                   {"MouseThreshold1", "0"},    {"MouseThreshold2", "0"}};
    reg.keys[kDesktopRegistryKey] = {{"WheelScrollLines", "-1"}};
    ProfileSettings p = Profile();
    p.ScrollWheelSpeed = 7;
    ReadSystemSettings(reg, p);
    EXPECT_EQ(480, p.DbleClickSpeed);
    EXPECT_EQ(1, p.Orientation);
    EXPECT_EQ(14, p.MouseSpeed);
    EXPECT_EQ(0, p.AccelerationFlag);
    EXPECT_EQ(0, p.ScrollWheelSpeed);
    EXPECT_EQ(1, p.ScrollWheelFlag);

    reg.keys[kDesktopRegistryKey]["WheelScrollLines"] = "3";
    for (const char* name : {"MouseSpeed", "MouseThreshold1", "MouseThreshold2"}) {
        reg.keys[kMouseRegistryKey]["MouseSpeed"] = "0";
        reg.keys[kMouseRegistryKey]["MouseThreshold1"] = "0";
        reg.keys[kMouseRegistryKey]["MouseThreshold2"] = "0";
        reg.keys[kMouseRegistryKey][name] = "6";
        ReadSystemSettings(reg, p);
        EXPECT_EQ(1, p.AccelerationFlag) << name;
        EXPECT_EQ(3, p.ScrollWheelSpeed);
        EXPECT_EQ(0, p.ScrollWheelFlag);
    }
}

TEST(SystemMouse, AKeyThatCannotBeOpenedKeepsItsFields) {
    FakeRegistry reg;
    reg.keys[kMouseRegistryKey] = {{"DoubleClickSpeed", "300"}};
    reg.keys[kDesktopRegistryKey] = {{"WheelScrollLines", "9"}};
    reg.failing = {kDesktopRegistryKey};
    ProfileSettings p = Profile();
    p.ScrollWheelSpeed = 5;
    p.ScrollWheelFlag = 1;
    ReadSystemSettings(reg, p);
    EXPECT_EQ(300, p.DbleClickSpeed);
    EXPECT_EQ(5, p.ScrollWheelSpeed);
    EXPECT_EQ(1, p.ScrollWheelFlag);

    reg.failing = {kMouseRegistryKey};
    p.DbleClickSpeed = 777;
    ReadSystemSettings(reg, p);
    EXPECT_EQ(777, p.DbleClickSpeed);
    EXPECT_EQ(5, p.ScrollWheelSpeed);  // nothing at all is read
}

TEST(SystemMouse, OnlyPointerSpeedChangedWritesPrecisionThenSpeed) {
    ProfileSettings before = Profile(), after = Profile();
    before.AccelerationFlag = after.AccelerationFlag = 1;
    after.MouseSpeed = before.MouseSpeed + 3;
    RecordingWriter w;
    WritePointerChanges(after, before, w);
    EXPECT_EQ((Trace{"spi 4 0 1,6,10 3", "spi 71 0 13 3"}), w.writes);
}

TEST(SystemMouse, EveryFieldChangedWritesInTheFixedOrder) {
    ProfileSettings before = Profile(), after = Profile();
    after.DbleClickSpeed = 650;
    after.AccelerationFlag = 1;
    after.ScrollWheelFlag = 1;
    after.ScrollWheelSpeed = 4;
    after.Orientation = before.Orientation + 1;
    RecordingWriter w;
    WritePointerChanges(after, before, w);  // the orientation is not written
    EXPECT_EQ((Trace{"click 650", "spi 20 650 - 3", "spi 4 0 1,6,10 3", "spi 71 0 10 3",
                     "spi 69 4294967295 - 3"}),  // page scrolling
              w.writes);

    // Precision off writes zeros; a wheel without page mode writes the lines.
    after.AccelerationFlag = 0;
    before.AccelerationFlag = 1;
    after.ScrollWheelFlag = 0;
    w.writes.clear();
    WritePointerChanges(after, before, w);
    EXPECT_EQ(
        (Trace{"click 650", "spi 20 650 - 3", "spi 4 0 0,0,0 3", "spi 71 0 10 3", "spi 69 4 - 3"}),
        w.writes);
}

TEST(SystemMouse, ProfileSwitchComparesWithTheSameSlotOfTheLastAppliedCopy) {
    static SettingsStore working, applied;
    ClearStore(applied);
    ResetAllProfiles(applied);
    applied.profiles[2].DbleClickSpeed = 250;
    applied.profiles[2].MouseSpeed = 3;
    applied.profiles[2].ScrollWheelFlag = 1;
    working = applied;
    working.CurrentProfile = 2;  // values differ from profile 0, not from slot 2
    FakeRegistry reg;
    RecordingWriter w;
    ApplySystemSettings(working, applied, false, reg, w);
    EXPECT_TRUE(w.writes.empty());

    working.CurrentProfile = 9;
    working.profiles[0].DbleClickSpeed = 1;
    ApplySystemSettings(working, applied, false, reg, w);
    EXPECT_TRUE(w.writes.empty());
}

TEST(SystemMouse, ReloadReadsTheSystemIntoTheActiveProfileFirst) {
    static SettingsStore working, applied;
    ClearStore(applied);
    ResetAllProfiles(applied);
    working = applied;
    working.CurrentProfile = 1;
    FakeRegistry reg;
    reg.keys[kMouseRegistryKey] = {{"DoubleClickSpeed", "900"}};
    RecordingWriter w;
    ApplySystemSettings(working, applied, true, reg, w);
    EXPECT_EQ(900, working.profiles[1].DbleClickSpeed);
    EXPECT_EQ(applied.profiles[0].DbleClickSpeed, working.profiles[0].DbleClickSpeed);
    ASSERT_FALSE(w.writes.empty());
    EXPECT_EQ("click 900", w.writes[0]);
}

}  // namespace
}  // namespace kestra
