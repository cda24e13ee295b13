#include "device/device_link_win.h"

#include <cstring>

namespace kestra {

namespace {

template <typename Fn>
bool Bind(HMODULE module, const char* name, Fn* out) {
    *out = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return *out != nullptr;
}

}  // namespace

DeviceLink::~DeviceLink() {
    Unload();
}

bool DeviceLink::Load(const std::string& programFolder) {
    Unload();
    module_ = LoadLibraryA((programFolder + "devport.dll").c_str());
    if (!module_) return false;
    bool ok = Bind(module_, "Set_VIDPID", &setVidPid_);
    ok = Bind(module_, "Open_DevMonitor", &openDevMonitor_) && ok;
    ok = Bind(module_, "Close_DevMonitor", &closeDevMonitor_) && ok;
    ok = Bind(module_, "Open_FeatureDevice", &openFeatureDevice_) && ok;
    ok = Bind(module_, "Close_FeatureDevice", &closeFeatureDevice_) && ok;
    ok = Bind(module_, "SetFeature", &setFeature_) && ok;
    ok = Bind(module_, "GetFeature", &getFeature_) && ok;
    ok = Bind(module_, "Open_ReportDevice", &openReportDevice_) && ok;
    ok = Bind(module_, "Close_ReportDevice", &closeReportDevice_) && ok;
    ok = Bind(module_, "WriteUSB", &writeUsb_) && ok;
    ok = Bind(module_, "ReadUSB", &readUsb_) && ok;
    // A partial library is never called: the mouse then counts as absent.
    bound_ = ok;
    Bind(module_, "Describe_Devices", &describeDevices_);
    return ok;
}

int DeviceLink::Open(HWND window) {
    if (!bound_) return 0;
    setVidPid_(kMouseVendorId, kMouseProductId);
    monitorOpen_ = openDevMonitor_(window, UM_DEVICE_EVENT, UM_DEVICE_PRESENCE) != 0;
    openFeatureDevice_();
    return openReportDevice_();
}

void DeviceLink::Close() {
    if (!bound_) return;
    closeFeatureDevice_();
    closeReportDevice_();
    closeDevMonitor_();
    monitorOpen_ = false;
}

int DeviceLink::OpenChannels() {
    if (!bound_) return 0;
    openFeatureDevice_();
    return openReportDevice_();
}

void DeviceLink::SelectMouse() {
    if (bound_) setVidPid_(kMouseVendorId, kMouseProductId);
}

std::string DeviceLink::DescribeDevices() {
    if (!bound_ || !describeDevices_) return std::string();
    const int needed = describeDevices_(nullptr, 0);
    if (needed <= 1 || needed > (1 << 24)) return std::string();
    std::string text(static_cast<size_t>(needed), '\0');
    // The interfaces may have changed in between: take what fits.
    describeDevices_(&text[0], needed);
    text.resize(strnlen(text.c_str(), text.size()));
    return text;
}

void DeviceLink::CloseChannels() {
    if (!bound_) return;
    closeFeatureDevice_();
    closeReportDevice_();
}

void DeviceLink::Unload() {
    // The library's monitor thread must not outlive its code.
    if (monitorOpen_) Close();
    bound_ = false;
    describeDevices_ = nullptr;
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
}

int DeviceLink::SetFeature(const uint8_t* report, int length) {
    if (!bound_) return 0;
    return setFeature_(const_cast<unsigned char*>(report), length);
}

int DeviceLink::GetFeature(uint8_t* report, int length) {
    if (!bound_) return 0;
    return getFeature_(report, length);
}

int DeviceLink::WriteReport(const uint8_t* report, int length) {
    if (!bound_) return 0;
    return writeUsb_(const_cast<unsigned char*>(report), length);
}

}  // namespace kestra
