// Wall time of a full ApplyAll (mode all, a 40-step macro on every button of
// every profile) through devport.dll to the virtual mouse, against the sum of
// the pauses the protocol prescribes between reports.
//   apply_bench [runs]
// Uses devport.dll and vmouse.exe of the staged program folder ("..\program"
// beside this program's folder). Starts the virtual mouse there when none is
// running and stops it again at the end; one already running is used as it
// is and left running.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "device/apply_all.h"
#include "device/device_link_win.h"
#include "tests/native/full_apply_store.h"
#include "tests/windows/e2e_harness_win.h"

namespace {

using namespace kestra;

// Pauses in real time, keeping apart what the protocol asked for and what
// the pauses really took.
class TimedWaiter : public Waiter {
public:
    void Sleep(int ms) override {
        askedMs += ms;
        const double begin = e2e::PreciseNowMs();
        ::Sleep(static_cast<DWORD>(ms));
        sleptMs += e2e::PreciseNowMs() - begin;
    }
    bool AbortRequested() override { return false; }

    long askedMs = 0;
    double sleptMs = 0;
};

int Fail(const char* why) {
    fprintf(stderr, "apply_bench: %s\n", why);
    return 1;
}

int CountLines(const std::string& text) {
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? atoi(argv[1]) : 1;
    if (runs < 1 || runs > 100) return Fail("runs must be 1..100");
    const std::string folder = e2e::StagedProgramFolder();
    const std::string vmouse = folder + "vmouse.exe";
    e2e::AskForVirtualMouse();

    // `state` fails (and says so) when no virtual mouse runs.
    const bool wasRunning = e2e::Run(vmouse, "state").exitCode == 0;
    if (!wasRunning && e2e::Run(vmouse, "start").exitCode != 0) {
        return Fail("cannot start the virtual mouse");
    }
    HWND window =
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    DeviceLink link;
    if (!link.Load(folder) || !link.Open(window)) {
        if (!wasRunning) e2e::Run(vmouse, "stop");
        return Fail("devport.dll did not open the virtual mouse");
    }

    std::unique_ptr<SettingsStore> store = kestra_test::FullApplyStore();
    printf("virtual mouse: %s\n", wasRunning ? "already running, used as it is" : "started");
    printf("full ApplyAll, mode all, a 40-step macro on every button, %d run(s)\n", runs);
    printf("%4s %8s %10s %10s %10s %10s %9s\n", "run", "reports", "pauses ms", "wall ms",
           "slept ms", "reports ms", "overhead");
    int result = 0;
    for (int run = 1; run <= runs; ++run) {
        e2e::Run(vmouse, "log --clear");
        TimedWaiter waiter;
        std::unique_ptr<DeviceApplier> applier(new DeviceApplier(link, waiter));
        const double begin = e2e::PreciseNowMs();
        const int applied = applier->ApplyAll(*store, ApplyMode::kAll);
        const double wallMs = e2e::PreciseNowMs() - begin;
        const int reports = CountLines(e2e::Run(vmouse, "log").output);
        const double overhead = wallMs - waiter.askedMs;
        printf("%4d %8d %10ld %10.1f %10.1f %10.1f %5.0f ms = %.2f %%\n", run, reports,
               waiter.askedMs, wallMs, waiter.sleptMs, wallMs - waiter.sleptMs, overhead,
               100.0 * overhead / waiter.askedMs);
        if (applied != 1) result = Fail("the mouse refused the final select-profile report");
    }

    link.Close();
    link.Unload();
    DestroyWindow(window);
    if (!wasRunning) e2e::Run(vmouse, "stop");
    return result;
}
