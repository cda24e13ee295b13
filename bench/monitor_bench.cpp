// Monitor's costs as a user meets them, measured on the staged programs with
// the virtual mouse in a fresh copy of the program folder:
//   monitor_bench footprint [idle seconds]  memory, handles and threads after
//                                           start, then its CPU while idle
//   monitor_bench latency [events]          mouse event to the first key it injects
//   monitor_bench macro [steps]             macro step timing error, with and
//                                           without the raised timer resolution
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
#include <vector>

#include "monitor/input_win.h"
#include "monitor/macro_player.h"
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

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    const int n = argc > 2 ? atoi(argv[2]) : 0;
    if (what == "footprint") return Footprint(n > 0 ? n : 60);
    if (what == "latency") return Latency(n > 0 ? n : 50);
    if (what == "macro") return Macro(n > 0 ? n : 40);
    fprintf(stderr, "usage: monitor_bench footprint [seconds] | latency [events] | macro [steps]\n");
    return 2;
}
