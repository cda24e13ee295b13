// Monitor's worker threads: started by the first job, ended when idle,
// never two at once, and stopped only after the jobs already posted.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <vector>

#include "monitor/worker_thread_win.h"

namespace kestra {
namespace {

struct Jobs {
    std::vector<WPARAM> done;
    std::vector<DWORD> threads;
    std::atomic<int> running{0};
    std::atomic<int> overlaps{0};
    DWORD jobMs = 0;

    static void Handle(void* p, UINT message, WPARAM wParam, LPARAM) {
        Jobs* self = static_cast<Jobs*>(p);
        if (message != WM_APP) return;
        if (self->running.fetch_add(1) != 0) self->overlaps++;
        Sleep(self->jobMs);
        self->done.push_back(wParam);
        self->threads.push_back(GetCurrentThreadId());
        self->running.fetch_sub(1);
    }
};

bool WaitFor(const std::function<bool()>& condition, DWORD ms) {
    for (DWORD begin = GetTickCount(); GetTickCount() - begin < ms; Sleep(5))
        if (condition()) return true;
    return condition();
}

TEST(WorkerThread, RunsJobsInOrderOnOneThreadAndEndsWhenIdle) {
    Jobs jobs;
    jobs.jobMs = 20;
    WorkerThread worker(&Jobs::Handle, &jobs, 150);
    EXPECT_FALSE(worker.running());
    for (WPARAM i = 1; i <= 5; ++i) ASSERT_TRUE(worker.Post(WM_APP, i, 0));
    ASSERT_TRUE(WaitFor([&] { return jobs.done.size() == 5; }, 5000));
    EXPECT_EQ((std::vector<WPARAM>{1, 2, 3, 4, 5}), jobs.done);
    EXPECT_EQ(jobs.threads.front(), jobs.threads.back());
    EXPECT_NE(GetCurrentThreadId(), jobs.threads.front());

    // Idle past its linger, it is gone; the next job brings a new one.
    ASSERT_TRUE(WaitFor([&] { return !worker.running(); }, 5000));
    // Posts racing the end of the last thread are all taken, one at a time.
    for (int round = 0; round < 20; ++round) {
        ASSERT_TRUE(worker.Post(WM_APP, 10 + round, 0));
        Sleep(140 + round % 3 * 10);
    }
    ASSERT_TRUE(WaitFor([&] { return jobs.done.size() == 25; }, 5000));
    EXPECT_EQ(0, jobs.overlaps.load());
    EXPECT_EQ(29u, jobs.done.back());
}

TEST(WorkerThread, StopLetsThePostedJobsFinish) {
    Jobs jobs;
    jobs.jobMs = 300;
    WorkerThread worker(&Jobs::Handle, &jobs, 30000);
    ASSERT_TRUE(worker.Post(WM_APP, 1, 0));
    ASSERT_TRUE(worker.Post(WM_APP, 2, 0));
    ASSERT_TRUE(WaitFor([&] { return jobs.running.load() == 1; }, 5000));
    worker.Stop();
    EXPECT_EQ((std::vector<WPARAM>{1, 2}), jobs.done);
    EXPECT_FALSE(worker.running());
    // A stopped worker starts again for new work.
    jobs.jobMs = 0;
    ASSERT_TRUE(worker.Post(WM_APP, 3, 0));
    EXPECT_TRUE(WaitFor([&] { return jobs.done.size() == 3; }, 5000));
}

}  // namespace
}  // namespace kestra
