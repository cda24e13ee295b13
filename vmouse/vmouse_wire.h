// The messages between devport.dll (and the vmouse command line) and the
// running virtual mouse. One request message, one answer message, over a
// message-mode named pipe; a subscribed connection then only carries the
// mouse's own messages (events and plugging) towards the library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestra {
namespace vmouse {

constexpr char kPipeName[] = "\\\\.\\pipe\\KestraVirtualMouse";
// A manual-reset event, set while a virtual mouse serves its pipe: the
// library waits on it instead of looking for the pipe again and again.
constexpr char kRunningEventName[] = "KestraVirtualMouseRunning";
// devport.dll opens the virtual mouse only in a process whose environment
// has this variable set to "1": a developer's or a test's, never a user's.
constexpr char kVirtualMouseVariable[] = "KESTRA_VIRTUAL_MOUSE";

// Request types: byte 0 of every request.
enum Request : uint8_t {
    kReqPing = 'R',
    kReqOpenChannel = 'O',  // channel (u8); answer: status, then the plug generation (u32)
    kReqSetFeature = 'S',   // generation (u32), then the report bytes
    kReqGetFeature = 'G',   // generation (u32), then the request bytes; answer: 8 bytes
    kReqWriteOutput = 'W',  // generation (u32), then the report bytes
    kReqSubscribe = 'N',    // answer: status, plugged (u8); then pushes follow
    kReqEvent = 'E',        // code (u16), value (u16)
    kReqPlug = 'P',
    kReqUnplug = 'U',
    kReqLog = 'L',  // answer: status, then the log text
    kReqClearLog = 'C',
    kReqState = 'T',     // answer: status, then the state text
    kReqFirmware = 'F',  // major (u8), minor (u8)
    kReqStop = 'X',      // answer: status, then the process id (u32)
    kReqUnplugAfter = 'A',  // count (u32): unplug once that many more reports arrived; 0 disarms
    kReqRefuse = 'Z',       // on (u8): while on, the plugged-in mouse refuses every report
};

// Which channel an open request opens: byte 1 of kReqOpenChannel.
enum Channel : uint8_t {
    kChannelFeature = 'f',
    kChannelReport = 'r',
};

// Pushes on a subscribed connection: byte 0.
enum Push : uint8_t {
    kPushEvent = 'e',     // code (u16), value (u16)
    kPushPresence = 'p',  // plugged (u8)
};

// Byte 0 of every answer.
enum Status : uint8_t {
    kFailed = 0,
    kOk = 1,
    kUnplugged = 2,  // also: a channel opened before the last unplug
    kBadRequest = 3,
};

// Longest message either side accepts; larger ones are cut off and refused.
constexpr size_t kMaxRequestBytes = 512;

inline void PutU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xFF));
}

// Little-endian reads that refuse to run past the end.
inline bool GetU16(const std::vector<uint8_t>& in, size_t at, uint16_t* v) {
    if (in.size() < at + 2) return false;
    *v = static_cast<uint16_t>(in[at] | (in[at + 1] << 8));
    return true;
}

inline bool GetU32(const std::vector<uint8_t>& in, size_t at, uint32_t* v) {
    if (in.size() < at + 4) return false;
    uint32_t r = 0;
    for (int i = 0; i < 4; ++i) r |= static_cast<uint32_t>(in[at + i]) << (8 * i);
    *v = r;
    return true;
}

// A report request: type, generation, the report's bytes as given.
inline std::vector<uint8_t> ReportRequest(Request type, uint32_t generation, const uint8_t* bytes,
                                          size_t length) {
    std::vector<uint8_t> out;
    out.push_back(type);
    PutU32(out, generation);
    out.insert(out.end(), bytes, bytes + length);
    return out;
}

inline std::vector<uint8_t> EventMessage(uint8_t type, uint16_t code, uint16_t value) {
    std::vector<uint8_t> out;
    out.push_back(type);
    PutU16(out, code);
    PutU16(out, value);
    return out;
}

}  // namespace vmouse
}  // namespace kestra
