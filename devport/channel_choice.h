// Which of the mouse's HID collections carries its feature reports, its
// output reports and its events, with which report ids, and how a report is
// framed and an event read. Decided from the collections' capabilities
// alone, so that a mouse of any report layout is spoken to correctly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "devport/hid_backend.h"

namespace kestra {
namespace devport {

enum class Channel { kFeature, kOutput, kEvents };

// The shortest report each channel can use: the 8-byte commands, the
// 64-byte halves of a block, and an event's code and value.
constexpr uint16_t kFeatureReportBytes = 8;
constexpr uint16_t kOutputReportBytes = 64;
constexpr uint16_t kEventReportBytes = 4;

constexpr uint16_t kGenericDesktopPage = 0x0001;
constexpr bool IsVendorPage(uint16_t page) {
    return page >= 0xFF00;
}

struct ChannelChoice {
    int collection = -1;             // index in the list; -1 when none carries it
    uint16_t frameLength = 0;        // the collection's buffer for the kind, id byte included
    std::vector<HidReport> reports;  // the reports of the kind long enough for the channel
    bool numbered = false;           // the collection numbers its reports of the kind
    bool found() const { return collection >= 0; }
};

struct MouseChannels {
    ChannelChoice feature;
    ChannelChoice output;
    ChannelChoice events;
    // Present when the commands can reach it; events are a bonus.
    bool present() const { return feature.found() && output.found(); }
};

// Empty when the collection can carry the channel, else why not.
std::string WhyNotFor(const HidCollection& collection, Channel channel);

// The mouse's collections among `list` (matched by vid and pid): for each
// channel a vendor-defined usage page (0xFF00..0xFFFF) first, in the
// system's order, then any page but the generic desktop's, whose pointer and
// keyboard collections the system keeps for itself. All channels come from
// the collections of one device: the first whose collections carry both
// feature and output reports.
MouseChannels ChooseChannels(const std::vector<HidCollection>& list, uint16_t vid, uint16_t pid);

// The report id of a call: 0 where the collection numbers none; otherwise a
// report long enough for the channel, and for a feature report the one
// whose id is the request code in byte 0 of the call when there is one.
uint8_t ReportIdFor(const ChannelChoice& choice, uint8_t requestCode);

// The buffer hid.dll takes: the id, the bytes, zeros up to the collection's
// length. False, and nothing framed, when the bytes do not fit the report.
bool Frame(const ChannelChoice& choice, const uint8_t* bytes, size_t length,
           std::vector<uint8_t>* frame);

// An input report of the event channel: code and value, little-endian, in
// the four bytes after the id. False for a report of another id or too short.
bool DecodeEvent(const ChannelChoice& events, const std::vector<uint8_t>& report, uint16_t* code,
                 uint16_t* value);

// A plain-text account for a user to send: every HID interface with its
// identity, usage and reports, and which of the mouse's collections each
// channel takes and why the others were passed by.
std::string DescribeCollections(const std::vector<HidCollection>& list, uint16_t vid, uint16_t pid);

}  // namespace devport
}  // namespace kestra
