// One overlapped operation on a handle at a time, whose record, event and
// buffer outlive every call: a read or write that is cancelled is waited for
// until the system has let go of them, so that nothing is ever written into
// memory that is no longer ours.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace kestra {
namespace devport {

enum class IoResult { kDone, kPending, kFailed, kTimedOut };

class OverlappedIo {
public:
    // `handle` is borrowed and opened for overlapped use; it must stay open
    // while an operation is in flight.
    explicit OverlappedIo(HANDLE handle);
    // Cancels what is still in flight and waits for it; a slot that may
    // still be held (a closing handle, a driver slow to cancel) is ended
    // through Release instead.
    ~OverlappedIo();
    OverlappedIo(const OverlappedIo&) = delete;
    OverlappedIo& operator=(const OverlappedIo&) = delete;

    // The operation's data: filled before a write, read after a read.
    std::vector<uint8_t>& buffer() { return buffer_; }
    HANDLE event() const { return event_; }
    // An operation was started and the system has not let go of it yet.
    bool inFlight() const { return inFlight_; }

    // Each starts one operation on buffer()'s first `length` bytes; kFailed
    // when it could not start (or one is still in flight), else kPending or
    // kDone (Finish or Poll then tell the count).
    IoResult StartWrite(size_t length);
    IoResult StartRead(size_t length);
    // A control code whose input is the buffer and, when `answerInBuffer`,
    // whose answer comes back into it.
    IoResult StartControl(DWORD code, size_t length, bool answerInBuffer);

    // Waits up to `timeoutMs` for the started operation. On timeout it is
    // cancelled and waited for until the system has let go: kTimedOut.
    IoResult Finish(DWORD timeoutMs, DWORD* transferred);
    // Without waiting: kPending while it runs.
    IoResult Poll(DWORD* transferred);
    // Cancels an operation in flight and waits, at most `limitMs`, for the
    // system to let go; false when it has not (the slot must then be kept).
    bool Cancel(DWORD limitMs);

    // Ends a slot whose handle is closing or closed: one that the system
    // still holds after the cancel is kept alive for good, never freed.
    static void Release(std::unique_ptr<OverlappedIo> slot);

private:
    IoResult Started(BOOL ok);
    IoResult Completed(BOOL ok);

    HANDLE handle_;
    HANDLE event_;
    OVERLAPPED overlapped_ = {};
    std::vector<uint8_t> buffer_;
    bool inFlight_ = false;
};

}  // namespace devport
}  // namespace kestra
