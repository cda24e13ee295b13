#include "settings/system_mouse.h"

#include <climits>

namespace kestra {

int32_t LeadingDecimal(const char* text) {
    if (!text) return 0;
    while (*text == ' ' || *text == '\t') ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    int64_t value = 0;
    while (*text >= '0' && *text <= '9') {
        if (value <= static_cast<int64_t>(UINT32_MAX) + 1) value = value * 10 + (*text - '0');
        ++text;
    }
    if (negative) value = -value;
    // The system stores some values unsigned: "4294967295" is the -1 of page
    // scrolling.
    if (value > INT32_MAX && value <= static_cast<int64_t>(UINT32_MAX))
        return static_cast<int32_t>(static_cast<uint32_t>(value));
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

void ReadSystemSettings(PointerRegistry& registry, ProfileSettings& profile) {
    if (!registry.OpenKey(kMouseRegistryKey)) return;
    profile.DbleClickSpeed = registry.ReadNumber("DoubleClickSpeed");
    profile.Orientation = registry.ReadNumber("SwapMouseButtons");
    profile.MouseSpeed = registry.ReadNumber("MouseSensitivity");
    // Enhanced precision is on when Windows would accelerate at all.
    const int32_t speed = registry.ReadNumber("MouseSpeed");
    const int32_t threshold1 = registry.ReadNumber("MouseThreshold1");
    const int32_t threshold2 = registry.ReadNumber("MouseThreshold2");
    profile.AccelerationFlag = (speed != 0 || threshold1 != 0 || threshold2 != 0) ? 1 : 0;
    registry.CloseKey();

    if (!registry.OpenKey(kDesktopRegistryKey)) return;
    const int32_t lines = registry.ReadNumber("WheelScrollLines");
    registry.CloseKey();
    if (lines == kWheelPageScroll) {
        profile.ScrollWheelSpeed = 0;
        profile.ScrollWheelFlag = 1;
    } else {
        profile.ScrollWheelSpeed = lines;
        profile.ScrollWheelFlag = 0;
    }
}

namespace {

PointerWrite SpiWrite(uint32_t action, uint32_t uiParam) {
    PointerWrite w{};
    w.call = PointerWrite::kSystemParametersInfo;
    w.action = action;
    w.uiParam = uiParam;
    w.pvKind = PointerWrite::kPvNull;
    w.flags = kSpiUpdateAndBroadcast;
    return w;
}

}  // namespace

void WritePointerChanges(const ProfileSettings& active, const ProfileSettings& lastApplied,
                         PointerWriter& writer) {
    if (active.DbleClickSpeed != lastApplied.DbleClickSpeed) {
        PointerWrite direct{};
        direct.call = PointerWrite::kSetDoubleClickTime;
        direct.uiParam = static_cast<uint32_t>(active.DbleClickSpeed);
        direct.pvKind = PointerWrite::kPvNull;
        writer.Write(direct);
        writer.Write(
            SpiWrite(kSpiSetDoubleClickTime, static_cast<uint32_t>(active.DbleClickSpeed)));
    }
    if (active.MouseSpeed != lastApplied.MouseSpeed ||
        active.AccelerationFlag != lastApplied.AccelerationFlag) {
        PointerWrite precision = SpiWrite(kSpiSetMouse, 0);
        precision.pvKind = PointerWrite::kPvTriple;
        if (active.AccelerationFlag == 1) {
            // This order is what the programs have always written; keep it.
            precision.pvTriple[0] = 1;
            precision.pvTriple[1] = 6;
            precision.pvTriple[2] = 10;
        }
        writer.Write(precision);
        PointerWrite speed = SpiWrite(kSpiSetMouseSpeed, 0);
        speed.pvKind = PointerWrite::kPvInteger;
        speed.pvInteger = active.MouseSpeed;
        writer.Write(speed);
    }
    if (active.ScrollWheelSpeed != lastApplied.ScrollWheelSpeed ||
        active.ScrollWheelFlag != lastApplied.ScrollWheelFlag) {
        const int32_t lines =
            active.ScrollWheelFlag == 1 ? kWheelPageScroll : active.ScrollWheelSpeed;
        writer.Write(SpiWrite(kSpiSetWheelScrollLines, static_cast<uint32_t>(lines)));
    }
}

void ApplySystemSettings(SettingsStore& working, const SettingsStore& lastApplied, bool reload,
                         PointerRegistry& registry, PointerWriter& writer) {
    const int p = working.CurrentProfile;
    if (p < 0 || p >= kProfileCount) return;
    if (reload) ReadSystemSettings(registry, working.profiles[p]);
    WritePointerChanges(working.profiles[p], lastApplied.profiles[p], writer);
}

}  // namespace kestra
