// Monitor under load, on the staged programs with the virtual mouse in a
// fresh copy of the program folder, sampled from outside throughout:
//   load_bench applies [count]    applies in a row, as Option asks for them
//   load_bench events [count]     device events of every kind a user makes
//   load_bench macro [seconds]    a macro played again and again at full rate,
//                                 with its step timing
//   load_bench cycles [count]     applies far enough apart that Monitor's
//                                 device thread ends after each and starts
//                                 again for the next, as in a day of use
// Each run prints Monitor's handles, windows and memory at every tenth of the
// run; what counts is the change after the first tenth (the warm-up).
// Run it from the build tree (it finds the program folder beside tests\).
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/process_sample_win.h"
#include "settings/ipc_names.h"
#include "settings/shared_block_win.h"
#include "tests/windows/e2e_harness_win.h"
#include "vmouse/message_pipe_win.h"
#include "vmouse/vmouse_wire.h"

namespace {

using namespace kestra;
using namespace kestra::e2e;

bool SendEvent(vmouse::MessagePipe& pipe, uint16_t code, uint16_t value) {
    std::vector<uint8_t> answer;
    return pipe.Transact(vmouse::EventMessage(vmouse::kReqEvent, code, value), &answer, 64,
                         2000) &&
           !answer.empty() && answer[0] == vmouse::kOk;
}

// Samples Monitor at every tenth of the run and reports the growth after
// the first tenth.
class Sampler {
public:
    Sampler(DWORD id, const std::string& marker) : monitor_(id, marker) {}
    bool ok() const { return monitor_.found(); }
    void At(double fraction) {
        const bench::ProcessSample s = monitor_.Sample();
        samples_.push_back(s);
        printf("  %3.0f %%  handles %4ld  windows %3ld  threads %2ld  private %7.2f MiB  "
               "anonymous %7.2f MiB\n",
               100 * fraction, s.handles, s.windows, s.threads, bench::MiB(s.privateBytes),
               bench::MiB(s.anonymousBytes));
        fflush(stdout);
    }
    void Summary() const {
        if (samples_.size() < 3) return;
        const bench::ProcessSample& warm = samples_[1];
        const bench::ProcessSample& last = samples_.back();
        printf("after warm-up: handles %+ld, windows %+ld, private %+.2f MiB, anonymous %+.2f MiB\n",
               last.handles - warm.handles, last.windows - warm.windows,
               bench::MiB(last.privateBytes - warm.privateBytes),
               bench::MiB(last.anonymousBytes - warm.anonymousBytes));
        printf("GDI and USER object counts: Wine reports none for another process "
               "(GetGuiResources gives 0); its windows are counted above\n");
    }

private:
    bench::SampledProcess monitor_;
    std::vector<bench::ProcessSample> samples_;
};

struct System {
    ProgramFolder folder;
    VirtualMouse mouse{folder};
    MonitorProgram monitor{folder};
    std::string marker = bench::UniqueMarker("load-monitor");
    std::unique_ptr<Sampler> sampler;

