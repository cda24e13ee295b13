// A worker thread that exists only while it has work: the first message
// posted starts it, and it ends after `lingerMs` without a message. Its
// messages are handled one at a time, in the order they were posted, on
// whichever thread of it is current, never two at once. An idle Monitor
// thus holds no thread (and, under Wine, no megabyte of stack) for work it
// is not doing.
#pragma once

#include <windows.h>

namespace kestra {

class WorkerThread {
public:
    using Handler = void (*)(void* context, UINT message, WPARAM wParam, LPARAM lParam);
    WorkerThread(Handler handler, void* context, DWORD lingerMs);
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // False when no thread could be started for it.
    bool Post(UINT message, WPARAM wParam, LPARAM lParam);
    // Lets the messages already posted finish (a quit comes after them) and
    // waits for the end, without limit: a handler never shows a window,
    // whose end may wait on the very thread that waits here.
    void Stop();
    // Whether a thread exists right now (for tests and measurements).
    bool running();

private:
    static DWORD WINAPI Run(LPVOID self);
    // Ends the thread unless a message came in the meantime.
    bool EndIfIdle();

    const Handler handler_;
    void* const context_;
    const DWORD lingerMs_;
    CRITICAL_SECTION lock_;
    HANDLE thread_ = nullptr;  // the last thread started, until joined
    DWORD threadId_ = 0;       // 0 once that thread no longer takes messages
    HANDLE ready_ = nullptr;
};

}  // namespace kestra
