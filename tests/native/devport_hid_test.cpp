// devport's way to a real mouse over scripted HID stacks: which collections
// carry which reports, the exact frames that reach them, and which input
// reports become events.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "devport/channel_choice.h"
#include "devport/hid_mouse.h"
#include "devport/presence_choice.h"
#include "tests/native/device_fakes.h"

namespace kestra {
namespace devport {
namespace {

using kestra_test::Hex;

constexpr uint16_t kVid = 0x12C9;
constexpr uint16_t kPid = 0x1017;

HidReportSet Reports(uint16_t length, std::vector<HidReport> reports) {
    HidReportSet set;
    set.length = length;
    set.reports = std::move(reports);
    return set;
}

// One collection; `input`, `output` and `feature` as (length, reports).
HidCollection Collection(const std::string& path, uint16_t page, HidReportSet input,
                         HidReportSet output, HidReportSet feature) {
    HidCollection c;
    c.path = path;
    c.vid = kVid;
    c.pid = kPid;
    c.usagePage = page;
    c.usage = 1;
    c.input = std::move(input);
    c.output = std::move(output);
    c.feature = std::move(feature);
    return c;
}

// The vendor collection of a mouse that numbers no reports.
HidCollection PlainVendor(const std::string& path) {
    return Collection(path, 0xFF00, Reports(5, {{0, 4}}), Reports(65, {{0, 64}}),
                      Reports(9, {{0, 8}}));
}

// A HID stack whose collections a test lists, and whose files record every
// frame that reaches them: "set PATH BYTES", "get ...", "write ...".
class ScriptedHid : public HidBackend {
public:
    std::vector<HidCollection> collections;
    std::vector<std::string> log;
    std::map<std::string, std::vector<uint8_t>> featureAnswer;  // bytes after the id
    std::set<std::string> hungWrites;                           // writes there never complete
    std::set<std::string> failingReads;  // reads there end in failure (removed)
    std::map<std::string, std::deque<std::vector<uint8_t>>> inputs;
    int opens = 0;

