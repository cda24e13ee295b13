// The overlapped calls under devport's HID files, on pipes that play a mouse
// which stops reading or goes away: a call given up is over for the system
// too when it returns.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "devport/overlapped_io_win.h"

namespace kestra {
namespace devport {
namespace {

constexpr DWORD kQuota = 4096;

// A pipe whose server end takes at most kQuota bytes unread; the client end
// is opened for overlapped use, as devport opens a mouse.
struct PipePair {
    HANDLE server = INVALID_HANDLE_VALUE;
    HANDLE client = INVALID_HANDLE_VALUE;
    explicit PipePair(DWORD clientAccess) {
        const std::string name =
            "\\\\.\\pipe\\KestraOverlappedTest" + std::to_string(GetCurrentProcessId());
        server = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                  kQuota, kQuota, 0, nullptr);
        client = CreateFileA(name.c_str(), clientAccess, 0, nullptr, OPEN_EXISTING,
                             FILE_FLAG_OVERLAPPED, nullptr);
    }
    ~PipePair() {
        if (client != INVALID_HANDLE_VALUE) CloseHandle(client);
        if (server != INVALID_HANDLE_VALUE) CloseHandle(server);
    }
    DWORD Waiting() const {
        DWORD available = 0;
        PeekNamedPipe(server, nullptr, 0, nullptr, &available, nullptr);
        return available;
    }
};

TEST(OverlappedIo, AWriteThatNeverCompletesIsOverWhenItReturns) {
    PipePair pipe(GENERIC_READ | GENERIC_WRITE);
    ASSERT_NE(INVALID_HANDLE_VALUE, pipe.server);
    ASSERT_NE(INVALID_HANDLE_VALUE, pipe.client);
    OverlappedIo io(pipe.client);
    io.buffer().assign(64 * kQuota, 0x5A);  // far more than the reader takes
    ASSERT_NE(IoResult::kFailed, io.StartWrite(io.buffer().size()));

    const DWORD started = GetTickCount();
    DWORD written = 0;
    EXPECT_EQ(IoResult::kTimedOut, io.Finish(200, &written));
    EXPECT_LT(GetTickCount() - started, 3000u);
    EXPECT_FALSE(io.inFlight());

    // Nothing of it arrives after the return: what waits now is all there is.
    const DWORD waiting = pipe.Waiting();
    Sleep(300);
    EXPECT_EQ(waiting, pipe.Waiting());
    EXPECT_LT(waiting, io.buffer().size());

    // The slot takes the next write.
    std::string drain(waiting + 1, '\0');
    DWORD got = 0;
    if (waiting > 0) ReadFile(pipe.server, &drain[0], waiting, &got, nullptr);
    io.buffer().assign(16, 0x33);
    ASSERT_NE(IoResult::kFailed, io.StartWrite(16));
    EXPECT_EQ(IoResult::kDone, io.Finish(1000, &written));
    EXPECT_EQ(16u, written);
    Sleep(100);
    EXPECT_EQ(16u, pipe.Waiting());  // and nothing of the first with it
}

TEST(OverlappedIo, AReadPendingWhenTheOtherEndGoesEndsInFailure) {
    PipePair pipe(GENERIC_READ | GENERIC_WRITE);
    OverlappedIo io(pipe.client);
    ASSERT_EQ(IoResult::kPending, io.StartRead(65));
    DWORD got = 0;
    EXPECT_EQ(IoResult::kPending, io.Poll(&got));
    // Pulled out: the pending read ends, in failure, and wakes its waiter.
    CloseHandle(pipe.server);
    pipe.server = INVALID_HANDLE_VALUE;
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(io.event(), 2000));
    EXPECT_EQ(IoResult::kFailed, io.Poll(&got));
    EXPECT_FALSE(io.inFlight());
}

}  // namespace
}  // namespace devport
}  // namespace kestra
