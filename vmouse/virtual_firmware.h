// The virtual mouse's firmware: checks and decodes every report the way the
// mouse takes them, keeps what they set, and records each report in the
// order it arrived. No Win32 here: the pipe server only feeds it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/device_commands.h"
#include "device/report_link.h"
#include "settings/settings_record.h"

namespace kestra {
namespace vmouse {

constexpr int kMacroSlots = kProfileCount * kButtonCount;  // slots 1..80

enum class ReportKind : uint8_t { kSet, kGet, kOut };

struct LoggedReport {
    ReportKind kind;
    std::vector<uint8_t> bytes;
};

// "set 01 88 02 00 00 00 00 74": the kind, then every byte as two upper-case
// hex digits, separated by single spaces.
std::string FormatLogLine(const LoggedReport& report);

// Every report received since start (or the last clear), oldest first. The
// log stops growing at `limit` entries and counts what it had to drop, so a
// demonstration left running for days cannot exhaust memory. The default
// holds some 350 full applies; its text (about 20 MB) still fits in one
// answer of the 32-bit program.
constexpr size_t kDefaultLogLimit = 100000;

class ReportLog {
public:
    explicit ReportLog(size_t limit = kDefaultLogLimit) : limit_(limit) {}
    void Add(ReportKind kind, const uint8_t* bytes, size_t length);
    void Clear();
    const std::vector<LoggedReport>& Entries() const { return entries_; }
    size_t Dropped() const { return dropped_; }
    // One line per report, each ending in '\n'.
    std::string Text() const;

private:
    size_t limit_;
    size_t dropped_ = 0;
    std::vector<LoggedReport> entries_;
};

struct ProfileState {
    uint8_t interval = 0;  // report interval in ms; 0 until set
    uint8_t cpiLevel = 0;  // active CPI level 1..5; 0 until set
    bool hasConfig = false;
    DeviceBlock config{};
    bool hasTable = false;
    DeviceBlock table{};
};

struct FirmwareState {
    int activeProfile = 1;  // 1..5
    ProfileState profiles[kProfileCount];
    bool hasMacro[kMacroSlots] = {};
    DeviceBlock macros[kMacroSlots] = {};
    uint8_t major = 2;
    uint8_t minor = 3;
    unsigned applyOpenings = 0;  // command 0x01 received
    unsigned rejected = 0;       // reports refused by the checks below
    unsigned incompleteBlocks = 0;
};

class VirtualFirmware {
public:
    VirtualFirmware(uint8_t major = 2, uint8_t minor = 3);

    // Each returns false when the mouse refuses the report: wrong length,
    // wrong check byte, unknown command, a parameter out of range (bytes
    // without a parameter must be 0), or an output report that no block
    // command announced. Refused reports are logged all the same and change
    // no setting. Any feature report, refused or not, ends a block still
    // waiting for its second half: that block is dropped and counted.
    bool SetFeature(const uint8_t* bytes, size_t length);
    // `bytes` holds the request; on success `answer` gets the 8-byte reply.
    bool GetFeature(const uint8_t* bytes, size_t length, uint8_t answer[kFeatureReportSize]);
    bool WriteOutput(const uint8_t* bytes, size_t length);

    void SetVersion(uint8_t major, uint8_t minor);
    // The mouse reports a change made on itself (a profile, level or report
    // rate chosen with its own buttons): its state follows, as the real
    // mouse's does. Other events change nothing here.
    void NoteOwnChange(uint16_t code, uint16_t value);
    const FirmwareState& State() const { return state_; }
    ReportLog& Log() { return log_; }
    const ReportLog& Log() const { return log_; }

private:
    enum class Target { kNone, kConfig, kTable, kMacro };
    bool Accept(const uint8_t* bytes);
    void DropPendingBlock();

    FirmwareState state_;
    ReportLog log_;
    Target pending_ = Target::kNone;
    int pendingIndex_ = 0;  // profile 0..4 or macro slot 0..79
    int pendingHalves_ = 0;
    DeviceBlock pendingBlock_{};
};

// What the pipe server knows beyond the firmware: plugging, and how often
// the library opened each channel (successful opens since start).
struct LinkState {
    bool plugged = true;
    unsigned featureOpens = 0;
    unsigned reportOpens = 0;
    // Reports that came while unplugged, or on a channel of an earlier plug:
    // none reach the firmware or the log.
    unsigned reportsWhileUnplugged = 0;
    // `vmouse refuse on`: plugged in, yet every report is refused unseen.
    bool refusing = false;
    unsigned reportsRefusedWhileSilent = 0;
    // Subscriptions since start: each is a library that took this mouse as
    // its device.
    unsigned librarySubscriptions = 0;
};

// The state as a person reads it.
std::string DescribeState(const VirtualFirmware& firmware, const LinkState& link);

}  // namespace vmouse
}  // namespace kestra
