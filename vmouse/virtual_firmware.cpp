#include "vmouse/virtual_firmware.h"

#include <cstdio>
#include <cstring>

namespace kestra {
namespace vmouse {

namespace {

const char* KindName(ReportKind kind) {
    switch (kind) {
        case ReportKind::kSet:
            return "set";
        case ReportKind::kGet:
            return "get";
        default:
            return "out";
    }
}

bool CheckByteMatches(const uint8_t* bytes) {
    return CheckByte(bytes) == bytes[7];
}

bool IsProfileByte(uint8_t b) {
    return b >= 1 && b <= kProfileCount;
}

// Parameter bytes each command uses after its command byte; the others up
// to the check byte must be 0.
int UsedParameters(uint8_t command) {
    switch (command) {
        case kCmdSelectProfile:
            return 1;
        case kCmdFirmwareVersion:
            return 0;
        default:
            return 2;
    }
}

bool UnusedBytesZero(const uint8_t* r, int used) {
    for (int i = 1 + used; i < kFeatureReportSize - 1; ++i) {
        if (r[i] != 0) return false;
    }
    return true;
}

void AppendHexRows(std::string& out, const DeviceBlock& block, const char* indent) {
    char digits[4];
    for (int row = 0; row < kBlockSize / 16; ++row) {
        out += indent;
        for (int i = 0; i < 16; ++i) {
            snprintf(digits, sizeof digits, i ? " %02X" : "%02X", block[row * 16 + i]);
            out += digits;
        }
        out += '\n';
    }
}

}  // namespace

std::string FormatLogLine(const LoggedReport& report) {
    std::string line = KindName(report.kind);
    char digits[4];
    for (uint8_t b : report.bytes) {
        snprintf(digits, sizeof digits, " %02X", b);
        line += digits;
    }
    return line;
}

void ReportLog::Add(ReportKind kind, const uint8_t* bytes, size_t length) {
    if (entries_.size() >= limit_) {
        ++dropped_;
        return;
    }
    entries_.push_back({kind, std::vector<uint8_t>(bytes, bytes + length)});
}

void ReportLog::Clear() {
    entries_.clear();
    dropped_ = 0;
}

std::string ReportLog::Text() const {
    std::string text;
    text.reserve(entries_.size() * 48);
    for (const LoggedReport& r : entries_) {
        text += FormatLogLine(r);
        text += '\n';
    }
    return text;
}

VirtualFirmware::VirtualFirmware(uint8_t major, uint8_t minor) {
    SetVersion(major, minor);
}

void VirtualFirmware::SetVersion(uint8_t major, uint8_t minor) {
    state_.major = major;
    state_.minor = minor;
}

void VirtualFirmware::DropPendingBlock() {
    if (pending_ != Target::kNone) ++state_.incompleteBlocks;
    pending_ = Target::kNone;
    pendingHalves_ = 0;
}

bool VirtualFirmware::SetFeature(const uint8_t* bytes, size_t length) {
    log_.Add(ReportKind::kSet, bytes, length);
    // Any feature report ends a block still waiting for its halves.
    DropPendingBlock();
    const bool ok = length == kFeatureReportSize && CheckByteMatches(bytes) && Accept(bytes);
    if (!ok) ++state_.rejected;
    return ok;
}

void VirtualFirmware::NoteOwnChange(uint16_t code, uint16_t value) {
    ProfileState& active = state_.profiles[state_.activeProfile - 1];
    if ((code & 0xFF00) == 0x0800 && value >= 1 && value <= kProfileCount) {
        state_.activeProfile = value;
    } else if ((code & 0xFF00) == 0x0700 && value >= 1 && value <= kCpiLevelCount) {
        active.cpiLevel = static_cast<uint8_t>(value);
    } else if (code == 0x01F2 && (value == 1 || value == 2 || value == 4 || value == 8)) {
        active.interval = static_cast<uint8_t>(value);
    }
}

bool VirtualFirmware::Accept(const uint8_t* r) {
    if (!UnusedBytesZero(r, UsedParameters(r[0]))) return false;
    switch (r[0]) {
        case kCmdOpenApply:
            if (r[1] != 0x88 || r[2] != 0x02) return false;
            ++state_.applyOpenings;
            return true;
        case kCmdSelectProfile:
            if (!IsProfileByte(r[1])) return false;
            state_.activeProfile = r[1];
            return true;
        case kCmdPollingRate:
            if (!IsProfileByte(r[1])) return false;
            if (r[2] != 1 && r[2] != 2 && r[2] != 4 && r[2] != 8) return false;
            state_.profiles[r[1] - 1].interval = r[2];
            return true;
        case kCmdCpiLevel:
            if (!IsProfileByte(r[1]) || r[2] < 1 || r[2] > kCpiLevelCount) return false;
            state_.profiles[r[1] - 1].cpiLevel = r[2];
            return true;
        case kCmdConfigBlock:
        case kCmdButtonTable:
            if (!IsProfileByte(r[1]) || r[2] != kBlockFollows) return false;
            pending_ = r[0] == kCmdConfigBlock ? Target::kConfig : Target::kTable;
            pendingIndex_ = r[1] - 1;
            return true;
        case kCmdMacro:
            if (r[1] < 1 || r[1] > kMacroSlots || r[2] != kBlockFollows) return false;
            pending_ = Target::kMacro;
            pendingIndex_ = r[1] - 1;
            return true;
        case kCmdFirmwareVersion:
            // Prepares the answer that the next read fetches.
            return true;
        default:
            return false;
    }
}

bool VirtualFirmware::GetFeature(const uint8_t* bytes, size_t length,
                                 uint8_t answer[kFeatureReportSize]) {
    log_.Add(ReportKind::kGet, bytes, length);
    DropPendingBlock();
    if (length != kFeatureReportSize || !CheckByteMatches(bytes) ||
        bytes[0] != kCmdFirmwareVersion || !UnusedBytesZero(bytes, 0)) {
        ++state_.rejected;
        return false;
    }
    const FeatureReport reply = MakeFeatureReport(kCmdFirmwareVersion, state_.major, state_.minor);
    memcpy(answer, reply.data(), kFeatureReportSize);
    return true;
}

bool VirtualFirmware::WriteOutput(const uint8_t* bytes, size_t length) {
    log_.Add(ReportKind::kOut, bytes, length);
    if (length != kOutputReportSize || pending_ == Target::kNone) {
        // A half of the wrong size spoils the block it belonged to.
        DropPendingBlock();
        ++state_.rejected;
        return false;
    }
    memcpy(pendingBlock_.data() + pendingHalves_ * kOutputReportSize, bytes, kOutputReportSize);
    if (++pendingHalves_ < 2) return true;
    switch (pending_) {
        case Target::kConfig:
            state_.profiles[pendingIndex_].config = pendingBlock_;
            state_.profiles[pendingIndex_].hasConfig = true;
            break;
        case Target::kTable:
            state_.profiles[pendingIndex_].table = pendingBlock_;
            state_.profiles[pendingIndex_].hasTable = true;
            break;
        default:
            state_.macros[pendingIndex_] = pendingBlock_;
            state_.hasMacro[pendingIndex_] = true;
            break;
    }
    pending_ = Target::kNone;
    pendingHalves_ = 0;
    return true;
}

std::string DescribeState(const VirtualFirmware& firmware, const LinkState& link) {
    const FirmwareState& s = firmware.State();
    const ReportLog& log = firmware.Log();
    std::string out;
    char line[160];
    snprintf(line, sizeof line, "firmware %u.%u\nplugged %s\nactive profile %d\n",
             static_cast<unsigned>(s.major), static_cast<unsigned>(s.minor),
             link.plugged ? "yes" : "no", s.activeProfile);
    out += line;
    snprintf(line, sizeof line, "channel opens: feature %u, report %u\n", link.featureOpens,
             link.reportOpens);
    out += line;
    snprintf(line, sizeof line, "reports while unplugged %u\n", link.reportsWhileUnplugged);
    out += line;
    snprintf(line, sizeof line, "refusing reports: %s, %u refused while silent\n",
             link.refusing ? "yes" : "no", link.reportsRefusedWhileSilent);
    out += line;
    snprintf(line, sizeof line, "library subscriptions: %u\n", link.librarySubscriptions);
    out += line;
    snprintf(line, sizeof line, "apply openings %u, refused reports %u, incomplete blocks %u\n",
             s.applyOpenings, s.rejected, s.incompleteBlocks);
    out += line;
    snprintf(line, sizeof line, "log %lu reports, %lu dropped when full\n",
             static_cast<unsigned long>(log.Entries().size()),
             static_cast<unsigned long>(log.Dropped()));
    out += line;
    for (int p = 0; p < kProfileCount; ++p) {
        const ProfileState& ps = s.profiles[p];
        std::string interval = ps.interval ? std::to_string(ps.interval) + " ms" : "not set";
        std::string level = ps.cpiLevel ? std::to_string(ps.cpiLevel) : "not set";
        snprintf(line, sizeof line, "profile %d: report interval %s, CPI level %s\n", p + 1,
                 interval.c_str(), level.c_str());
        out += line;
        out += ps.hasConfig ? "  config block:\n" : "  config block: not set\n";
        if (ps.hasConfig) AppendHexRows(out, ps.config, "    ");
        out += ps.hasTable ? "  button table:\n" : "  button table: not set\n";
        if (ps.hasTable) AppendHexRows(out, ps.table, "    ");
        for (int b = 0; b < kButtonCount; ++b) {
            const int slot = p * kButtonCount + b;
            if (!s.hasMacro[slot]) continue;
            snprintf(line, sizeof line, "  macro slot %d (button %d):\n", slot + 1, b + 1);
            out += line;
            AppendHexRows(out, s.macros[slot], "    ");
        }
    }
    return out;
}

}  // namespace vmouse
}  // namespace kestra
