#include "devport/hid_device_win.h"

// hid.dll's headers declare no C linkage of their own.
extern "C" {
#include <hidsdi.h>
}
// WIN32_LEAN_AND_MEAN leaves out the control-code macros hidclass.h uses.
#include <hidclass.h>
#include <setupapi.h>
#include <winioctl.h>

#include <map>
#include <vector>

#include "devport/overlapped_io_win.h"

#ifndef SPDRP_BASE_CONTAINERID
#define SPDRP_BASE_CONTAINERID 0x24
#endif

namespace kestra {
namespace devport {

namespace {

std::string ErrorText(const char* what) {
    return std::string(what) + " (error " + std::to_string(GetLastError()) + ")";
}

// The reports of one kind with their ids, from the value and button
// capabilities; a collection that numbers none has one report, id 0.
HidReportSet ReportsOf(PHIDP_PREPARSED_DATA preparsed, HIDP_REPORT_TYPE type, USHORT byteLength,
                       USHORT valueCount, USHORT buttonCount) {
    HidReportSet set;
    set.length = byteLength;
    if (byteLength <= 1) return set;
    std::map<uint8_t, unsigned long> bits;
    std::vector<HIDP_VALUE_CAPS> values(valueCount);
    USHORT n = valueCount;
    if (n > 0 && HidP_GetValueCaps(type, values.data(), &n, preparsed) == HIDP_STATUS_SUCCESS) {
        for (USHORT i = 0; i < n && i < values.size(); ++i) {
            bits[values[i].ReportID] +=
                static_cast<unsigned long>(values[i].BitSize) * values[i].ReportCount;
        }
    }
    std::vector<HIDP_BUTTON_CAPS> buttons(buttonCount);
    n = buttonCount;
    if (n > 0 && HidP_GetButtonCaps(type, buttons.data(), &n, preparsed) == HIDP_STATUS_SUCCESS) {
        for (USHORT i = 0; i < n && i < buttons.size(); ++i) {
            const HIDP_BUTTON_CAPS& b = buttons[i];
            const unsigned long count =
                b.IsRange && b.Range.UsageMax >= b.Range.UsageMin
                    ? static_cast<unsigned long>(b.Range.UsageMax - b.Range.UsageMin + 1)
                    : 1;
            bits[b.ReportID] += count;
        }
    }
    const uint16_t longest = static_cast<uint16_t>(byteLength - 1);
    if (bits.empty() || (bits.size() == 1 && bits.begin()->first == 0)) {
        set.reports.push_back(HidReport{0, longest});
        return set;
    }
    for (const auto& entry : bits) {
        // One report of the kind fills the buffer exactly; several are sized
        // by their fields (padding is not among the capabilities).
        const unsigned long bytes = bits.size() == 1 ? longest : (entry.second + 7) / 8;
        set.reports.push_back(
            HidReport{entry.first, static_cast<uint16_t>(bytes < longest ? bytes : longest)});
    }
    return set;
}

void ReadCapabilities(HANDLE probe, HidCollection& c) {
    HIDD_ATTRIBUTES attributes = {};
    attributes.Size = sizeof attributes;
    if (!HidD_GetAttributes(probe, &attributes)) {
        c.problem = ErrorText("no identity");
        return;
    }
    c.vid = attributes.VendorID;
    c.pid = attributes.ProductID;
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!HidD_GetPreparsedData(probe, &preparsed)) {
        c.problem = ErrorText("no report descriptor");
        return;
    }
    HIDP_CAPS caps = {};
    if (HidP_GetCaps(preparsed, &caps) != HIDP_STATUS_SUCCESS) {
        c.problem = "unreadable capabilities";
    } else {
        c.usagePage = caps.UsagePage;
        c.usage = caps.Usage;
        c.input = ReportsOf(preparsed, HidP_Input, caps.InputReportByteLength,
                            caps.NumberInputValueCaps, caps.NumberInputButtonCaps);
        c.output = ReportsOf(preparsed, HidP_Output, caps.OutputReportByteLength,
                             caps.NumberOutputValueCaps, caps.NumberOutputButtonCaps);
        c.feature = ReportsOf(preparsed, HidP_Feature, caps.FeatureReportByteLength,
                              caps.NumberFeatureValueCaps, caps.NumberFeatureButtonCaps);
    }
    HidD_FreePreparsedData(preparsed);
}

std::string ContainerOf(HDEVINFO set, SP_DEVINFO_DATA& device) {
    char text[64] = {};
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_BASE_CONTAINERID, &type,
                                           reinterpret_cast<BYTE*>(text), sizeof text - 1,
                                           nullptr) ||
        type != REG_SZ) {
        return std::string();
    }
    return text;
}

