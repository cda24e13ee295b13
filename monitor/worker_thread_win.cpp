#include "monitor/worker_thread_win.h"

namespace kestra {
namespace {

// The address space a thread's stack may take. The default is the
// program's 2 MiB, which Wine commits whole for every thread; the jobs here
// (reports, injected input) need a small part of it.
constexpr DWORD kStackReserve = 256 * 1024;

struct Locked {
    explicit Locked(CRITICAL_SECTION& lock) : lock_(lock) { EnterCriticalSection(&lock_); }
    ~Locked() { LeaveCriticalSection(&lock_); }
    CRITICAL_SECTION& lock_;
};

}  // namespace

WorkerThread::WorkerThread(Handler handler, void* context, DWORD lingerMs)
    : handler_(handler), context_(context), lingerMs_(lingerMs) {
    InitializeCriticalSection(&lock_);
    ready_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

WorkerThread::~WorkerThread() {
    Stop();
    if (ready_) CloseHandle(ready_);
    DeleteCriticalSection(&lock_);
}

bool WorkerThread::Post(UINT message, WPARAM wParam, LPARAM lParam) {
    Locked locked(lock_);
    if (threadId_ == 0) {
        // A thread that ended on its own is joined before the next starts,
        // so that two never run.
        if (thread_) {
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
            thread_ = nullptr;
        }
        if (!ready_) return false;
        DWORD id = 0;
        thread_ = CreateThread(nullptr, kStackReserve, &WorkerThread::Run, this,
                               STACK_SIZE_PARAM_IS_A_RESERVATION, &id);
        if (!thread_) return false;
        // Its queue exists once it signals: nothing posted now is lost.
        WaitForSingleObject(ready_, INFINITE);
        threadId_ = id;
    }
    return PostThreadMessageA(threadId_, message, wParam, lParam) != FALSE;
}

void WorkerThread::Stop() {
    HANDLE thread = nullptr;
    {
        Locked locked(lock_);
        if (threadId_ != 0) PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        threadId_ = 0;
        thread = thread_;
        thread_ = nullptr;
    }
    if (!thread) return;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

bool WorkerThread::running() {
    Locked locked(lock_);
    return threadId_ != 0;
}

bool WorkerThread::EndIfIdle() {
    Locked locked(lock_);
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) return false;
    threadId_ = 0;
    return true;
}

DWORD WINAPI WorkerThread::Run(LPVOID p) {
    WorkerThread* self = static_cast<WorkerThread*>(p);
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    SetEvent(self->ready_);
    for (;;) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return 0;
            if (msg.hwnd == nullptr) self->handler_(self->context_, msg.message, msg.wParam, msg.lParam);
            continue;
        }
        const DWORD woken =
            MsgWaitForMultipleObjects(0, nullptr, FALSE, self->lingerMs_, QS_ALLPOSTMESSAGE);
        if (woken == WAIT_TIMEOUT && self->EndIfIdle()) return 0;
    }
}

}  // namespace kestra
