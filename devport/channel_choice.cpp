#include "devport/channel_choice.h"

#include <cstdio>

namespace kestra {
namespace devport {

namespace {

const HidReportSet& SetOf(const HidCollection& c, Channel channel) {
    switch (channel) {
        case Channel::kFeature:
            return c.feature;
        case Channel::kOutput:
            return c.output;
        case Channel::kEvents:
        default:
            return c.input;
    }
}

uint16_t BytesNeeded(Channel channel) {
    switch (channel) {
        case Channel::kFeature:
            return kFeatureReportBytes;
        case Channel::kOutput:
            return kOutputReportBytes;
        case Channel::kEvents:
        default:
            return kEventReportBytes;
    }
}

const char* KindName(Channel channel) {
    switch (channel) {
        case Channel::kFeature:
            return "feature";
        case Channel::kOutput:
            return "output";
        case Channel::kEvents:
        default:
            return "input";
    }
}

// A report never counts longer than the buffer the collection gives its kind.
uint16_t UsableBytes(const HidReportSet& set, const HidReport& report) {
    const uint16_t room = set.length > 0 ? static_cast<uint16_t>(set.length - 1) : 0;
    return report.bytes < room ? report.bytes : room;
}

// The reports of the kind long enough for the channel, in the collection's
// own order.
std::vector<HidReport> LongEnough(const HidReportSet& set, uint16_t needed) {
    std::vector<HidReport> out;
    for (const HidReport& r : set.reports) {
        if (UsableBytes(set, r) >= needed) out.push_back(HidReport{r.id, UsableBytes(set, r)});
    }
    return out;
}

bool Matches(const HidCollection& c, uint16_t vid, uint16_t pid) {
    return c.problem.empty() && c.vid == vid && c.pid == pid;
}

ChannelChoice Pick(const std::vector<HidCollection>& list, const std::vector<int>& members,
                   Channel channel) {
    ChannelChoice choice;
    for (int pass = 0; pass < 2 && !choice.found(); ++pass) {
        const bool vendorPass = pass == 0;
        for (int i : members) {
            const HidCollection& c = list[static_cast<size_t>(i)];
            if (IsVendorPage(c.usagePage) != vendorPass || !WhyNotFor(c, channel).empty()) continue;
            const HidReportSet& set = SetOf(c, channel);
            choice.collection = i;
            choice.frameLength = set.length;
            choice.reports = LongEnough(set, BytesNeeded(channel));
            choice.numbered = set.numbered();
            break;
        }
    }
    return choice;
}

MouseChannels ChooseAmong(const std::vector<HidCollection>& list, const std::vector<int>& members) {
    MouseChannels m;
    m.feature = Pick(list, members, Channel::kFeature);
    m.output = Pick(list, members, Channel::kOutput);
    m.events = Pick(list, members, Channel::kEvents);
    return m;
}

std::string Hex4(unsigned value) {
    char text[8];
    snprintf(text, sizeof text, "%04X", value & 0xFFFFu);
    return text;
}

std::string Number(unsigned value) {
    return std::to_string(value);
}

std::string DescribeReports(const HidReportSet& set, const char* kind) {
    if (set.length == 0) return std::string("no ") + kind + " reports";
    std::string text = std::string(kind) + " " + Number(set.length) + " bytes";
    if (set.numbered()) {
        text += " (";
        for (size_t i = 0; i < set.reports.size(); ++i) {
            if (i > 0) text += ", ";
            text += "id " + Number(set.reports[i].id) + ": " + Number(set.reports[i].bytes);
        }
        text += ")";
    } else {
        text += " (no report ids)";
    }
    return text;
}

std::string DescribeChoice(const std::vector<HidCollection>& list, uint16_t vid, uint16_t pid,
                           const ChannelChoice& choice, Channel channel) {
    if (!choice.found()) {
        std::string why;
        for (size_t i = 0; i < list.size(); ++i) {
            if (list[i].vid != vid || list[i].pid != pid) continue;
            why += (why.empty() ? "" : "; ") + std::string("interface ") +
                   Number(static_cast<unsigned>(i) + 1) + ": " + WhyNotFor(list[i], channel);
        }
        return "none (" + (why.empty() ? std::string("no interface has its VID and PID") : why) +
               ")";
    }
    const HidCollection& c = list[static_cast<size_t>(choice.collection)];
    std::string text = "interface " + Number(static_cast<unsigned>(choice.collection) + 1) +
                       ", usage page " + Hex4(c.usagePage);
    text +=
        IsVendorPage(c.usagePage) ? " (vendor-defined)" : " (no vendor-defined one carries them)";
    if (!choice.numbered) {
        text += ", no report ids";
    } else if (channel == Channel::kFeature) {
        text += ", report id by request code where the collection has one, else " +
                Number(ReportIdFor(choice, 0));
    } else {
        text += ", report id " + Number(ReportIdFor(choice, 0));
    }
    return text;
}

}  // namespace

namespace {

std::string WhyPassedBy(const HidCollection& c) {
    if (c.usagePage == kGenericDesktopPage) return WhyNotFor(c, Channel::kFeature);
    std::string text;
    for (Channel channel : {Channel::kFeature, Channel::kOutput, Channel::kEvents}) {
        std::string why = WhyNotFor(c, channel);
        if (why.empty())
            why = std::string(KindName(channel)) + " reports: another collection came first";
        text += (text.empty() ? "" : "; ") + why;
    }
    return text;
}

}  // namespace

std::string WhyNotFor(const HidCollection& c, Channel channel) {
    if (!c.problem.empty()) return "could not be read: " + c.problem;
    if (c.usagePage == kGenericDesktopPage) {
        return "generic desktop usage page: the system's own pointer or keyboard input";
    }
    const HidReportSet& set = SetOf(c, channel);
    if (set.length <= 1 || set.reports.empty())
        return std::string("no ") + KindName(channel) + " reports";
    const uint16_t needed = BytesNeeded(channel);
    if (LongEnough(set, needed).empty()) {
        uint16_t longest = 0;
        for (const HidReport& r : set.reports) {
            if (UsableBytes(set, r) > longest) longest = UsableBytes(set, r);
        }
        return std::string(KindName(channel)) + " reports of " + Number(longest) + " bytes, " +
               Number(needed) + " needed";
    }
    return std::string();
}

MouseChannels ChooseChannels(const std::vector<HidCollection>& list, uint16_t vid, uint16_t pid) {
    // The mouse's devices in the order the system lists them; collections of
    // an unknown device count as one device of their own.
    std::vector<std::string> devices;
    for (const HidCollection& c : list) {
        if (!Matches(c, vid, pid)) continue;
        bool known = false;
        for (const std::string& d : devices) known = known || d == c.device;
        if (!known) devices.push_back(c.device);
    }
    MouseChannels first;
    for (size_t d = 0; d < devices.size(); ++d) {
        std::vector<int> members;
        for (size_t i = 0; i < list.size(); ++i) {
            if (Matches(list[i], vid, pid) && list[i].device == devices[d]) {
                members.push_back(static_cast<int>(i));
            }
        }
        MouseChannels m = ChooseAmong(list, members);
        if (m.present()) return m;
        if (d == 0) first = m;
    }
    return first;
}

uint8_t ReportIdFor(const ChannelChoice& choice, uint8_t requestCode) {
    if (!choice.numbered || choice.reports.empty()) return 0;
    for (const HidReport& r : choice.reports) {
        if (r.id == requestCode && requestCode != 0) return r.id;
    }
    return choice.reports.front().id;
}

bool Frame(const ChannelChoice& choice, const uint8_t* bytes, size_t length,
           std::vector<uint8_t>* frame) {
    if (!choice.found() || bytes == nullptr || length == 0) return false;
    const uint8_t id = ReportIdFor(choice, bytes[0]);
    size_t room = 0;
    for (const HidReport& r : choice.reports) {
        if (r.id == id) room = r.bytes;
    }
    if (length > room || choice.frameLength < length + 1) return false;
    frame->assign(choice.frameLength, 0);
    (*frame)[0] = id;
    for (size_t i = 0; i < length; ++i) (*frame)[i + 1] = bytes[i];
    return true;
}

bool DecodeEvent(const ChannelChoice& events, const std::vector<uint8_t>& report, uint16_t* code,
                 uint16_t* value) {
    if (!events.found() || report.size() < 1u + kEventReportBytes) return false;
    if (report[0] != ReportIdFor(events, 0)) return false;
    *code = static_cast<uint16_t>(report[1] | (report[2] << 8));
    *value = static_cast<uint16_t>(report[3] | (report[4] << 8));
    return true;
}

std::string DescribeCollections(const std::vector<HidCollection>& list, uint16_t vid,
                                uint16_t pid) {
    std::string text = "HID interfaces: " + Number(static_cast<unsigned>(list.size())) + "\r\n";
    for (size_t i = 0; i < list.size(); ++i) {
        const HidCollection& c = list[i];
        text += "  " + Number(static_cast<unsigned>(i) + 1) + ". ";
        if (!c.problem.empty()) {
            text += "could not be read: " + c.problem + "\r\n";
        } else {
            text += "VID " + Hex4(c.vid) + " PID " + Hex4(c.pid) + ", usage page " +
                    Hex4(c.usagePage) + " usage " + Hex4(c.usage) +
                    (c.vid == vid && c.pid == pid ? "  <- the mouse" : "") + "\r\n";
            text += "     " + DescribeReports(c.input, "input") + "; " +
                    DescribeReports(c.output, "output") + "; " +
                    DescribeReports(c.feature, "feature") + "\r\n";
        }
        text += "     " + c.path + "\r\n";
    }

    const MouseChannels chosen = ChooseChannels(list, vid, pid);
    text += "The mouse (VID " + Hex4(vid) + ", PID " + Hex4(pid) + "): ";
    text += chosen.present() ? "found\r\n" : "not found\r\n";
    text += "  commands (feature reports): " +
            DescribeChoice(list, vid, pid, chosen.feature, Channel::kFeature) + "\r\n";
    text += "  settings blocks (output reports): " +
            DescribeChoice(list, vid, pid, chosen.output, Channel::kOutput) + "\r\n";
    text += "  events (input reports): " +
            DescribeChoice(list, vid, pid, chosen.events, Channel::kEvents) + "\r\n";
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i].vid != vid || list[i].pid != pid || !list[i].problem.empty()) continue;
        const int index = static_cast<int>(i);
        if (index == chosen.feature.collection || index == chosen.output.collection ||
            index == chosen.events.collection) {
            continue;
        }
        text += "  interface " + Number(static_cast<unsigned>(i) + 1) +
                " passed by: " + WhyPassedBy(list[i]) + "\r\n";
    }
    return text;
}

}  // namespace devport
}  // namespace kestra
