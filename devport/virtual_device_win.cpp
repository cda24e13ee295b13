#include "devport/virtual_device_win.h"

#include "vmouse/vmouse_wire.h"

namespace kestra {
namespace devport {

namespace {

using namespace kestra::vmouse;

// Short enough that a hung virtual mouse cannot stall Monitor for long, and
// the channel is closed after the first one, so it is paid once.
constexpr DWORD kConnectMs = 500;
constexpr DWORD kReportMs = 1000;
constexpr size_t kMaxAnswer = 64;
// Longer reports are refused here, as the HID transport cuts them to the
// collection's length; they never reach the mouse.
constexpr int kMaxReportBytes = 256;

}  // namespace

VirtualOpen VirtualChannel::Open() {
    pipe_.Close();
    if (!pipe_.Connect(kConnectMs)) return VirtualOpen::kNotRunning;
    std::vector<uint8_t> answer;
    const std::vector<uint8_t> request = {kReqOpenChannel, channel_};
    if (!pipe_.Transact(request, &answer, kMaxAnswer, kReportMs)) {
        return VirtualOpen::kNotRunning;
    }
    if (answer[0] != kOk || !GetU32(answer, 1, &generation_)) {
        pipe_.Close();
        return VirtualOpen::kUnplugged;
    }
    return VirtualOpen::kOpened;
}

int VirtualChannel::Send(uint8_t type, const unsigned char* bytes, int length, uint8_t* answer) {
    if (!pipe_.IsOpen() || !bytes || length <= 0 || length > kMaxReportBytes) return 0;
    std::vector<uint8_t> reply;
    if (!pipe_.Transact(ReportRequest(static_cast<Request>(type), generation_, bytes,
                                      static_cast<size_t>(length)),
                        &reply, kMaxAnswer, kReportMs)) {
        return 0;  // the pipe is closed now: the mouse is gone
    }
    if (reply[0] == kUnplugged) {
        // As a handle to a removed device: dead until opened again.
        pipe_.Close();
        return 0;
    }
    if (reply[0] != kOk) return 0;
    if (answer) {
        if (reply.size() < 1 + 8) return 0;
        for (int i = 0; i < 8; ++i) answer[i] = reply[1 + i];
    }
    return 1;
}

bool VirtualWatch::Connect(bool* plugged) {
    if (!pipe_.Connect(kConnectMs)) return false;
    std::vector<uint8_t> answer;
    if (!pipe_.Transact(std::vector<uint8_t>(1, kReqSubscribe), &answer, kMaxAnswer, kReportMs) ||
        answer.size() < 2 || answer[0] != kOk) {
        pipe_.Close();
        return false;
    }
    *plugged = answer[1] != 0;
    if (!pipe_.BeginRead()) return false;
    return true;
}

bool VirtualWatch::Take(std::vector<uint8_t>* push) {
    if (!pipe_.FinishRead(push, kMaxAnswer)) return false;
    // The next read; when the pipe broke, Connected() tells it afterwards.
    pipe_.BeginRead();
    return true;
}

}  // namespace devport
}  // namespace kestra
