// What another process of the same Wine session holds, sampled from outside:
// the Windows counters that Wine reports for another process, and the Linux
// side of the same process (its memory, threads, CPU and wake-ups), which
// Wine does not pass on.
#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace kestra {
namespace bench {

struct ProcessSample {
    bool ok = false;
    // Committed private memory (MEM_PRIVATE regions), as Windows counts
    // private bytes.
    double privateBytes = 0;
    // Resident anonymous and resident total memory on the Linux side.
    double anonymousBytes = 0;
    double residentBytes = 0;
    long handles = 0;  // the kernel object handles of the process
    long threads = 0;  // Windows threads
    long windows = 0;  // its windows: top-level, child and message-only
    long linuxThreads = 0;
    // Cumulative, for differences between two samples: per Linux thread the
    // times it went to sleep and was woken again (voluntary switches), and
    // the process's CPU time in clock ticks.
    std::map<unsigned long, long long> wakeupsByThread;
    long long cpuTicks = 0;
};

// Wake-ups between two samples of one process; a thread that ended in
// between counts with nothing, one that started with all of its own.
long long WakeupsBetween(const ProcessSample& before, const ProcessSample& after);

// A process that carries `marker` in its command line, so that it can be
// told from its namesakes of other Wine sessions on the same machine.
class SampledProcess {
public:
    SampledProcess(DWORD windowsId, const std::string& marker);
    ~SampledProcess();
    SampledProcess(const SampledProcess&) = delete;
    SampledProcess& operator=(const SampledProcess&) = delete;

    // False when its Linux side was not found.
    bool found() const { return linuxPid_ != 0; }
    // Under Wine a walk of another process's memory runs in that process
    // and wakes it hundreds of times: without `walkMemory`, privateBytes
    // stays 0 and the process is not disturbed.
    ProcessSample Sample(bool walkMemory = true) const;
    // Its committed private memory by allocation, to see what a difference
    // is made of.
    void PrintPrivateRegions(const char* title) const;

private:
    DWORD windowsId_;
    HANDLE process_ = nullptr;
    unsigned long linuxPid_ = 0;
};

// A marker no other process on the machine carries.
std::string UniqueMarker(const char* what);
double MiB(double bytes);

}  // namespace bench
}  // namespace kestra
