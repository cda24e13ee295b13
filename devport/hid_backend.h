// What devport.dll needs of the system's HID stack, so that the choice of
// collections, the report framing and the event decoding run the same
// against the real stack (hid_device_win.*) and against scripted devices in
// native tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kestra {
namespace devport {

// One report a collection describes: its id (0 when the collection numbers
// none) and the bytes that follow the id.
struct HidReport {
    uint8_t id = 0;
    uint16_t bytes = 0;
};

// The reports of one kind (input, output or feature) of a collection.
struct HidReportSet {
    // The buffer hid.dll takes for this kind: the id byte and the longest
    // report. 0 when the collection has no report of the kind.
    uint16_t length = 0;
    std::vector<HidReport> reports;
    bool numbered() const {
        for (const HidReport& r : reports) {
            if (r.id != 0) return true;
        }
        return false;
    }
};

// One HID interface (top-level collection) as the system lists it.
struct HidCollection {
    std::string path;
    // What the collections of one physical device have in common (the
    // system's container id); empty when unknown.
    std::string device;
    uint16_t vid = 0;
    uint16_t pid = 0;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    HidReportSet input;
    HidReportSet output;
    HidReportSet feature;
    // Why its identity or capabilities could not be read; empty when they were.
    std::string problem;
};

enum class ReadResult {
    kReport,   // a report was taken
    kPending,  // still on its way
    kFailed,   // the device went away or the read failed: read no more
};

// An open collection. Closing it (the destructor) never returns while the
// system may still write into a buffer or a record of a read or write it
// started.
class HidFile {
public:
    virtual ~HidFile() = default;
    // `frame` starts with the report id; its length is the collection's.
    virtual bool SetFeature(const uint8_t* frame, size_t length) = 0;
    virtual bool GetFeature(uint8_t* frame, size_t length) = 0;
    // False when it failed or did not complete within the file's time limit;
    // either way the system holds nothing of it any more on return.
    virtual bool Write(const uint8_t* frame, size_t length) = 0;
    // Input reports, one read at a time: BeginRead starts one, ReadWaitable
    // (a Windows event handle) is signalled when it ended, FinishRead takes it.
    virtual bool BeginRead(size_t length) = 0;
    virtual ReadResult FinishRead(std::vector<uint8_t>* report) = 0;
    virtual void* ReadWaitable() const = 0;
};

class HidBackend {
public:
    virtual ~HidBackend() = default;
    // Every HID interface present, in the system's order.
    virtual std::vector<HidCollection> Enumerate() = 0;
    // Null when it cannot be opened for reading and writing.
    virtual std::unique_ptr<HidFile> Open(const std::string& path) = 0;
};

}  // namespace devport
}  // namespace kestra
