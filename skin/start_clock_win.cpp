#include "skin/start_clock_win.h"

#include <cstdio>

namespace kestra {
namespace {

constexpr int kMaxMarks = 64;
constexpr int kMaxDepth = 32;

const char* const kPhaseNames[] = {"other",  "language", "settings", "skin-files",
                                   "images", "outlines", "windows"};
static_assert(sizeof kPhaseNames / sizeof kPhaseNames[0] == static_cast<int>(StartPhase::kCount),
              "a name for every phase");

struct Clock {
    DWORD thread = 0;
    struct Mark {
        const char* name;
        LONGLONG ticks;
    };
    Mark marks[kMaxMarks] = {};
    int markCount = 0;
    LONGLONG phaseTicks[static_cast<int>(StartPhase::kCount)] = {};
    StartPhase stack[kMaxDepth] = {};
    int depth = 0;       // phases open; none open counts as kOther
    LONGLONG since = 0;  // when the innermost open phase (or kOther) last resumed
};

Clock& TheClock() {
    static Clock clock;
    return clock;
}

LONGLONG Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// The first thread that asks is the one timed; the others leave no trace.
bool OnClockThread(Clock& clock) {
    const DWORD self = GetCurrentThreadId();
    if (clock.thread == 0) {
        clock.thread = self;
        clock.since = Now();
    }
    return clock.thread == self;
}

int Top(const Clock& clock) {
    return static_cast<int>(clock.depth > 0 ? clock.stack[clock.depth - 1] : StartPhase::kOther);
}

}  // namespace

void StartMark(const char* name) {
    Clock& clock = TheClock();
    if (!OnClockThread(clock) || clock.markCount >= kMaxMarks) return;
    clock.marks[clock.markCount++] = {name, Now()};
}

StartPhaseScope::StartPhaseScope(StartPhase phase) {
    Clock& clock = TheClock();
    counted_ = OnClockThread(clock) && clock.depth < kMaxDepth;
    if (!counted_) return;
    const LONGLONG now = Now();
    clock.phaseTicks[Top(clock)] += now - clock.since;
    clock.stack[clock.depth++] = phase;
    clock.since = now;
}

StartPhaseScope::~StartPhaseScope() {
    if (!counted_) return;
    Clock& clock = TheClock();
    const LONGLONG now = Now();
    clock.phaseTicks[Top(clock)] += now - clock.since;
    --clock.depth;
    clock.since = now;
}

void WriteStartTimes() {
    char path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("KESTRA_START_TIMES", path, sizeof path);
    if (length == 0 || length >= sizeof path) return;
    Clock& clock = TheClock();
    if (!OnClockThread(clock)) return;
    // The phase open now has run until this moment.
    const LONGLONG now = Now();
    clock.phaseTicks[Top(clock)] += now - clock.since;
    clock.since = now;
    FILE* file = fopen(path, "w");
    if (file == nullptr) return;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    fprintf(file, "frequency %lld\n", static_cast<long long>(frequency.QuadPart));
    for (int i = 0; i < clock.markCount; ++i) {
        fprintf(file, "mark %s %lld\n", clock.marks[i].name,
                static_cast<long long>(clock.marks[i].ticks));
    }
    for (int i = 0; i < static_cast<int>(StartPhase::kCount); ++i) {
        fprintf(file, "phase %s %.1f\n", kPhaseNames[i],
                1000.0 * static_cast<double>(clock.phaseTicks[i]) /
                    static_cast<double>(frequency.QuadPart));
    }
    fclose(file);
}

}  // namespace kestra
