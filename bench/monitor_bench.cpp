// Monitor's costs as a user meets them, measured on the staged programs with
// the virtual mouse in a fresh copy of the program folder:
//   monitor_bench footprint [idle seconds]  memory, handles and threads after
//                                           start, then its CPU while idle
//   monitor_bench latency [events]          mouse event to the first key it injects
//   monitor_bench macro [steps]             macro step timing error, with and
//                                           without the raised timer resolution
//   monitor_bench resident [idle seconds] [absent]
//                                           Monitor against an empty window
//                                           program of ours in the same session:
//                                           memory, threads, idle wake-ups; with
//                                           "absent", no mouse at all
//   monitor_bench switch [switches]         a bound program coming to the
//                                           foreground to Monitor's profile switch
// Run it from the build tree (it finds the program folder beside tests\).
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <memory>
#include <vector>

#include "monitor/input_win.h"
#include "monitor/macro_player.h"
#include "bench/process_sample_win.h"
#include "settings/ipc_names.h"
#include "tests/windows/e2e_harness_win.h"
#include "vmouse/message_pipe_win.h"
#include "vmouse/vmouse_wire.h"

namespace {

using namespace kestra;
using namespace kestra::e2e;

struct Spread {
    double median = 0;
    double worst = 0;
};

Spread SpreadOf(std::vector<double> values) {
    Spread s;
    if (values.empty()) return s;
    std::sort(values.begin(), values.end());
    s.median = values[values.size() / 2];
    s.worst = values.back();
    return s;
}

// The system with the mouse plugged in and its firmware check done.
bool StartSystem(ProgramFolder& folder, VirtualMouse& mouse, MonitorProgram& monitor) {
    if (!folder.ok() || !mouse.Start() || !monitor.Start()) return false;
    return WaitUntil(
        [&] {
            for (const std::string& line : mouse.Log())
                if (line.compare(0, 6, "get 80") == 0) return true;
            return false;
        },
        10000);
}

int Footprint(int idleSeconds) {
    ProgramFolder folder;
    VirtualMouse mouse(folder);
    MonitorProgram monitor(folder);
    if (!StartSystem(folder, mouse, monitor)) return 1;
    Sleep(2000);  // past the start: timers armed, threads waiting
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                                 monitor.process().id());
    if (!process) return 1;
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof memory);
    DWORD handles = 0;
    GetProcessHandleCount(process, &handles);
    int threads = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 thread = {};
    thread.dwSize = sizeof thread;
    if (Thread32First(snapshot, &thread)) {
        do {
            if (thread.th32OwnerProcessID == monitor.process().id()) ++threads;
        } while (Thread32Next(snapshot, &thread));
    }
    CloseHandle(snapshot);
    // Wine reports some of these only for the calling process: a zero is
    // "not reported", not a measurement.
    auto mib = [](SIZE_T bytes) {
        return bytes ? std::to_string(bytes / 1048576.0).substr(0, 5) + " MiB"
                     : std::string("not reported here");
    };
    printf("private bytes   %s\n", mib(memory.PrivateUsage).c_str());
    printf("committed       %s\n", mib(memory.PagefileUsage).c_str());
    printf("working set     %s\n", mib(memory.WorkingSetSize).c_str());
    if (handles) printf("handles         %lu\n", handles);
    else printf("handles         not reported here\n");
    printf("threads         %d\n", threads);

    FILETIME created, ended, kernelBefore, userBefore, kernelAfter, userAfter;
    GetProcessTimes(process, &created, &ended, &kernelBefore, &userBefore);
    const double begin = PreciseNowMs();
    Sleep(static_cast<DWORD>(idleSeconds) * 1000);
    GetProcessTimes(process, &created, &ended, &kernelAfter, &userAfter);
    const double wallMs = PreciseNowMs() - begin;
    auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               10000.0;
    };
    const double cpuMs =
        ms(kernelAfter) - ms(kernelBefore) + ms(userAfter) - ms(userBefore);
    if (cpuMs > 0) {
        printf("idle CPU        %.1f ms over %.0f s (%.3f %% of one core)\n", cpuMs,
               wallMs / 1000, 100.0 * cpuMs / wallMs);
    } else {
        printf("idle CPU        not reported here (Monitor is process %lu for %.0f s)\n",
               monitor.process().id(), wallMs / 1000);
    }
    CloseHandle(process);
    return 0;
}

// Sends one event straight through the virtual mouse's pipe, as `vmouse
// event` would, without the cost of starting a process.
bool SendEvent(uint16_t code, uint16_t value) {
    vmouse::MessagePipe pipe;
    if (!pipe.Connect(2000)) return false;
    std::vector<uint8_t> answer;
    return pipe.Transact(vmouse::EventMessage(vmouse::kReqEvent, code, value), &answer, 64,
                         2000) &&
           !answer.empty() && answer[0] == vmouse::kOk;
}

