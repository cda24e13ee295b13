// The six profile fields that are settings of the system pointer: how they
// are read from the registry values and which system writes bring the system
// in line with the active profile. The decisions are portable; the registry
// and the system calls sit behind two small interfaces (system_mouse_win.cpp).
#pragma once

#include <cstdint>

#include "settings/settings_record.h"

namespace kestra {

constexpr char kMouseRegistryKey[] = "Control Panel\\Mouse";
constexpr char kDesktopRegistryKey[] = "Control Panel\\Desktop";

// SystemParametersInfoA actions and the flags of every write: store in the
// user profile and broadcast the change.
constexpr uint32_t kSpiSetMouse = 0x04;
constexpr uint32_t kSpiSetDoubleClickTime = 0x20;
constexpr uint32_t kSpiSetWheelScrollLines = 0x69;
constexpr uint32_t kSpiSetMouseSpeed = 0x71;
constexpr uint32_t kSpiUpdateAndBroadcast = 3;

// The wheel-lines value that means "scroll a page".
constexpr int32_t kWheelPageScroll = -1;

// The leading decimal number of a registry text: blanks, an optional sign and
// digits; anything else gives 0. Unsigned 32-bit texts above INT32_MAX read
// as their two's complement; values beyond 32 bits are cut to int32's limits.
int32_t LeadingDecimal(const char* text);

// Access to the current user's registry as the reading needs it.
class PointerRegistry {
public:
    virtual ~PointerRegistry() = default;
    // Opens the key with full access, creating it when missing. One key is
    // open at a time.
    virtual bool OpenKey(const char* path) = 0;
    // The leading decimal number of a text value of the open key; 0 when the
    // value is missing, not text, or does not fit 80 bytes.
    virtual int32_t ReadNumber(const char* value) = 0;
    virtual void CloseKey() = 0;
};

// Fills DbleClickSpeed, Orientation, MouseSpeed, AccelerationFlag,
// ScrollWheelSpeed and ScrollWheelFlag. A key that cannot be opened leaves its
// fields (and, for the mouse key, all six) as they were.
void ReadSystemSettings(PointerRegistry& registry, ProfileSettings& profile);

// One call to the system: SetDoubleClickTime(uiParam) or
// SystemParametersInfoA(action, uiParam, pv, flags), where pv is null, the
// integer pvInteger passed as the pointer value, or the array pvTriple.
struct PointerWrite {
    enum Call { kSetDoubleClickTime, kSystemParametersInfo };
    enum Pv { kPvNull, kPvInteger, kPvTriple };
    Call call;
    uint32_t action;
    uint32_t uiParam;
    Pv pvKind;
    int32_t pvInteger;
    int32_t pvTriple[3];
    uint32_t flags;
};

class PointerWriter {
public:
    virtual ~PointerWriter() = default;
    // Failures are not reported: the following writes run regardless.
    virtual void Write(const PointerWrite& write) = 0;
};

// Writes what differs between the active profile and the same slot of the
// last-applied copy: double-click time; then precision and speed together when
// either changed; then the wheel.
void WritePointerChanges(const ProfileSettings& active, const ProfileSettings& lastApplied,
                         PointerWriter& writer);

// Monitor's "apply system settings": with reload, first reads the system into
// the active profile of `working`. A CurrentProfile outside 0..4 does nothing.
void ApplySystemSettings(SettingsStore& working, const SettingsStore& lastApplied, bool reload,
                         PointerRegistry& registry, PointerWriter& writer);

}  // namespace kestra
