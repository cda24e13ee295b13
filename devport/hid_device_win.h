// Finding and talking to the mouse's vendor collection through SetupAPI and
// hid.dll.
#pragma once

#include <windows.h>

#include <string>

namespace kestra {
namespace devport {

// The vendor-defined collection carries the command and event reports.
constexpr USHORT kVendorUsagePage = 0xFF00;

struct HidReportLengths {
    USHORT input = 0;
    USHORT output = 0;
    USHORT feature = 0;
};

// Device interface path of the mouse's vendor collection; empty when absent.
std::string FindDevicePath(USHORT vid, USHORT pid, HidReportLengths* lengths);
HANDLE OpenDevicePath(const std::string& path, bool overlapped);

}  // namespace devport
}  // namespace kestra