class WindowsHidFile : public HidFile {
public:
    explicit WindowsHidFile(HANDLE handle) : handle_(handle) {
        feature_.reset(new OverlappedIo(handle_));
        write_.reset(new OverlappedIo(handle_));
        read_.reset(new OverlappedIo(handle_));
    }
    ~WindowsHidFile() override {
        for (auto* slot : {&feature_, &write_, &read_}) {
            if ((*slot)->inFlight()) (*slot)->Cancel(kReportTimeoutMs);
        }
        // Closing cancels whatever is left; a slot still held then is kept.
        CloseHandle(handle_);
        OverlappedIo::Release(std::move(feature_));
        OverlappedIo::Release(std::move(write_));
        OverlappedIo::Release(std::move(read_));
    }

    bool SetFeature(const uint8_t* frame, size_t length) override {
        return Control(IOCTL_HID_SET_FEATURE, frame, length, nullptr);
    }
    bool GetFeature(uint8_t* frame, size_t length) override {
        return Control(IOCTL_HID_GET_FEATURE, frame, length, frame);
    }
    bool Write(const uint8_t* frame, size_t length) override {
        if (write_->inFlight()) return false;  // an earlier one the system still holds
        write_->buffer().assign(frame, frame + length);
        DWORD written = 0;
        if (write_->StartWrite(length) == IoResult::kFailed) return false;
        return write_->Finish(kReportTimeoutMs, &written) == IoResult::kDone && written == length;
    }
    bool BeginRead(size_t length) override {
        if (read_->inFlight()) return true;
        return read_->StartRead(length) != IoResult::kFailed;
    }
    ReadResult FinishRead(std::vector<uint8_t>* report) override {
        DWORD got = 0;
        switch (read_->Poll(&got)) {
            case IoResult::kPending:
                return ReadResult::kPending;
            case IoResult::kDone:
                report->assign(read_->buffer().begin(), read_->buffer().begin() + got);
                return ReadResult::kReport;
            default:
                return ReadResult::kFailed;
        }
    }
    void* ReadWaitable() const override { return read_->event(); }

private:
    bool Control(DWORD code, const uint8_t* frame, size_t length, uint8_t* answer) {
        if (feature_->inFlight()) return false;
        feature_->buffer().assign(frame, frame + length);
        DWORD got = 0;
        if (feature_->StartControl(code, length, answer != nullptr) == IoResult::kFailed) {
            return false;
        }
        if (feature_->Finish(kReportTimeoutMs, &got) != IoResult::kDone) return false;
        if (answer) {
            for (size_t i = 0; i < length; ++i) answer[i] = feature_->buffer()[i];
        }
        return true;
    }

    HANDLE handle_;
    std::unique_ptr<OverlappedIo> feature_;
    std::unique_ptr<OverlappedIo> write_;
    std::unique_ptr<OverlappedIo> read_;
};

}  // namespace

std::vector<HidCollection> WindowsHidBackend::Enumerate() {
    std::vector<HidCollection> list;
    GUID hidGuid;
    HidD_GetHidGuid(&hidGuid);
    HDEVINFO set =
        SetupDiGetClassDevsA(&hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return list;
    SP_DEVICE_INTERFACE_DATA item = {};
    item.cbSize = sizeof item;
    for (DWORD i = 0; SetupDiEnumDeviceInterfaces(set, nullptr, &hidGuid, i, &item); ++i) {
        DWORD size = 0;
        SetupDiGetDeviceInterfaceDetailA(set, &item, nullptr, 0, &size, nullptr);
        if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) continue;
        std::vector<char> storage(size);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        SP_DEVINFO_DATA device = {};
        device.cbSize = sizeof device;
        if (!SetupDiGetDeviceInterfaceDetailA(set, &item, detail, size, nullptr, &device)) continue;
        HidCollection c;
        c.path = detail->DevicePath;
        c.device = ContainerOf(set, device);
        // Access 0 is enough for identity and capabilities, and works on
        // collections that the system holds open (its pointer and keyboard).
        HANDLE probe = CreateFileA(detail->DevicePath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
        if (probe == INVALID_HANDLE_VALUE) {
            c.problem = ErrorText("cannot be opened");
        } else {
            ReadCapabilities(probe, c);
            CloseHandle(probe);
        }
        list.push_back(c);
    }
    SetupDiDestroyDeviceInfoList(set);
    return list;
}

std::unique_ptr<HidFile> WindowsHidBackend::Open(const std::string& path) {
    HANDLE handle =
        CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::unique_ptr<HidFile>(new WindowsHidFile(handle));
}

}  // namespace devport
}  // namespace kestra
