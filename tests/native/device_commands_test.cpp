#include "device/device_commands.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/native/device_fakes.h"
#include "tests/native/test_support.h"

namespace kestra {
namespace {

using kestra_test::Hex;
using kestra_test::MacroButton;

std::string HexOf(const FeatureReport& r) {
    return Hex(r.data(), r.size());
}

ProfileSettings DefaultProfile(int index = 0) {
    ProfileSettings p;
    MakeDefaultProfile(p, index);
    return p;
}

TEST(DeviceCommands, FeatureReportsCarryTheirCheckByte) {
    EXPECT_EQ("01 88 02 00 00 00 00 74", HexOf(OpenApplyReport()));
    ProfileSettings p = DefaultProfile();
    p.PollingRate = 3;
    EXPECT_EQ("03 01 01 00 00 00 00 FA", HexOf(PollingRateReport(p, 0)));
    EXPECT_EQ("80 00 00 00 00 00 00 7F", HexOf(MakeFeatureReport(kCmdFirmwareVersion)));
    // Sums past 0xFF wrap.
    EXPECT_EQ("F0 F0 00 00 00 00 00 1F", HexOf(MakeFeatureReport(0xF0, 0xF0)));
    p.CpiStep = 4;
    EXPECT_EQ("04 05 05 00 00 00 00 F1", HexOf(CpiLevelReport(p, 4)));
    EXPECT_EQ("02 05 00 00 00 00 00 F8", HexOf(SelectProfileReport(4)));
    // A store loaded before any profile exists still gives a valid report.
    EXPECT_EQ("02 00 00 00 00 00 00 FD", HexOf(SelectProfileReport(-1)));
}

TEST(DeviceCommands, ReportIntervals) {
    const int32_t rates[][2] = {{0, 8}, {1, 4}, {2, 2}, {3, 1}, {7, 2}, {-1, 2}};
    for (const auto& r : rates) EXPECT_EQ(r[1], ReportInterval(r[0])) << r[0];
}

TEST(DeviceCommands, CpiRegistersAndRangeFlags) {
    struct Case {
        int32_t level;
        uint8_t value;
        uint8_t flag;
    } cases[] = {{10, 19, 0},   {72, 143, 0}, {73, 72, 1},  {0, 0xFF, 0},
                 {200, 199, 1}, {300, 43, 1}, {-5, 0xF5, 0}};
    for (const Case& c : cases) {
        const CpiRegister r = EncodeCpiLevel(c.level);
        EXPECT_EQ(c.value, r.value) << c.level;
        EXPECT_EQ(c.flag, r.rangeFlag) << c.level;
    }
}

TEST(DeviceCommands, DefaultProfileConfigBlockByteForByte) {
    DeviceBlock expected{};
    auto put = [&](int at, std::initializer_list<int> bytes) {
        for (int b : bytes) expected[at++] = static_cast<uint8_t>(b);
    };
    put(0, {0xFF, 0xFF});
    put(48, {0x35, 0xD4, 0x0B, 0x04});
    put(61, {0x80, 0x03});
    put(64, {0x0F, 0x00, 0x0A, 0x0A, 0x19, 0x19, 0x05});
    put(71, {4, 8, 0x00});  // light mode 4, breath speed 2, direction 2
    put(74, {100, 100});    // sensitivity 10 on both axes
    put(76, {0x01, 0xC0, 0xF0, 0x03, 0x01, 0x01, 0x64});
    put(84, {19, 31, 47, 79, 143});
    put(92, {0, 0, 0, 0, 0});
    put(100, {0x7F, 0xFF, 0xFF, 0xFF});
    put(104, {51, 0, 0, 0, 51, 0, 0, 0, 51, 51, 0, 51, 0, 51, 51});
    put(119, {0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    const DeviceBlock block = BuildConfigBlock(DefaultProfile());
    EXPECT_EQ(Hex(expected.data(), 128), Hex(block.data(), 128));
}

TEST(DeviceCommands, LightEffectBytes) {
    struct Case {
        int32_t lightSwitch, speed, direction;
        uint8_t mode, speedByte, parameter;
    } cases[] = {
        {1, 1, 0, 1, 0x0F, 0}, {4, 1, 0, 4, 10, 0x30}, {4, 2, 1, 4, 8, 0x20}, {4, 3, 2, 4, 4, 0x00},
        {4, 0, 9, 4, 4, 0x10}, {5, 1, 0, 5, 6, 10},    {5, 2, 0, 5, 4, 10},   {5, 7, 0, 5, 2, 10},
        {6, 1, 0, 2, 30, 10},  {6, 2, 0, 2, 11, 10},   {6, -1, 0, 2, 5, 10},  {0, 1, 0, 0, 0, 0},
        {2, 1, 0, 0, 0, 0},    {3, 1, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        ProfileSettings p = DefaultProfile();
        p.LightSwitch = c.lightSwitch;
        p.BreathSpeed = c.speed;
        p.Direction = c.direction;
        const DeviceBlock b = BuildConfigBlock(p);
        EXPECT_EQ(c.mode, b[71]) << c.lightSwitch << "/" << c.speed;
        EXPECT_EQ(c.speedByte, b[72]) << c.lightSwitch << "/" << c.speed;
        EXPECT_EQ(c.parameter, b[73]) << c.lightSwitch << "/" << c.direction;
    }
}

TEST(DeviceCommands, LevelColoursFollowLightModeAndIntensity) {
    ProfileSettings p = DefaultProfile();
    p.DPIColor[0] = 0x0000FF;
    p.DPIColor[4] = 0x0A6480;  // red 128, green 100, blue 10
    struct Case {
        int32_t lightSwitch, intensity;
        uint8_t red, red4, green4, blue4;
    } cases[] = {
        {4, 1, 51, 25, 20, 2},  // not mode 1: full, whatever the intensity
        {1, 3, 51, 25, 20, 2}, {1, 2, 31, 15, 12, 1}, {1, 1, 8, 4, 3, 0}, {1, 0, 8, 4, 3, 0},
    };
    for (const Case& c : cases) {
        p.LightSwitch = c.lightSwitch;
        p.LightIntensity = c.intensity;
        const DeviceBlock b = BuildConfigBlock(p);
        EXPECT_EQ(c.red, b[104]) << c.lightSwitch << "/" << c.intensity;
        EXPECT_EQ(0, b[105]);
        EXPECT_EQ(0, b[106]);
        EXPECT_EQ(c.red4, b[116]) << c.lightSwitch << "/" << c.intensity;
        EXPECT_EQ(c.green4, b[117]) << c.lightSwitch << "/" << c.intensity;
        EXPECT_EQ(c.blue4, b[118]) << c.lightSwitch << "/" << c.intensity;
    }
}

TEST(DeviceCommands, SensitivityAndCpiFromMalformedValuesStayInTheirBytes) {
    ProfileSettings p = DefaultProfile();
    p.Sensitivity_X = 30;  // 300 keeps its low byte
    p.Sensitivity_Y = -1;
    p.CpiLevel_X[2] = 73;
    p.CpiLevel_Y[2] = 5;  // Y levels are not sent
    const DeviceBlock b = BuildConfigBlock(p);
    EXPECT_EQ(44, b[74]);
    EXPECT_EQ(0xF6, b[75]);
    EXPECT_EQ(72, b[86]);
    EXPECT_EQ(1, b[94]);
    EXPECT_EQ(0x01, b[76]);
}

std::string CodeOf(const ProfileSettings& p, int profile, int button, bool* macro = nullptr) {
    bool needsMacro = false;
    const ButtonCode c = EncodeButton(p, profile, button, &needsMacro);
    if (macro) *macro = needsMacro;
    const uint8_t bytes[] = {c.kind, c.b1, c.b2, c.b3};
    return Hex(bytes, 4);
}

TEST(DeviceCommands, ButtonCodesFromTheFunctionTable) {
    struct Case {
        uint8_t function;
        const char* code;
    } cases[] = {
        {1, "01 00 F0 00"},  {2, "01 00 F1 00"},  {3, "01 00 F2 00"},  {8, "01 00 F3 00"},
        {7, "01 00 F4 00"},  {4, "0A F0 32 02"},  {80, "0A F0 32 03"}, {21, "0A F0 10 00"},
        {6, "00 00 00 00"},  {9, "04 00 01 00"},  {10, "04 00 02 00"}, {11, "04 00 04 00"},
        {12, "04 00 03 00"}, {13, "07 00 03 00"}, {14, "07 00 01 00"}, {15, "07 00 02 00"},
        {81, "05 00 01 00"}, {82, "05 00 02 00"}, {83, "05 00 03 00"}, {18, "08 00 03 00"},
        {19, "08 00 01 00"}, {20, "08 00 02 00"}, {24, "06 00 A0 00"}, {23, "00 08 00 00"},
        {86, "0B 08 00 00"}, {25, "03 00 83 01"}, {30, "03 00 E2 00"}, {42, "03 00 21 02"},
        {0, "00 00 00 00"},  {43, "00 00 00 00"}, {62, "00 00 00 00"}, {255, "00 00 00 00"},
    };
    ProfileSettings p = DefaultProfile();
    for (const Case& c : cases) {
        p.buttons[2].function = c.function;
        bool macro = true;
        EXPECT_EQ(c.code, CodeOf(p, 0, 2, &macro)) << int(c.function);
        EXPECT_FALSE(macro) << int(c.function);
    }
}

TEST(DeviceCommands, ButtonPatches) {
    ProfileSettings p = DefaultProfile(1);
    ButtonAssignment& b = p.buttons[3];

    b.function = kFunctionMacro;
    b.playOption = 0x102;
    bool macro = false;
    EXPECT_EQ("09 02 14 00", CodeOf(p, 1, 3, &macro));
    EXPECT_TRUE(macro);

    b.function = kFunctionKeyCombination;
    b.steps[0] = {0x06, 0x0C, 0};  // Ctrl and Alt with key 6
    b.steps[1] = {0x07, 0xFF, 0};  // only step 0 counts
    EXPECT_EQ("00 06 06 00", CodeOf(p, 1, 3, &macro));
    EXPECT_FALSE(macro);

    b.function = kFunctionOnTheGo;
    p.OTGSpeed = 0x1234;
    EXPECT_EQ("0A 01 34 34", CodeOf(p, 1, 3));

    b.function = kFunctionLaunchProgram;
    EXPECT_EQ("06 00 0A 04", CodeOf(p, 1, 3));

    // Shortcut functions become macros in the button's slot.
    b.function = 59;
    EXPECT_EQ("09 00 14 06", CodeOf(p, 1, 3, &macro));
    EXPECT_TRUE(macro);
    p.buttons[15].function = 51;
    EXPECT_EQ("09 00 50 04", CodeOf(p, 4, 15));
    p.buttons[0].function = 85;
    EXPECT_EQ("09 00 01 04", CodeOf(p, 0, 0));
}

TEST(DeviceCommands, RecordedMacroStepEncodings) {
    const ButtonAssignment a = MacroButton({{0x04, 1, 5},
                                            {0x04, 2, 20},
                                            {0x05, 1, 1500},
                                            {0x05, 0, 1279},  // any action but 1 releases
                                            {0x06, 1, 1280},
                                            {0x06, 2, 1280},
                                            {0xF0, 1, 65535}});
    DeviceBlock out;
    EXPECT_EQ(7, EncodeRecordedMacro(a, out));
    EXPECT_EQ("00 01 01 04 83 04 01 05 1E 02 FF 05 01 06 19 02 81 06 19 02 01 F0 1E 02 00",
              Hex(out.data(), 25));
    for (int i = 24; i < kBlockSize; ++i) EXPECT_EQ(0, out[i]) << i;

    EXPECT_EQ(0, EncodeRecordedMacro(MacroButton({}, 300), out));
    EXPECT_EQ("01 2C 00", Hex(out.data(), 3));
}

TEST(DeviceCommands, RecordedMacroThatDoesNotFitIsCutAfterAWholeStep) {
    // 31 long steps fill bytes 2..125; a 32nd long step would need 130 bytes.
    ButtonAssignment a = MacroButton({});
    for (int i = 0; i < 31; ++i) a.steps[i] = {static_cast<uint8_t>(i + 1), 1, 2000};
    a.steps[31] = {0x40, 1, 2000};
    a.steps[32] = {0x41, 1, 0};  // would fit, but comes after the cut
    a.stepCount = 33;
    DeviceBlock out;
    EXPECT_EQ(31, EncodeRecordedMacro(a, out));
    EXPECT_EQ("01 1F 28 02", Hex(out.data() + 122, 4));
    EXPECT_EQ(0, out[126]);
    EXPECT_EQ(0, out[127]);

    // A short step still fits into the last two bytes.
    a.steps[31] = {0x40, 2, 0};
    EXPECT_EQ(32, EncodeRecordedMacro(a, out));
    EXPECT_EQ(0x81, out[126]);
    EXPECT_EQ(0x40, out[127]);

    // A step count beyond the 40 slots reads no further than the slots.
    ButtonAssignment shortSteps = MacroButton({});
    for (int i = 0; i < kMacroStepSlots; ++i) shortSteps.steps[i] = {0x10, 1, 0};
    shortSteps.stepCount = 500;
    EXPECT_EQ(kMacroStepSlots, EncodeRecordedMacro(shortSteps, out));
    EXPECT_EQ(0, out[2 + 2 * kMacroStepSlots]);
}

TEST(DeviceCommands, ShortcutMacrosPressInOrderAndReleaseInReverse) {
    DeviceBlock out;
    ASSERT_TRUE(EncodeShortcutMacro(51, out));
    EXPECT_EQ("00 01 01 E0 01 06 81 06 81 E0 00", Hex(out.data(), 11));
    ASSERT_TRUE(EncodeShortcutMacro(67, out));
    EXPECT_EQ("00 01 01 E2 01 2C 01 1B 81 1B 81 2C 81 E2 00", Hex(out.data(), 15));
    EXPECT_FALSE(EncodeShortcutMacro(62, out));
    EXPECT_EQ(DeviceBlock{}, out);

    ButtonAssignment a = MacroButton({{0x04, 1, 5}});
    a.function = 85;  // the recorded steps belong to function 16 only
    EXPECT_EQ("00 01 01 E3 01 0F 81 0F 81 E3", Hex(BuildDeviceMacro(a).data(), 10));
    a.function = 1;
    EXPECT_EQ(DeviceBlock{}, BuildDeviceMacro(a));
}

}  // namespace
}  // namespace kestra
