// devport.dll's way to the virtual mouse: report channels that behave like
// the HID ones, and the subscription that brings its events and plugging.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "vmouse/message_pipe_win.h"

namespace kestra {
namespace devport {

enum class VirtualOpen { kNotRunning, kUnplugged, kOpened };

class VirtualChannel {
public:
    // `channel` is vmouse::kChannelFeature or kChannelReport.
    explicit VirtualChannel(uint8_t channel) : channel_(channel) {}
    // Opens afresh, also when already open: a channel from before an unplug
    // must not pass for an open one.
    VirtualOpen Open();
    bool IsOpen() const { return pipe_.IsOpen(); }
    void Close() { pipe_.Close(); }
    // One report; 1 when the mouse took it, 0 otherwise. A GetFeature
    // answer (8 bytes) goes to `answer`.
    int Send(uint8_t type, const unsigned char* bytes, int length, uint8_t* answer = nullptr);

private:
    vmouse::MessagePipe pipe_;
    uint8_t channel_;
    uint32_t generation_ = 0;
};

// The monitor thread's end: pushes of events and presence.
class VirtualWatch {
public:
    // False when no virtual mouse runs.
    bool Connect(bool* plugged);
    bool Connected() const { return pipe_.IsOpen(); }
    HANDLE Event() const { return pipe_.ReadEvent(); }
    // After Event() was signalled: true with a push. Connected() is false
    // afterwards when the virtual mouse went away.
    bool Take(std::vector<uint8_t>* push);
    void Close() { pipe_.Close(); }

private:
    vmouse::MessagePipe pipe_;
};

}  // namespace devport
}  // namespace kestra
