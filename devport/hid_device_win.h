// The system's HID stack behind HidBackend: SetupAPI lists the interfaces,
// hid.dll reads their capabilities, and every report goes through an
// overlapped call with a time limit.
#pragma once

#include <windows.h>

#include "devport/hid_backend.h"

namespace kestra {
namespace devport {

// A report the mouse neither takes nor answers within this is given up.
constexpr DWORD kReportTimeoutMs = 1000;

class WindowsHidBackend : public HidBackend {
public:
    std::vector<HidCollection> Enumerate() override;
    std::unique_ptr<HidFile> Open(const std::string& path) override;
};

}  // namespace devport
}  // namespace kestra
