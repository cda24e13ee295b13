#include "devport/overlapped_io_win.h"

namespace kestra {
namespace devport {

namespace {

// A driver completes a cancelled request at once; this only bounds the wait
// for one that does not, whose slot is then kept rather than freed.
constexpr DWORD kCancelLimitMs = 2000;

}  // namespace

OverlappedIo::OverlappedIo(HANDLE handle)
    : handle_(handle), event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

OverlappedIo::~OverlappedIo() {
    if (inFlight_) Cancel(kCancelLimitMs);
    if (event_) CloseHandle(event_);
}

IoResult OverlappedIo::Started(BOOL ok) {
    if (ok) {
        inFlight_ = true;  // the event is set as well; Finish takes the count
        return IoResult::kDone;
    }
    if (GetLastError() == ERROR_IO_PENDING) {
        inFlight_ = true;
        return IoResult::kPending;
    }
    return IoResult::kFailed;
}

IoResult OverlappedIo::StartWrite(size_t length) {
    if (inFlight_ || !event_ || length > buffer_.size()) return IoResult::kFailed;
    overlapped_ = OVERLAPPED();
    overlapped_.hEvent = event_;
    ResetEvent(event_);
    return Started(
        WriteFile(handle_, buffer_.data(), static_cast<DWORD>(length), nullptr, &overlapped_));
}

IoResult OverlappedIo::StartRead(size_t length) {
    if (inFlight_ || !event_) return IoResult::kFailed;
    if (buffer_.size() < length) buffer_.resize(length);
    overlapped_ = OVERLAPPED();
    overlapped_.hEvent = event_;
    ResetEvent(event_);
    return Started(
        ReadFile(handle_, buffer_.data(), static_cast<DWORD>(length), nullptr, &overlapped_));
}

IoResult OverlappedIo::StartControl(DWORD code, size_t length, bool answerInBuffer) {
    if (inFlight_ || !event_ || length > buffer_.size()) return IoResult::kFailed;
    overlapped_ = OVERLAPPED();
    overlapped_.hEvent = event_;
    ResetEvent(event_);
    const DWORD size = static_cast<DWORD>(length);
    return Started(DeviceIoControl(handle_, code, buffer_.data(), size,
                                   answerInBuffer ? buffer_.data() : nullptr,
                                   answerInBuffer ? size : 0, nullptr, &overlapped_));
}

IoResult OverlappedIo::Completed(BOOL ok) {
    inFlight_ = false;
    return ok ? IoResult::kDone : IoResult::kFailed;
}

IoResult OverlappedIo::Finish(DWORD timeoutMs, DWORD* transferred) {
    *transferred = 0;
    if (!inFlight_) return IoResult::kFailed;
    if (WaitForSingleObject(event_, timeoutMs) != WAIT_OBJECT_0) {
        Cancel(kCancelLimitMs);
        return IoResult::kTimedOut;
    }
    const BOOL ok = GetOverlappedResult(handle_, &overlapped_, transferred, FALSE);
    return Completed(ok);
}

IoResult OverlappedIo::Poll(DWORD* transferred) {
    *transferred = 0;
    if (!inFlight_) return IoResult::kFailed;
    const BOOL ok = GetOverlappedResult(handle_, &overlapped_, transferred, FALSE);
    if (!ok && GetLastError() == ERROR_IO_INCOMPLETE) return IoResult::kPending;
    return Completed(ok);
}

bool OverlappedIo::Cancel(DWORD limitMs) {
    if (!inFlight_) return true;
    CancelIoEx(handle_, &overlapped_);
    // The event is set only once the system has finished with the record
    // and the buffer, cancelled or not.
    if (WaitForSingleObject(event_, limitMs) != WAIT_OBJECT_0) return false;
    DWORD ignored = 0;
    GetOverlappedResult(handle_, &overlapped_, &ignored, FALSE);
    inFlight_ = false;
    return true;
}

void OverlappedIo::Release(std::unique_ptr<OverlappedIo> slot) {
    if (!slot) return;
    if (slot->inFlight_ && !slot->Cancel(kCancelLimitMs)) {
        // The system may still write into it: it stays ours for good.
        slot.release();
    }
}

}  // namespace devport
}  // namespace kestra