int Latency(int events) {
    ProgramFolder folder;
    WriteSettings(folder, [](SettingsStore& store) {
        ButtonAssignment& button = store.profiles[0].buttons[3];  // button 4: A alone
        button.function = 5;
        button.stepCount = 1;
        button.steps[0] = MacroStep{0x04, 0x01, 0};
    });
    VirtualMouse mouse(folder);
    MonitorProgram monitor(folder);
    KeyObserver keys;
    if (!keys.ok() || !StartSystem(folder, mouse, monitor)) {
        fprintf(stderr, "the system did not start\n");
        return 1;
    }
    std::vector<double> latencies;
    for (int i = 0; i < events; ++i) {
        keys.Clear();
        const double sent = PreciseNowMs();
        if (!SendEvent(0x4000, 0x0004)) {
            fprintf(stderr, "the virtual mouse took no event\n");
            return 1;
        }
        if (!WaitUntil([&] { return !keys.Keys().empty(); }, 2000)) {
            fprintf(stderr, "no key arrived\n");
            return 1;
        }
        latencies.push_back(keys.Keys().front().atMs - sent);
        SendEvent(0x4000, 0x0104);
        WaitUntil([&] { return keys.Keys().size() >= 2; }, 2000);
        Sleep(50);
    }
    const Spread s = SpreadOf(latencies);
    printf("event to first injected key over %d presses: median %.2f ms, worst %.2f ms\n",
           events, s.median, s.worst);
    return 0;
}

// The error of every step's delay, observed by a hook in this process.
Spread MacroErrors(int steps, bool raise) {
    ButtonAssignment macro;
    memset(&macro, 0, sizeof macro);
    macro.function = 16;
    macro.repeatCount = 1;
    macro.stepCount = static_cast<uint16_t>(steps);
    std::vector<int> delays;
    for (int i = 0; i < steps; ++i) {
        const uint16_t delay = static_cast<uint16_t>(5 + (i * 37) % 60);  // 5..64 ms
        macro.steps[i] = MacroStep{0x04, static_cast<uint8_t>(i % 2 == 0 ? 1 : 2), delay};
        delays.push_back(delay);
    }
    KeyObserver keys;
    SystemInputInjector injector;
    PrecisionClock clock;
    SystemKeyboardLayout layout;
    MacroPlayer player(injector, clock, layout);
    {
        ScopedTimerResolution* resolution = raise ? new ScopedTimerResolution() : nullptr;
        if (player.Start(macro)) player.Play();
        delete resolution;
    }
    WaitUntil([&] { return static_cast<int>(keys.Keys().size()) >= steps; }, 2000);
    const std::vector<ObservedKey> seen = keys.Keys();
    std::vector<double> errors;
    for (size_t i = 1; i < seen.size() && i < delays.size(); ++i)
        errors.push_back(std::fabs(seen[i].atMs - seen[i - 1].atMs - delays[i - 1]));
    return SpreadOf(errors);
}

int Macro(int steps) {
    steps = std::max(2, std::min(steps, static_cast<int>(kMacroStepSlots)));
    MacroErrors(4, true);  // the first injections of a process are slower
    const Spread raised = MacroErrors(steps, true);
    const Spread plain = MacroErrors(steps, false);
    printf("macro of %d steps, |observed - recorded delay| per step:\n", steps);
    printf("  raised timer resolution:  median %.2f ms, worst %.2f ms\n", raised.median,
           raised.worst);
    printf("  system default resolution: median %.2f ms, worst %.2f ms\n", plain.median,
           plain.worst);
    return 0;
}

// The window program of the baseline, built beside this bench.
std::string EmptyWindowProgram() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path = self;
    return path.substr(0, path.find_last_of('\\') + 1) + "EmptyWindow.exe";
}

void PrintRow(const char* what, double monitor, double empty, const char* unit, int decimals) {
    printf("%-30s %10.*f %10.*f %10.*f %s\n", what, decimals, monitor, decimals, empty, decimals,
           monitor - empty, unit);
}

