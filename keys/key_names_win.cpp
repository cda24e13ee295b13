#include "keys/key_names_win.h"

namespace kestra {

uint32_t SystemKeyboardLayout::ScanCodeToVirtualKey(uint32_t scanCode) const {
    return MapVirtualKeyA(scanCode, MAPVK_VSC_TO_VK_EX);
}

uint32_t SystemKeyboardLayout::VirtualKeyToScanCode(uint32_t virtualKey) const {
    return MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
}

}  // namespace kestra
