// Encodings of the mouse's command language: 8-byte feature reports and the
// 128-byte blocks that follow some of them. Pure functions of the settings.
#pragma once

#include <array>
#include <cstdint>

#include "settings/settings_record.h"

namespace kestra {

constexpr int kBlockSize = 128;

using FeatureReport = std::array<uint8_t, 8>;
using DeviceBlock = std::array<uint8_t, kBlockSize>;

enum DeviceCommand : uint8_t {
    kCmdOpenApply = 0x01,
    kCmdSelectProfile = 0x02,
    kCmdPollingRate = 0x03,
    kCmdCpiLevel = 0x04,
    kCmdConfigBlock = 0x0C,
    kCmdButtonTable = 0x0D,
    kCmdMacro = 0x0F,
    kCmdFirmwareVersion = 0x80,
};

constexpr uint8_t kBlockFollows = 0x80;
constexpr uint8_t kFunctionKeyCombination = 5;
constexpr uint8_t kFunctionMacro = 16;
constexpr uint8_t kFunctionLaunchProgram = 17;
constexpr uint8_t kFunctionOnTheGo = 22;
constexpr uint8_t kKindMacro = 9;

// Makes all eight bytes add up to 0xFF.
uint8_t CheckByte(const uint8_t* firstSeven);
FeatureReport MakeFeatureReport(uint8_t command, uint8_t param1 = 0, uint8_t param2 = 0);

FeatureReport OpenApplyReport();
FeatureReport SelectProfileReport(int32_t currentProfile);
FeatureReport PollingRateReport(const ProfileSettings& profile, int index);
FeatureReport CpiLevelReport(const ProfileSettings& profile, int index);

// Report interval in ms for a `PollingRate` value.
uint8_t ReportInterval(int32_t pollingRate);

struct CpiRegister {
    uint8_t value;
    uint8_t rangeFlag;
};
CpiRegister EncodeCpiLevel(int32_t level);

// One colour channel of a CPI level, scaled by the light mode and intensity.
uint8_t ScaleLevelColour(uint8_t channel, const ProfileSettings& profile);

DeviceBlock BuildConfigBlock(const ProfileSettings& profile);

struct ButtonCode {
    uint8_t kind;
    uint8_t b1;
    uint8_t b2;
    uint8_t b3;
};

// Slot of a button's macro on the mouse: 1..80.
uint8_t MacroSlot(int profile, int button);
// The table entry of a function before the per-button patches.
ButtonCode BaseButtonCode(uint8_t function);
// The patched entry of one button; `needsMacro` tells whether the button
// also needs a DeviceMacro.
ButtonCode EncodeButton(const ProfileSettings& profile, int profileIndex, int button,
                        bool* needsMacro);

// A recorded macro (function 16). Steps that do not fit are dropped from the
// first one that does not fit whole; returns the number of steps encoded.
int EncodeRecordedMacro(const ButtonAssignment& assignment, DeviceBlock& out);
// A key-shortcut function; false when `function` is not one of them.
bool EncodeShortcutMacro(uint8_t function, DeviceBlock& out);
// The DeviceMacro of a button whose table entry has kind 9.
DeviceBlock BuildDeviceMacro(const ButtonAssignment& assignment);

}  // namespace kestra