    bool Start() {
        if (!folder.ok() || !mouse.Start() || !monitor.Start(marker) ||
            !WaitUntil([&] { return LogHas(mouse, "get 80"); }, 10000)) {
            fprintf(stderr, "the system did not start\n");
            return false;
        }
        Sleep(1000);
        sampler.reset(new Sampler(monitor.process().id(), marker));
        if (!sampler->ok()) fprintf(stderr, "Monitor's Linux side was not found\n");
        return sampler->ok();
    }
};

// What Option does for an apply: the settings into the block, the message,
// then the wait for Monitor's answer.
int Applies(int count) {
    System system;
    MessageRecorder option(kOptionWindowTitle);
    if (!system.Start()) return 1;
    KernelHandle mutex = OpenBlockMutex();
    SharedSettingsBlock block;
    std::unique_ptr<SettingsStore> store(new SettingsStore());
    if (!mutex || block.Open() != SharedSettingsBlock::kMapped || !ReadSharedBlock(*store)) {
        fprintf(stderr, "no shared block\n");
        return 1;
    }
    printf("%d applies in a row, every tenth with one setting changed\n", count);
    const double begin = PreciseNowMs();
    double longest = 0;
    for (int i = 0; i < count; ++i) {
        if (i % (count / 10 > 0 ? count / 10 : 1) == 0) system.sampler->At(double(i) / count);
        if (i % 10 == 0) store->profiles[0].Sensitivity_X = static_cast<uint8_t>(1 + i / 10 % 20);
        block.Write(mutex.Get(), *store);
        const size_t from = option.messages().size();
        const double sent = PreciseNowMs();
        SendMessageA(system.monitor.window(), UM_APPLY_SETTINGS, 0, 0);
        if (!WaitUntil([&] { return option.Find(UM_APPLY_DONE, 0, from) >= 0; }, 10000)) {
            fprintf(stderr, "apply %d was not answered\n", i);
            return 1;
        }
        longest = std::max(longest, PreciseNowMs() - sent);
    }
    system.sampler->At(1.0);
    printf("%.1f s in all, longest apply %.1f ms\n", (PreciseNowMs() - begin) / 1000, longest);
    system.sampler->Summary();
    return 0;
}

// The device thread ends 5 s after its last job; an apply every 6.5 s makes
// it start and end each time, which a run of applies in a row never does.
int Cycles(int count) {
    System system;
    MessageRecorder option(kOptionWindowTitle);
    if (!system.Start()) return 1;
    printf("%d applies 6.5 s apart, the device thread started and ended for each\n", count);
    const double begin = PreciseNowMs();
    for (int i = 0; i < count; ++i) {
        if (i % (count / 10 > 0 ? count / 10 : 1) == 0) system.sampler->At(double(i) / count);
        const size_t from = option.messages().size();
        SendMessageA(system.monitor.window(), UM_APPLY_SETTINGS, 0, 0);
        if (!WaitUntil([&] { return option.Find(UM_APPLY_DONE, 0, from) >= 0; }, 10000)) {
            fprintf(stderr, "apply %d was not answered\n", i);
            return 1;
        }
        WaitUntil([] { return false; }, 6500);
    }
    system.sampler->At(1.0);
    printf("%.1f s in all\n", (PreciseNowMs() - begin) / 1000);
    system.sampler->Summary();
    return 0;
}

int Events(int count) {
    System system;
    MessageRecorder option(kOptionWindowTitle);
    KeyObserver keys;  // swallows the keys the button and media events inject
    WriteSettings(system.folder, [](SettingsStore& store) {
        for (ProfileSettings& profile : store.profiles) {
            ButtonAssignment& button = profile.buttons[3];  // button 4: A
            button.function = 5;
            button.stepCount = 1;
            button.steps[0] = MacroStep{0x04, 0x01, 0};
        }
    });
    if (!keys.ok() || !system.Start()) return 1;
    vmouse::MessagePipe pipe;
    if (!pipe.Connect(2000)) return 1;
    // Every kind of event a mouse sends, with values that change something.
    const std::vector<std::function<bool(int)>> kinds = {
        [&](int i) { return SendEvent(pipe, 0x0700, static_cast<uint16_t>(1 + i % 5)); },
        [&](int i) { return SendEvent(pipe, 0xC000, static_cast<uint16_t>(0x0101 * (1 + i % 20))); },
        [&](int i) { return SendEvent(pipe, 0x01F2, static_cast<uint16_t>(1 + i % 8)); },
        [&](int i) { return SendEvent(pipe, 0x0800, static_cast<uint16_t>(1 + i % 5)); },
        [&](int) { return SendEvent(pipe, 0x4000, 0x0004) && SendEvent(pipe, 0x4000, 0x0104); },
        [&](int i) { return SendEvent(pipe, 0x1000, i % 2 ? 1 : 255); },
        [&](int) { return SendEvent(pipe, 0x000A, 0x0004); },  // no program assigned
        [&](int i) { return SendEvent(pipe, 0xF000, static_cast<uint16_t>(32 + i % 8)) &&
                            SendEvent(pipe, 0xF000, static_cast<uint16_t>(0x0100 | (32 + i % 8))); },
    };
    printf("%d device events, %zu kinds in turn\n", count, kinds.size());
    const double begin = PreciseNowMs();
    for (int i = 0; i < count; ++i) {
        if (i % (count / 10 > 0 ? count / 10 : 1) == 0) {
            // Monitor has taken what was sent before it is sampled.
            WaitUntil([] { return false; }, 200);
            system.sampler->At(double(i) / count);
            keys.Clear();
        }
        if (!kinds[static_cast<size_t>(i) % kinds.size()](i / static_cast<int>(kinds.size()))) {
            fprintf(stderr, "the virtual mouse took no event\n");
            return 1;
        }
        if (i % 64 == 0) WaitUntil([] { return true; }, 0);  // let the option recorder pump
    }
    WaitUntil([] { return false; }, 1000);
    system.sampler->At(1.0);
    printf("%.1f s in all; Monitor still answers: %s\n", (PreciseNowMs() - begin) / 1000,
           SendMessageTimeoutA(system.monitor.window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000,
                               nullptr)
               ? "yes"
               : "no");
    system.sampler->Summary();
    return 0;
}

int Macro(int seconds) {
    System system;
    KeyObserver keys;
    constexpr int kSteps = 40;
    std::vector<int> delays;
    WriteSettings(system.folder, [&](SettingsStore& store) {
        ButtonAssignment& button = store.profiles[0].buttons[4];  // button 5
        memset(&button, 0, sizeof button);
        button.function = 16;
        button.repeatCount = 1;
        button.stepCount = kSteps;
        for (int i = 0; i < kSteps; ++i) {
            const uint16_t delay = static_cast<uint16_t>(5 + (i * 37) % 60);  // 5..64 ms
            button.steps[i] = MacroStep{0x04, static_cast<uint8_t>(i % 2 == 0 ? 1 : 2), delay};
            delays.push_back(delay);
        }
    });
    if (!keys.ok() || !system.Start()) return 1;
    vmouse::MessagePipe pipe;
    if (!pipe.Connect(2000)) return 1;
    printf("a %d-step macro (delays 5..64 ms) played again and again for %d s\n", kSteps, seconds);
    std::vector<double> errors;
    std::vector<double> stampErrors;
    std::vector<std::pair<double, double>> lateSteps;  // when, how late
    std::vector<std::pair<double, double>> samplings;  // from, to
    const double begin = PreciseNowMs();
    int plays = 0, lastTenth = -1;
    for (;;) {
        const double elapsed = (PreciseNowMs() - begin) / 1000;
        if (elapsed >= seconds) break;
        const int tenth = static_cast<int>(elapsed * 10 / seconds);
        if (tenth != lastTenth) {
            lastTenth = tenth;
            const double from = PreciseNowMs();
            system.sampler->At(tenth / 10.0);
            samplings.push_back({from, PreciseNowMs()});
        }
        keys.Clear();
        if (!SendEvent(pipe, 0x4000, 0x0005) || !SendEvent(pipe, 0x4000, 0x0105)) return 1;
        if (!WaitUntil([&] { return static_cast<int>(keys.Keys().size()) >= kSteps; }, 10000)) {
            fprintf(stderr, "play %d did not end\n", plays);
            return 1;
        }
        const std::vector<ObservedKey> seen = keys.Keys();
        for (int i = 1; i < kSteps; ++i) {
            errors.push_back(std::fabs(seen[i].atMs - seen[i - 1].atMs - delays[i - 1]));
            if (errors.back() > 10) lateSteps.push_back({seen[i].atMs, errors.back()});
            // The same by the events' own time stamps, set when Monitor injects
            // them (whole milliseconds): apart from the observer's delivery.
            stampErrors.push_back(std::fabs(static_cast<double>(seen[i].time - seen[i - 1].time) -
                                            delays[i - 1]));
        }
        ++plays;
        // The player is busy until the last step's own delay has passed: a
        // press before that would be ignored, as a user's would.
        WaitUntil([] { return false; }, static_cast<DWORD>(delays.back() + 30));
    }
    system.sampler->At(1.0);
    std::sort(errors.begin(), errors.end());
    printf("%d plays, %zu steps: |observed - recorded delay| median %.2f ms, 99th %.2f ms, "
           "worst %.2f ms\n",
           plays, errors.size(), errors[errors.size() / 2], errors[errors.size() * 99 / 100],
           errors.back());
    // Under Wine the sampler's walk of Monitor's memory runs inside Monitor:
    // a step late by more than 10 ms is told apart by whether a sample was
    // being taken then.
    int duringSampling = 0;
    for (const auto& late : lateSteps) {
        for (const auto& sampling : samplings) {
            if (late.first >= sampling.first - 100 && late.first <= sampling.second + 100) {
                ++duringSampling;
                break;
            }
        }
    }
    printf("steps more than 10 ms off: %zu, %d of them while Monitor was being sampled\n",
           lateSteps.size(), duringSampling);
    std::sort(stampErrors.begin(), stampErrors.end());
    printf("by the events' time stamps (1 ms steps): median %.0f ms, 99th %.0f ms, worst %.0f ms\n",
           stampErrors[stampErrors.size() / 2], stampErrors[stampErrors.size() * 99 / 100],
           stampErrors.back());
    system.sampler->Summary();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    const std::string what = argc > 1 ? argv[1] : "";
    const int n = argc > 2 ? atoi(argv[2]) : 0;
    if (what == "applies") return Applies(n > 0 ? n : 10000);
    if (what == "events") return Events(n > 0 ? n : 100000);
    if (what == "macro") return Macro(n > 0 ? n : 600);
    if (what == "cycles") return Cycles(n > 0 ? n : 100);
    fprintf(stderr,
            "usage: load_bench applies [count] | events [count] | macro [seconds] | "
            "cycles [count]\n");
    return 2;
}
