#include "device/device_commands.h"

namespace kestra {

namespace {

uint8_t LowByte(int32_t value) {
    return static_cast<uint8_t>(static_cast<uint32_t>(value) & 0xFF);
}

uint8_t ProfileByte(int profileIndex) {
    return LowByte(profileIndex + 1);
}

// Consumer-page usages of functions 25..42, in function order.
const uint16_t kConsumerUsages[] = {0x0183, 0x00B6, 0x00B5, 0x00CD, 0x00B7, 0x00E2,
                                    0x00E9, 0x00EA, 0x0192, 0x018A, 0x022A, 0x0225,
                                    0x0224, 0x0226, 0x0194, 0x0227, 0x0223, 0x0221};

struct Shortcut {
    uint8_t function;
    uint8_t keyCount;
    uint8_t keys[3];
};

// Keyboard-page usages: 0xE0 left control, 0xE1 left shift, 0xE2 left alt,
// 0xE3 left GUI.
const Shortcut kShortcuts[] = {
    {51, 2, {0xE0, 0x06}},       {52, 2, {0xE0, 0x1B}}, {53, 2, {0xE0, 0x11}},
    {54, 2, {0xE0, 0x12}},       {55, 2, {0xE0, 0x19}}, {56, 2, {0xE0, 0x13}},
    {57, 2, {0xE0, 0x1C}},       {58, 2, {0xE0, 0x16}}, {59, 3, {0xE0, 0xE1, 0x16}},
    {60, 2, {0xE0, 0x04}},       {61, 2, {0xE0, 0x1D}}, {64, 2, {0xE2, 0x3D}},
    {65, 2, {0xE0, 0x09}},       {66, 2, {0xE0, 0x08}}, {67, 3, {0xE2, 0x2C, 0x1B}},
    {68, 3, {0xE2, 0x2C, 0x11}}, {69, 2, {0xE3, 0x07}}, {70, 2, {0xE3, 0x15}},
    {84, 2, {0xE2, 0x2B}},       {85, 2, {0xE3, 0x0F}},
};

const Shortcut* FindShortcut(uint8_t function) {
    for (const Shortcut& s : kShortcuts) {
        if (s.function == function) return &s;
    }
    return nullptr;
}

void SetLightEffect(const ProfileSettings& p, DeviceBlock& b) {
    const int32_t s = p.BreathSpeed;
    switch (p.LightSwitch) {
        case 1:
            b[71] = 1;
            b[72] = 0x0F;
            b[73] = 0;
            break;
        case 4:
            b[71] = 4;
            b[72] = s == 1 ? 10 : s == 2 ? 8 : 4;
            switch (p.Direction) {
                case 0:
                    b[73] = 0x30;
                    break;
                case 1:
                    b[73] = 0x20;
                    break;
                case 2:
                    b[73] = 0x00;
                    break;
                default:
                    b[73] = 0x10;
                    break;
            }
            break;
        case 5:
            b[71] = 5;
            b[72] = s == 1 ? 6 : s == 2 ? 4 : 2;
            b[73] = 10;
            break;
        case 6:
            b[71] = 2;
            b[72] = s == 1 ? 30 : s == 2 ? 11 : 5;
            b[73] = 10;
            break;
        default:
            break;
    }
}

}  // namespace

uint8_t CheckByte(const uint8_t* firstSeven) {
    unsigned sum = 0;
    for (int i = 0; i < 7; ++i) sum += firstSeven[i];
    return static_cast<uint8_t>((0xFFu - sum) & 0xFF);
}

FeatureReport MakeFeatureReport(uint8_t command, uint8_t param1, uint8_t param2) {
    FeatureReport r{};
    r[0] = command;
    r[1] = param1;
    r[2] = param2;
    r[7] = CheckByte(r.data());
    return r;
}

FeatureReport OpenApplyReport() {
    return MakeFeatureReport(kCmdOpenApply, 0x88, 0x02);
}

FeatureReport SelectProfileReport(int32_t currentProfile) {
    return MakeFeatureReport(kCmdSelectProfile, LowByte(currentProfile + 1), 0);
}

FeatureReport PollingRateReport(const ProfileSettings& profile, int index) {
    return MakeFeatureReport(kCmdPollingRate, ProfileByte(index),
                             ReportInterval(profile.PollingRate));
}

FeatureReport CpiLevelReport(const ProfileSettings& profile, int index) {
    return MakeFeatureReport(kCmdCpiLevel, ProfileByte(index), LowByte(profile.CpiStep + 1));
}

uint8_t ReportInterval(int32_t pollingRate) {
    switch (pollingRate) {
        case 0:
            return 8;
        case 1:
            return 4;
        case 3:
            return 1;
        default:
            return 2;
    }
}

CpiRegister EncodeCpiLevel(int32_t level) {
    // Unsigned arithmetic: malformed levels wrap instead of overflowing.
    const uint32_t c = static_cast<uint32_t>(level);
    if (level > 72) return {static_cast<uint8_t>((c - 1) & 0xFF), 1};
    return {static_cast<uint8_t>((2 * c - 1) & 0xFF), 0};
}

uint8_t ScaleLevelColour(uint8_t channel, const ProfileSettings& profile) {
    const int fifth = channel / 5;
    if (profile.LightSwitch != 1 || profile.LightIntensity == 3) return static_cast<uint8_t>(fifth);
    if (profile.LightIntensity == 2) return static_cast<uint8_t>(fifth * 5 / 8);
    return static_cast<uint8_t>(fifth / 6);
}

DeviceBlock BuildConfigBlock(const ProfileSettings& p) {
    DeviceBlock b{};
    b[0] = 0xFF;
    b[1] = 0xFF;
    b[48] = 0x35;
    b[49] = 0xD4;
    b[50] = 0x0B;
    b[51] = 0x04;
    b[61] = 0x80;
    b[62] = 0x03;
    b[64] = 0x0F;
    b[66] = 0x0A;
    b[67] = 0x0A;
    b[68] = 0x19;
    b[69] = 0x19;
    b[70] = 0x05;
    SetLightEffect(p, b);
    b[74] = static_cast<uint8_t>((static_cast<uint32_t>(p.Sensitivity_X) * 10u) & 0xFF);
    b[75] = static_cast<uint8_t>((static_cast<uint32_t>(p.Sensitivity_Y) * 10u) & 0xFF);
    const uint8_t fixed76[] = {0x01, 0xC0, 0xF0, 0x03, 0x01, 0x01, 0x64};
    for (int i = 0; i < 7; ++i) b[76 + i] = fixed76[i];
    for (int i = 0; i < kCpiLevelCount; ++i) {
        const CpiRegister r = EncodeCpiLevel(p.CpiLevel_X[i]);
        b[84 + i] = r.value;
        b[92 + i] = r.rangeFlag;
    }
    b[100] = 0x7F;
    b[101] = 0xFF;
    b[102] = 0xFF;
    b[103] = 0xFF;
    for (int i = 0; i < kCpiLevelCount; ++i) {
        const uint32_t colour = static_cast<uint32_t>(p.DPIColor[i]);
        b[104 + 3 * i] = ScaleLevelColour(colour & 0xFF, p);
        b[105 + 3 * i] = ScaleLevelColour((colour >> 8) & 0xFF, p);
        b[106 + 3 * i] = ScaleLevelColour((colour >> 16) & 0xFF, p);
    }
    b[119] = 0xFF;
    b[120] = 0xFF;
    b[121] = 0x00;
    for (int i = 122; i < kBlockSize; ++i) b[i] = 0xFF;
    return b;
}

uint8_t MacroSlot(int profile, int button) {
    return LowByte(profile * kButtonCount + button + 1);
}

ButtonCode BaseButtonCode(uint8_t f) {
    switch (f) {
        case 1:
            return {1, 0, 0xF0, 0};
        case 2:
            return {1, 0, 0xF1, 0};
        case 3:
            return {1, 0, 0xF2, 0};
        case 8:
            return {1, 0, 0xF3, 0};
        case 7:
            return {1, 0, 0xF4, 0};
        case 4:
            return {10, 0xF0, 50, 2};
        case 80:
            return {10, 0xF0, 50, 3};
        case 21:
            return {10, 0xF0, 16, 0};
        case 22:
            return {10, 1, 0, 0};
        case 9:
            return {4, 0, 1, 0};
        case 10:
            return {4, 0, 2, 0};
        case 11:
            return {4, 0, 4, 0};
        case 12:
            return {4, 0, 3, 0};
        case 13:
            return {7, 0, 3, 0};
        case 14:
            return {7, 0, 1, 0};
        case 15:
            return {7, 0, 2, 0};
        case 81:
            return {5, 0, 1, 0};
        case 82:
            return {5, 0, 2, 0};
        case 83:
            return {5, 0, 3, 0};
        case 18:
            return {8, 0, 3, 0};
        case 19:
            return {8, 0, 1, 0};
        case 20:
            return {8, 0, 2, 0};
        case 17:
            return {6, 0, 10, 0};
        case 24:
            return {6, 0, 160, 0};
        case 23:
            return {0, 8, 0, 0};
        case 86:
            return {11, 8, 0, 0};
        case 16:
            return {kKindMacro, 0, 0, 0};
        default:
            break;
    }
    if (f >= 25 && f <= 42) {
        const uint16_t usage = kConsumerUsages[f - 25];
        return {3, 0, static_cast<uint8_t>(usage & 0xFF), static_cast<uint8_t>(usage >> 8)};
    }
    // Two-key shortcuts play four events, three-key ones six.
    if (const Shortcut* s = FindShortcut(f)) {
        return {kKindMacro, 0, 0, static_cast<uint8_t>(2 * s->keyCount)};
    }
    return {0, 0, 0, 0};
}

ButtonCode EncodeButton(const ProfileSettings& profile, int profileIndex, int button,
                        bool* needsMacro) {
    const ButtonAssignment& a = profile.buttons[button];
    ButtonCode code = BaseButtonCode(a.function);
    if (a.function == kFunctionKeyCombination) {
        code.b1 = static_cast<uint8_t>(a.steps[0].action >> 1);
        code.b2 = a.steps[0].key;
    }
    if (a.function == kFunctionOnTheGo) {
        code.b2 = LowByte(profile.OTGSpeed);
        code.b3 = code.b2;
    }
    if (a.function == kFunctionMacro) code.b1 = LowByte(a.playOption);
    if (a.function == kFunctionLaunchProgram) code.b3 = LowByte(button + 1);
    const bool macro = code.kind == kKindMacro;
    if (macro) code.b2 = MacroSlot(profileIndex, button);
    if (needsMacro) *needsMacro = macro;
    return code;
}

int EncodeRecordedMacro(const ButtonAssignment& a, DeviceBlock& out) {
    out.fill(0);
    const uint32_t repeat = static_cast<uint32_t>(a.repeatCount);
    out[0] = static_cast<uint8_t>((repeat >> 8) & 0xFF);
    out[1] = static_cast<uint8_t>(repeat & 0xFF);
    const int count = a.stepCount < kMacroStepSlots ? a.stepCount : kMacroStepSlots;
    int pos = 2;
    int encoded = 0;
    for (; encoded < count; ++encoded) {
        const MacroStep& step = a.steps[encoded];
        const bool press = step.action == 1;
        const int ticks = step.delay / 10;
        if (ticks <= 127) {
            if (pos + 2 > kBlockSize) break;
            out[pos++] = static_cast<uint8_t>((ticks | 1) + (press ? 0 : 0x80));
            out[pos++] = step.key;
        } else {
            if (pos + 4 > kBlockSize) break;
            out[pos++] = press ? 0x01 : 0x81;
            out[pos++] = step.key;
            out[pos++] = static_cast<uint8_t>((step.delay / 50) & 0xFF);
            out[pos++] = 0x02;
        }
    }
    return encoded;
}

bool EncodeShortcutMacro(uint8_t function, DeviceBlock& out) {
    out.fill(0);
    const Shortcut* s = FindShortcut(function);
    if (!s) return false;
    out[1] = 1;
    int pos = 2;
    for (int i = 0; i < s->keyCount; ++i) {
        out[pos++] = 0x01;
        out[pos++] = s->keys[i];
    }
    for (int i = s->keyCount - 1; i >= 0; --i) {
        out[pos++] = 0x81;
        out[pos++] = s->keys[i];
    }
    return true;
}

DeviceBlock BuildDeviceMacro(const ButtonAssignment& assignment) {
    DeviceBlock block{};
    if (assignment.function == kFunctionMacro) {
        EncodeRecordedMacro(assignment, block);
    } else {
        EncodeShortcutMacro(assignment.function, block);
    }
    return block;
}

}  // namespace kestra
