// What the device code needs from the mouse and from time, so that the
// command sequences run the same against the HID library and against a
// recording fake with a virtual clock.
#pragma once

#include <atomic>
#include <cstdint>

namespace kestra {

constexpr int kFeatureReportSize = 8;
constexpr int kOutputReportSize = 64;
constexpr int kWaitSliceMs = 100;

class ReportLink {
public:
    virtual ~ReportLink() = default;
    // `length` is always kFeatureReportSize.
    virtual int SetFeature(const uint8_t* report, int length) = 0;
    // The caller fills the request bytes first; the answer replaces them.
    virtual int GetFeature(uint8_t* report, int length) = 0;
    // `length` is always kOutputReportSize.
    virtual int WriteReport(const uint8_t* report, int length) = 0;
};

class Waiter {
public:
    virtual ~Waiter() = default;
    virtual void Sleep(int ms) = 0;
    virtual bool AbortRequested() = 0;
};

// Cross-thread state of the device thread: plain integer flags, set by the
// window thread and read by the device thread between reports.
struct DeviceFlags {
    std::atomic<int> connected{0};  // 0 never connected, 1 present, 2 removed
    std::atomic<int> busy{0};
    std::atomic<int> abort{0};
    // Counts the arrivals that settled; a firmware check posted for an
    // earlier one is stale once the mouse has come and gone again.
    std::atomic<int> connection{0};
    // Whether the present mouse answers (a DeviceAnswer), and the firmware
    // version it last gave (major << 8 | minor; -1 none yet). Set by the
    // device thread's checks, reset by arrival and removal.
    std::atomic<int> answer{0};
    std::atomic<int> firmware{-1};
};

// Waits `ms` in slices of at most 100 ms, testing the abort request before
// each slice and after the wait. Returns false when an abort was seen.
bool PauseUnlessAborted(Waiter& waiter, int ms);

}  // namespace kestra
