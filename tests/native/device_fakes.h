// A mouse that records every report with the virtual time it arrived, and a
// waiter whose sleeps only advance that virtual clock.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "device/report_link.h"

namespace kestra_test {

struct VirtualClock {
    long now = 0;
};

struct RecordedReport {
    long time;
    std::string kind;  // "set", "get" or "out"
    std::vector<uint8_t> bytes;
};

inline std::string Hex(const uint8_t* bytes, size_t count) {
    std::string text;
    char digits[4];
    for (size_t i = 0; i < count; ++i) {
        snprintf(digits, sizeof digits, i ? " %02X" : "%02X", bytes[i]);
        text += digits;
    }
    return text;
}

class RecordingLink : public kestra::ReportLink {
public:
    explicit RecordingLink(VirtualClock& clock) : clock_(clock) {}

    int SetFeature(const uint8_t* report, int length) override {
        Record("set", report, length);
        return setResult;
    }
    int GetFeature(uint8_t* report, int length) override {
        Record("get", report, length);
        for (int i = 0; i < length && i < static_cast<int>(answer.size()); ++i) {
            report[i] = answer[i];
        }
        return getResult;
    }
    int WriteReport(const uint8_t* report, int length) override {
        Record("out", report, length);
        return 1;
    }

    // "t=200 set 03 01 ..." for feature reports; output reports show only
    // their first eight bytes, their full contents are checked elsewhere.
    std::vector<std::string> Trace() const {
        std::vector<std::string> lines;
        for (const RecordedReport& r : reports) {
            const size_t shown = r.bytes.size() < 8 ? r.bytes.size() : 8;
            lines.push_back("t=" + std::to_string(r.time) + " " + r.kind + " " +
                            Hex(r.bytes.data(), shown));
        }
        return lines;
    }

    std::vector<RecordedReport> reports;
    std::vector<uint8_t> answer;
    int setResult = 1;
    int getResult = 1;
    std::function<void()> afterReport;

private:
    void Record(const char* kind, const uint8_t* bytes, int length) {
        reports.push_back({clock_.now, kind, std::vector<uint8_t>(bytes, bytes + length)});
        if (afterReport) afterReport();
    }
    VirtualClock& clock_;
};

class VirtualWaiter : public kestra::Waiter {
public:
    VirtualWaiter(VirtualClock& clock, kestra::DeviceFlags& flags) : clock_(clock), flags_(flags) {}
    void Sleep(int ms) override {
        slices.push_back(ms);
        clock_.now += ms;
        if (onSleep) onSleep();
    }
    bool AbortRequested() override {
        ++abortChecks;
        return flags_.abort != 0;
    }

    std::vector<int> slices;
    int abortChecks = 0;
    std::function<void()> onSleep;

private:
    VirtualClock& clock_;
    kestra::DeviceFlags& flags_;
};

}  // namespace kestra_test
