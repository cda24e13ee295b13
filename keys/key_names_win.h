// The keyboard layout of the running system, for the key conversions of
// key_names.h; shared by Monitor (playback) and Option (editors).
#pragma once

#include <windows.h>

#include "keys/key_names.h"

namespace kestra {

// The current keyboard layout through MapVirtualKeyA.
class SystemKeyboardLayout : public KeyboardLayout {
public:
    uint32_t ScanCodeToVirtualKey(uint32_t scanCode) const override;
    uint32_t VirtualKeyToScanCode(uint32_t virtualKey) const override;
};

}  // namespace kestra