    std::vector<HidCollection> Enumerate() override { return collections; }
    std::unique_ptr<HidFile> Open(const std::string& path) override;
};

class ScriptedFile : public HidFile {
public:
    ScriptedFile(ScriptedHid& hid, std::string path) : hid_(hid), path_(std::move(path)) {}
    bool SetFeature(const uint8_t* frame, size_t length) override {
        Record("set", frame, length);
        return true;
    }
    bool GetFeature(uint8_t* frame, size_t length) override {
        Record("get", frame, length);
        const std::vector<uint8_t>& answer = hid_.featureAnswer[path_];
        for (size_t i = 0; i < answer.size() && i + 1 < length; ++i) frame[i + 1] = answer[i];
        return !answer.empty();
    }
    bool Write(const uint8_t* frame, size_t length) override {
        // A write that never completes is given up within the time limit.
        const bool hangs = hid_.hungWrites.count(path_) != 0;
        Record(hangs ? "write (timed out)" : "write", frame, length);
        return !hangs;
    }
    bool BeginRead(size_t length) override {
        readLength = length;
        return true;
    }
    ReadResult FinishRead(std::vector<uint8_t>* report) override {
        if (hid_.failingReads.count(path_)) return ReadResult::kFailed;
        std::deque<std::vector<uint8_t>>& queue = hid_.inputs[path_];
        if (queue.empty()) return ReadResult::kPending;
        *report = queue.front();
        queue.pop_front();
        return ReadResult::kReport;
    }
    void* ReadWaitable() const override { return const_cast<ScriptedFile*>(this); }
    size_t readLength = 0;

private:
    void Record(const char* kind, const uint8_t* frame, size_t length) {
        hid_.log.push_back(std::string(kind) + " " + path_ + " " + Hex(frame, length));
    }
    ScriptedHid& hid_;
    std::string path_;
};

std::unique_ptr<HidFile> ScriptedHid::Open(const std::string& path) {
    ++opens;
    log.push_back("open " + path);
    return std::unique_ptr<HidFile>(new ScriptedFile(*this, path));
}

struct RecordedEvents : EventSink {
    std::vector<std::string> events;
    void DeviceEvent(uint16_t code, uint16_t value) override {
        char text[16];
        snprintf(text, sizeof text, "%04X %04X", code, value);
        events.push_back(text);
    }
};

std::string Frame(const std::string& path, const char* kind, std::vector<uint8_t> frame) {
    return std::string(kind) + " " + path + " " + Hex(frame.data(), frame.size());
}

// `bytes` followed by zeros up to `length`.
std::vector<uint8_t> Padded(std::vector<uint8_t> bytes, size_t length) {
    bytes.resize(length, 0);
    return bytes;
}

const uint8_t kOpenApply[8] = {0x01, 0x88, 0x02, 0, 0, 0, 0, 0x74};
const uint8_t kFirmwareAsk[8] = {0x80, 0, 0, 0, 0, 0, 0, 0x7F};

std::vector<uint8_t> Half() {
    std::vector<uint8_t> half(64);
    for (size_t i = 0; i < half.size(); ++i) half[i] = static_cast<uint8_t>(i * 3 + 1);
    return half;
}

TEST(DevportHid, OneVendorCollectionWithoutIdsTakesEveryReportWithIdZero) {
    ScriptedHid hid;
    hid.collections = {PlainVendor("vendor")};
    hid.featureAnswer["vendor"] = {0x80, 2, 3, 0, 0, 0, 0, 0x7A};
    HidCommandChannels mouse(hid);
    ASSERT_TRUE(mouse.OpenFeature(kVid, kPid));
    ASSERT_TRUE(mouse.OpenOutput(kVid, kPid));
    EXPECT_EQ(1, mouse.SetFeature(kOpenApply, 8));
    uint8_t answer[8];
    memcpy(answer, kFirmwareAsk, 8);
    EXPECT_EQ(1, mouse.GetFeature(answer, 8));
    EXPECT_EQ("80 02 03 00 00 00 00 7A", Hex(answer, 8));
    const std::vector<uint8_t> half = Half();
    EXPECT_EQ(1, mouse.Write(half.data(), 64));

    std::vector<uint8_t> out = {0};
    out.insert(out.end(), half.begin(), half.end());
    const std::vector<std::string> expected = {
        "open vendor",
        "open vendor",
        Frame("vendor", "set", {0, 0x01, 0x88, 0x02, 0, 0, 0, 0, 0x74}),
        Frame("vendor", "get", {0, 0x80, 0, 0, 0, 0, 0, 0, 0x7F}),
        Frame("vendor", "write", out),
    };
    EXPECT_EQ(expected, hid.log);
}

// Feature ids 0x01 and 0x80 of 8 bytes and 0x07 of 2; output id 3; input
// id 2 carries events, id 9 something else.
TEST(DevportHid, NumberedReportsAreFramedWithTheirIdsAndOnlyTheEventIdBecomesEvents) {
    ScriptedHid hid;
    hid.collections = {Collection("numbered", 0xFF01, Reports(9, {{2, 4}, {9, 8}}),
                                  Reports(65, {{3, 64}}),
                                  Reports(9, {{0x07, 2}, {0x01, 8}, {0x80, 8}}))};
    HidCommandChannels mouse(hid);
    ASSERT_TRUE(mouse.OpenFeature(kVid, kPid));
    ASSERT_TRUE(mouse.OpenOutput(kVid, kPid));
    hid.log.clear();
    const uint8_t select[8] = {0x02, 0x01, 0, 0, 0, 0, 0, 0xFC};
    EXPECT_EQ(1, mouse.SetFeature(select, 8));        // no report 0x02: the first of 8 bytes
    EXPECT_EQ(1, mouse.SetFeature(kFirmwareAsk, 8));  // report 0x80 by its request code
    const std::vector<uint8_t> half = Half();
    EXPECT_EQ(1, mouse.Write(half.data(), 64));
    std::vector<uint8_t> out = {3};
    out.insert(out.end(), half.begin(), half.end());
    const std::vector<std::string> expected = {
        Frame("numbered", "set", {0x01, 0x02, 0x01, 0, 0, 0, 0, 0, 0xFC}),
        Frame("numbered", "set", {0x80, 0x80, 0, 0, 0, 0, 0, 0, 0x7F}),
        Frame("numbered", "write", out),
    };
    EXPECT_EQ(expected, hid.log);

    RecordedEvents sink;
    HidEventWatch events(hid, sink);
    ASSERT_TRUE(events.Refresh(kVid, kPid));
    hid.inputs["numbered"] = {
        Padded({9, 0x00, 0x40, 0x04, 0x00}, 9), Padded({2, 0x00, 0x40, 0x04, 0x00}, 9), {2, 0x01}};
    for (int i = 0; i < 4; ++i) events.OnReadDone();
    EXPECT_EQ(std::vector<std::string>{"4000 0004"}, sink.events);
    EXPECT_TRUE(events.Reading());
}

// A composite mouse: its keyboard collection is listed first, features and
// output share a vendor collection, its events come on another.
TEST(DevportHid, EachChannelTakesTheCollectionThatCarriesItPassingTheKeyboard) {
    ScriptedHid hid;
    const HidCollection keyboard = Collection("keyboard", 0x0001, Reports(9, {{0, 8}}),
                                              Reports(65, {{0, 64}}), Reports(9, {{0, 8}}));
    const HidCollection commands = Collection("commands", 0xFF00, Reports(0, {}),
                                              Reports(65, {{0, 64}}), Reports(9, {{0, 8}}));
    const HidCollection consumer =
        Collection("consumer", 0x000C, Reports(3, {{0, 2}}), Reports(0, {}), Reports(0, {}));
    const HidCollection events =
        Collection("events", 0xFF02, Reports(6, {{5, 4}}), Reports(0, {}), Reports(0, {}));
    hid.collections = {keyboard, commands, consumer, events};

    const MouseChannels chosen = ChooseChannels(hid.collections, kVid, kPid);
    EXPECT_EQ(1, chosen.feature.collection);
    EXPECT_EQ(1, chosen.output.collection);
    EXPECT_EQ(3, chosen.events.collection);

    HidCommandChannels mouse(hid);
    ASSERT_TRUE(mouse.OpenFeature(kVid, kPid));
    EXPECT_EQ(1, mouse.SetFeature(kOpenApply, 8));
    EXPECT_EQ(Frame("commands", "set", {0, 0x01, 0x88, 0x02, 0, 0, 0, 0, 0x74}), hid.log.back());

    RecordedEvents sink;
    HidEventWatch watch(hid, sink);
    ASSERT_TRUE(watch.Refresh(kVid, kPid));
    hid.inputs["events"] = {{5, 0x00, 0x08, 0x02, 0x00, 0}};
    watch.OnReadDone();
    EXPECT_EQ(std::vector<std::string>{"0800 0002"}, sink.events);

    // Another mouse of the same kind never lends this one a channel.
    HidCollection otherEvents = events;
    otherEvents.path = "other mouse";
    otherEvents.device = "{second}";
    hid.collections = {otherEvents, keyboard, commands};
    for (HidCollection& c : hid.collections) {
        if (c.device.empty()) c.device = "{first}";
    }
    EXPECT_FALSE(ChooseChannels(hid.collections, kVid, kPid).events.found());
}

TEST(DevportHid, ReportsTooShortAreRefusedAndSaidWhy) {
    ScriptedHid hid;
    hid.collections = {Collection("short", 0xFF00, Reports(5, {{0, 4}}), Reports(33, {{0, 32}}),
                                  Reports(9, {{0, 8}}))};
    HidCommandChannels mouse(hid);
    EXPECT_FALSE(mouse.OpenOutput(kVid, kPid));
    EXPECT_FALSE(mouse.OpenFeature(kVid, kPid));
    const std::string report = DescribeCollections(hid.collections, kVid, kPid);
    EXPECT_NE(std::string::npos, report.find("output reports of 32 bytes, 64 needed")) << report;
    EXPECT_NE(std::string::npos, report.find("not found")) << report;

    // A call longer than the collection's report never reaches it.
    hid.collections = {PlainVendor("vendor")};
    ASSERT_TRUE(mouse.OpenFeature(kVid, kPid));
    hid.log.clear();
    const uint8_t nine[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_EQ(0, mouse.SetFeature(nine, 9));
    uint8_t twelve[12] = {0x80};
    EXPECT_EQ(0, mouse.GetFeature(twelve, 12));
    EXPECT_TRUE(hid.log.empty());
}

TEST(DevportHid, AWriteThatNeverCompletesFailsAndTheNextReportStillGoes) {
    ScriptedHid hid;
    hid.collections = {PlainVendor("vendor")};
    HidCommandChannels mouse(hid);
    ASSERT_TRUE(mouse.OpenOutput(kVid, kPid));
    ASSERT_TRUE(mouse.OpenFeature(kVid, kPid));
    hid.log.clear();
    hid.hungWrites.insert("vendor");
    const std::vector<uint8_t> half = Half();
    EXPECT_EQ(0, mouse.Write(half.data(), 64));
    hid.hungWrites.clear();
    EXPECT_EQ(1, mouse.SetFeature(kOpenApply, 8));
    ASSERT_EQ(2u, hid.log.size());  // given up once, never sent again
    EXPECT_EQ(0u, hid.log[0].find("write (timed out) vendor 00 01 04"));
    EXPECT_EQ(0u, hid.log[1].find("set vendor 00 01 88"));
}

TEST(DevportHid, AMouseRemovedDuringAReadEndsTheReadingAndIsReportedGone) {
    ScriptedHid hid;
    hid.collections = {PlainVendor("vendor")};
    RecordedEvents sink;
    HidEventWatch watch(hid, sink);
    MouseSources sources;
    sources.hidPresent = watch.Refresh(kVid, kPid);
    PresenceReport presence(sources);
    ASSERT_TRUE(watch.Reading());

    // Pulled out with a read pending: the read fails, no event comes of it.
    hid.failingReads.insert("vendor");
    watch.OnReadDone();
    EXPECT_FALSE(watch.Reading());
    EXPECT_EQ(nullptr, watch.Waitable());
    hid.collections.clear();
    sources.hidPresent = watch.Refresh(kVid, kPid);
    EXPECT_EQ(PresenceMessage::kRemoval, presence.Update(sources));

    // Plugged in again: reading starts afresh.
    hid.failingReads.clear();
    hid.collections = {PlainVendor("vendor")};
    sources.hidPresent = watch.Refresh(kVid, kPid);
    EXPECT_EQ(PresenceMessage::kArrival, presence.Update(sources));
    hid.inputs["vendor"] = {{0, 0x00, 0x40, 0x01, 0x00}};
    watch.OnReadDone();
    EXPECT_EQ(std::vector<std::string>{"4000 0001"}, sink.events);
    EXPECT_TRUE(watch.Reading());
}

}  // namespace
}  // namespace devport
}  // namespace kestra
