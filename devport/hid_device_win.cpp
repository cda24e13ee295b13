#include "devport/hid_device_win.h"

// hid.dll's headers declare no C linkage of their own.
extern "C" {
#include <hidsdi.h>
}
#include <setupapi.h>

#include <vector>

namespace kestra {
namespace devport {

namespace {

bool MatchesMouse(HANDLE handle, USHORT vid, USHORT pid, HidReportLengths* lengths) {
    HIDD_ATTRIBUTES attributes = {};
    attributes.Size = sizeof attributes;
    if (!HidD_GetAttributes(handle, &attributes)) return false;
    if (attributes.VendorID != vid || attributes.ProductID != pid) return false;
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!HidD_GetPreparsedData(handle, &preparsed)) return false;
    HIDP_CAPS caps = {};
    const bool ok = HidP_GetCaps(preparsed, &caps) == HIDP_STATUS_SUCCESS;
    HidD_FreePreparsedData(preparsed);
    if (!ok || caps.UsagePage != kVendorUsagePage) return false;
    if (lengths) {
        lengths->input = caps.InputReportByteLength;
        lengths->output = caps.OutputReportByteLength;
        lengths->feature = caps.FeatureReportByteLength;
    }
    return true;
}

}  // namespace

std::string FindDevicePath(USHORT vid, USHORT pid, HidReportLengths* lengths) {
    GUID hidGuid;
    HidD_GetHidGuid(&hidGuid);
    HDEVINFO set =
        SetupDiGetClassDevsA(&hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return std::string();
    std::string found;
    SP_DEVICE_INTERFACE_DATA item = {};
    item.cbSize = sizeof item;
    for (DWORD i = 0;
         found.empty() && SetupDiEnumDeviceInterfaces(set, nullptr, &hidGuid, i, &item); ++i) {
        DWORD size = 0;
        SetupDiGetDeviceInterfaceDetailA(set, &item, nullptr, 0, &size, nullptr);
        if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) continue;
        std::vector<char> storage(size);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        if (!SetupDiGetDeviceInterfaceDetailA(set, &item, detail, size, nullptr, nullptr)) continue;
        // Access 0 is enough for attributes and capabilities, and works on
        // collections that the system holds open.
        HANDLE probe = CreateFileA(detail->DevicePath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
        if (probe == INVALID_HANDLE_VALUE) continue;
        if (MatchesMouse(probe, vid, pid, lengths)) found = detail->DevicePath;
        CloseHandle(probe);
    }
    SetupDiDestroyDeviceInfoList(set);
    return found;
}

HANDLE OpenDevicePath(const std::string& path, bool overlapped) {
    if (path.empty()) return INVALID_HANDLE_VALUE;
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       overlapped ? FILE_FLAG_OVERLAPPED : 0, nullptr);
}

}  // namespace devport
}  // namespace kestra