int Resident(int idleSeconds, bool mouseAbsent) {
    using bench::MiB;
    ProgramFolder folder;
    VirtualMouse mouse(folder);
    MonitorProgram monitor(folder);
    const std::string monitorMarker = bench::UniqueMarker("resident-monitor");
    const std::string emptyMarker = bench::UniqueMarker("resident-empty");
    if (!folder.ok() || (!mouseAbsent && !mouse.Start()) || !monitor.Start(monitorMarker) ||
        (!mouseAbsent && !WaitUntil([&] { return LogHas(mouse, "get 80"); }, 10000))) {
        fprintf(stderr, "the system did not start\n");
        return 1;
    }
    Process empty;
    if (!empty.Start(EmptyWindowProgram(), emptyMarker) ||
        !WaitForWindow("Kestra empty window", 10000)) {
        fprintf(stderr, "the empty window program did not start\n");
        return 1;
    }
    // The same program with what Wine charges for Monitor's threads and the
    // system libraries it needs: a thread of the library's kind, one that
    // ended (as Monitor's device thread has after the apply at arrival; Wine
    // frees an ended thread's memory only when the next one ends), the
    // device notification's, and the shell, COM, HID and setup libraries.
    const std::string threadsMarker = bench::UniqueMarker("resident-threads");
    Process emptyThreads;
    if (!emptyThreads.Start(EmptyWindowProgram(), threadsMarker + " +thread +exited +notify +libs")) {
        fprintf(stderr, "the empty window program did not start\n");
        return 1;
    }
    Sleep(2000);  // past the start: timers armed, threads waiting
    bench::SampledProcess m(monitor.process().id(), monitorMarker);
    bench::SampledProcess e(empty.id(), emptyMarker);
    if (!m.found() || !e.found()) {
        fprintf(stderr, "the Linux side of the programs was not found\n");
        return 1;
    }
    const bench::ProcessSample m0 = m.Sample(false), e0 = e.Sample(false);
    const double begin = PreciseNowMs();
    // Sampled each second so that a growth would show. These samples are
    // read from the kernel and the Wine server and wake neither program;
    // the walk of their memory, which would, comes after the idle time.
    double mPeak = m0.anonymousBytes, ePeak = e0.anonymousBytes;
    for (int s = 0; s < idleSeconds; ++s) {
        Sleep(1000);
        mPeak = std::max(mPeak, m.Sample(false).anonymousBytes);
        ePeak = std::max(ePeak, e.Sample(false).anonymousBytes);
    }
    const double minutes = (PreciseNowMs() - begin) / 60000.0;
    const bench::ProcessSample m1 = m.Sample(), e1 = e.Sample();
    printf("%-30s %10s %10s %10s\n", "", "Monitor", "empty", "Monitor's own");
    PrintRow("private bytes (MiB)", MiB(m1.privateBytes), MiB(e1.privateBytes), "", 2);
    PrintRow("anonymous resident (MiB)", MiB(m1.anonymousBytes), MiB(e1.anonymousBytes), "", 2);
    PrintRow("  peak while idle (MiB)", MiB(mPeak), MiB(ePeak), "", 2);
    PrintRow("working set (MiB)", MiB(m1.residentBytes), MiB(e1.residentBytes), "", 2);
    PrintRow("threads", m1.threads, e1.threads, "", 0);
    PrintRow("threads on the Linux side", m1.linuxThreads, e1.linuxThreads, "", 0);
    PrintRow("handles", m1.handles, e1.handles, "", 0);
    PrintRow("windows", m1.windows, e1.windows, "", 0);
    PrintRow("wake-ups per idle minute", bench::WakeupsBetween(m0, m1) / minutes,
             bench::WakeupsBetween(e0, e1) / minutes, "", 1);
    PrintRow("CPU ticks per idle minute", (m1.cpuTicks - m0.cpuTicks) / minutes,
             (e1.cpuTicks - e0.cpuTicks) / minutes, "", 1);
    const bench::SampledProcess t(emptyThreads.id(), threadsMarker);
    const bench::ProcessSample t1 = t.Sample();
    printf("over the empty program with the same threads (%ld) and libraries: private %+.2f MiB, "
           "anonymous %+.2f MiB\n",
           t1.threads, MiB(m1.privateBytes - t1.privateBytes),
           MiB(m1.anonymousBytes - t1.anonymousBytes));
    printf("idle for %.1f minutes, %s\n", minutes,
           mouseAbsent ? "no mouse" : "mouse plugged in");
    if (getenv("KESTRA_BENCH_REGIONS")) {
        m.PrintPrivateRegions("Monitor");
        e.PrintPrivateRegions("empty");
        t.PrintPrivateRegions("empty with the same threads");
    }
    empty.Kill();
    emptyThreads.Kill();
    return 0;
}

// What a thread, an ended thread, the device notification registration and
// Monitor's system libraries cost under the running system, each alone: the
// empty window program plain and with each of them.
int ThreadCost() {
    using bench::MiB;
    const char* variants[] = {"", "+thread", "+exited", "+notify", "+libs",
                              "+thread +exited +notify +libs"};
    std::vector<std::unique_ptr<Process>> programs;
    std::vector<std::string> markers;
    for (const char* words : variants) {
        markers.push_back(bench::UniqueMarker("threadcost") + " " + words);
        programs.emplace_back(new Process());
        if (!programs.back()->Start(EmptyWindowProgram(), markers.back())) {
            fprintf(stderr, "the empty window program did not start\n");
            return 1;
        }
    }
    Sleep(3000);
    printf("%-30s %14s %16s %8s\n", "empty program", "private (MiB)", "anonymous (MiB)",
           "threads");
    bench::ProcessSample plain;
    for (size_t i = 0; i < programs.size(); ++i) {
        const bench::ProcessSample s =
            bench::SampledProcess(programs[i]->id(), markers[i].substr(0, markers[i].find(' ')))
                .Sample();
        if (i == 0) plain = s;
        printf("%-30s %7.2f %+6.2f %8.2f %+6.2f %8ld\n", *variants[i] ? variants[i] : "plain",
               MiB(s.privateBytes), MiB(s.privateBytes - plain.privateBytes),
               MiB(s.anonymousBytes), MiB(s.anonymousBytes - plain.anonymousBytes), s.threads);
    }
    for (auto& p : programs) p->Kill();
    return 0;
}

