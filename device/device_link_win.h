// DeviceLink: Monitor's binding of devport.dll. It forwards calls and adds no
// logic; a missing library or function makes the mouse count as absent.
#pragma once

#include <windows.h>

#include <string>

#include "device/report_link.h"
#include "settings/ipc_names.h"

namespace kestra {

constexpr int kMouseVendorId = 0x12C9;
constexpr int kMouseProductId = 0x1017;

class DeviceLink : public ReportLink {
public:
    DeviceLink() = default;
    ~DeviceLink() override;
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // Loads programFolder + "devport.dll"; true when every function is there.
    bool Load(const std::string& programFolder);
    bool IsBound() const { return bound_; }
    // Selects the mouse, starts the messages to `window` and opens both
    // channels; non-zero when the mouse is present and open.
    int Open(HWND window);
    // Feature device, report device, monitor: in that order.
    void Close();
    // The two channels alone, as the mouse arrives and goes (the monitor of
    // arrival and removal keeps running); non-zero when the report channel
    // opened.
    int OpenChannels();
    void CloseChannels();
    // Names the mouse to the library without opening anything (the device
    // report of `Monitor.exe /devices`).
    void SelectMouse();
    // The library's account of the HID interfaces and the collections it
    // takes for the mouse; empty when the library has none to give.
    std::string DescribeDevices();
    // Closes first when still open.
    void Unload();

    int SetFeature(const uint8_t* report, int length) override;
    int GetFeature(uint8_t* report, int length) override;
    int WriteReport(const uint8_t* report, int length) override;

private:
    using VidPidFn = int (*)(int, int);
    using MonitorFn = int (*)(HWND, UINT, UINT);
    using VoidFn = int (*)();
    using BufferFn = int (*)(unsigned char*, int);
    using TextFn = int (*)(char*, int);

    HMODULE module_ = nullptr;
    bool bound_ = false;
    bool monitorOpen_ = false;
    VidPidFn setVidPid_ = nullptr;
    MonitorFn openDevMonitor_ = nullptr;
    VoidFn closeDevMonitor_ = nullptr;
    VoidFn openFeatureDevice_ = nullptr;
    VoidFn closeFeatureDevice_ = nullptr;
    BufferFn setFeature_ = nullptr;
    BufferFn getFeature_ = nullptr;
    VoidFn openReportDevice_ = nullptr;
    VoidFn closeReportDevice_ = nullptr;
    BufferFn writeUsb_ = nullptr;
    BufferFn readUsb_ = nullptr;
    // Optional: a library without it is still bound.
    TextFn describeDevices_ = nullptr;
};

}  // namespace kestra