// From a bound program's window appearing in front to Monitor telling
// Option that the profile changed (a window of this process stands in for
// Option's). The program is started anew for every switch: a window of
// another program brought to the front by this one is not always the
// session's foreground under Wine. With `raise` the bench raises the
// foreground event for the window once it is in front, as Windows does and
// Wine does not: from there to the switch is the hook's own path.
int Switch(int switches, bool raise) {
    ProgramFolder folder;
    WriteSettings(folder, [](SettingsStore& store) {
        strcpy(store.profiles[1].GameFile, "notepad.exe");
    });
    VirtualMouse mouse(folder);
    MonitorProgram monitor(folder);
    MessageRecorder option(kOptionWindowTitle);
    if (!StartSystem(folder, mouse, monitor)) {
        fprintf(stderr, "the system did not start\n");
        return 1;
    }
    std::vector<double> latencies;
    int lateRaises = 0;
    for (int i = 0; i < switches; ++i) {
        // Back to profile 1 as the mouse's profile button would.
        if (!SendEvent(0x0800, 1) ||
            !WaitUntil([&] {
                std::unique_ptr<SettingsStore> store(new SettingsStore());
                return ReadSharedBlock(*store) && store->CurrentProfile == 0;
            }, 5000)) {
            fprintf(stderr, "the mouse's profile button was not taken\n");
            return 1;
        }
        WaitUntil([] { return false; }, 100);
        const size_t from = option.messages().size();
        Process notepad;
        if (!notepad.Start("C:\\windows\\notepad.exe") ||
            !WaitForWindow("Untitled - Notepad", 10000)) {
            fprintf(stderr, "notepad did not start\n");
            return 1;
        }
        double shown = PreciseNowMs();
        if (raise) {
            // The event Windows raises when a window comes to the front, which
            // Wine does not raise itself: the hook's own path.
            HWND window = FindWindowA(nullptr, "Untitled - Notepad");
            WaitUntil([&] { return GetForegroundWindow() == window; }, 2000);
            if (option.Find(UM_PROFILE_CHANGED, 0, from) >= 0) {
                ++lateRaises;  // the fallback's look came first
                notepad.Kill();
                WaitUntil([] { return false; }, 200);
                continue;
            }
            shown = PreciseNowMs();
            NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, window, OBJID_WINDOW, CHILDID_SELF);
        }
        if (!WaitUntil([&] { return option.Find(UM_PROFILE_CHANGED, 0, from) >= 0; }, 5000)) {
            fprintf(stderr, "no switch\n");
            return 1;
        }
        latencies.push_back(
            std::max(0.0, option.messages()[option.Find(UM_PROFILE_CHANGED, 0, from)].atMs - shown));
        notepad.Kill();
        WaitUntil([] { return false; }, 200);
    }
    if (latencies.empty()) {
        fprintf(stderr, "no switch measured\n");
        return 1;
    }
    const Spread s = SpreadOf(latencies);
    printf("%s to the profile switch over %zu switches: median %.1f ms, worst %.1f ms\n",
           raise ? "foreground event" : "bound program in front", latencies.size(), s.median,
           s.worst);
    if (lateRaises > 0) printf("(%d rounds left out: the fallback's look came first)\n", lateRaises);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    const int n = argc > 2 ? atoi(argv[2]) : 0;
    if (what == "footprint") return Footprint(n > 0 ? n : 60);
    if (what == "latency") return Latency(n > 0 ? n : 50);
    if (what == "macro") return Macro(n > 0 ? n : 40);
    if (what == "resident") {
        return Resident(n > 0 ? n : 60, argc > 3 && std::string(argv[3]) == "absent");
    }
    if (what == "switch") return Switch(n > 0 ? n : 20, argc > 3 && std::string(argv[3]) == "raise");
    if (what == "threadcost") return ThreadCost();
    fprintf(stderr,
            "usage: monitor_bench footprint [seconds] | latency [events] | macro [steps] |\n"
            "       resident [idle seconds] [absent] | switch [switches] [raise] | threadcost\n");
    return 2;
}
