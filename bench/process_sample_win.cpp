#include "bench/process_sample_win.h"

#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace kestra {
namespace bench {
namespace {

// The head of one SystemProcessInformation entry, as far as needed here.
struct ProcessEntry {
    ULONG nextOffset;
    ULONG threads;
    BYTE reserved[48];
    UNICODE_STRING name;
    LONG basePriority;
    HANDLE id;
    HANDLE parentId;
    ULONG handles;
};

// Wine opens files in its server process, so "/proc/self" is no use here:
// the process is found by its command line.
std::string ReadLinuxFile(const std::string& path) {
    HANDLE file = CreateFileA(("Z:" + path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string text;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
    CloseHandle(file);
    return text;
}

long long FieldOf(const std::string& status, const char* name) {
    const size_t at = status.find(name);
    if (at == std::string::npos) return 0;
    return atoll(status.c_str() + at + strlen(name));
}

unsigned long FindLinuxPid(const std::string& marker) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &entry);
    if (find == INVALID_HANDLE_VALUE) return 0;
    unsigned long found = 0;
    do {
        const char* name = entry.cFileName;
        if (name[0] < '0' || name[0] > '9') continue;
        std::string line = ReadLinuxFile(std::string("/proc/") + name + "/cmdline");
        for (char& c : line) c = c ? c : ' ';
        if (line.find(marker) != std::string::npos && line.find("wine-run") == std::string::npos) {
            found = strtoul(name, nullptr, 10);
        }
    } while (!found && FindNextFileA(find, &entry));
    FindClose(find);
    return found;
}

struct WindowCount {
    DWORD process;
    long count;
};

BOOL CALLBACK CountChild(HWND window, LPARAM p) {
    reinterpret_cast<WindowCount*>(p)->count++;
    (void)window;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM p) {
    WindowCount* c = reinterpret_cast<WindowCount*>(p);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != c->process) return TRUE;
    c->count++;
    EnumChildWindows(window, CountChild, p);
    return TRUE;
}

long CountWindows(DWORD process) {
    WindowCount c{process, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&c));
    for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
         w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr)) {
        CountTopLevel(w, reinterpret_cast<LPARAM>(&c));
    }
    return c.count;
}

double CommittedPrivateBytes(HANDLE process) {
    double total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char* at = nullptr;
         VirtualQueryEx(process, at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
        if (region.RegionSize == 0) break;
    }
    return total;
}

}  // namespace

void SampledProcess::PrintPrivateRegions(const char* title) const {
    printf("%s: committed private memory by allocation\n", title);
    std::map<const void*, double> byAllocation;
    MEMORY_BASIC_INFORMATION region;
    for (const char* at = nullptr;
         VirtualQueryEx(process_, at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            byAllocation[region.AllocationBase] += region.RegionSize;
        if (region.RegionSize == 0) break;
    }
    for (const auto& a : byAllocation) printf("  %p %8.0f KiB\n", a.first, a.second / 1024);
}

SampledProcess::SampledProcess(DWORD windowsId, const std::string& marker)
    : windowsId_(windowsId),
      process_(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, windowsId)),
      linuxPid_(FindLinuxPid(marker)) {}

SampledProcess::~SampledProcess() {
    if (process_) CloseHandle(process_);
}

ProcessSample SampledProcess::Sample(bool walkMemory) const {
    ProcessSample s;
    if (!process_ || !linuxPid_) return s;

    std::vector<char> buffer(1 << 20);
    ULONG got = 0;
    if (NtQuerySystemInformation(SystemProcessInformation, buffer.data(),
                                 static_cast<ULONG>(buffer.size()), &got) == 0) {
        for (size_t at = 0;;) {
            const ProcessEntry* e = reinterpret_cast<const ProcessEntry*>(&buffer[at]);
            if (static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(e->id)) == windowsId_) {
                s.threads = static_cast<long>(e->threads);
                s.handles = static_cast<long>(e->handles);
            }
            if (e->nextOffset == 0) break;
            at += e->nextOffset;
        }
    }
    s.windows = CountWindows(windowsId_);

    const std::string root = "/proc/" + std::to_string(linuxPid_);
    const std::string status = ReadLinuxFile(root + "/status");
    if (status.empty()) return s;
    s.anonymousBytes = FieldOf(status, "RssAnon:") * 1024.0;
    s.residentBytes = FieldOf(status, "VmRSS:") * 1024.0;
    s.linuxThreads = static_cast<long>(FieldOf(status, "Threads:"));
    // A thread's switches stay counted in the process after it ended only
    // in its CPU time; the live threads' switches are what idle costs.
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(("Z:" + root + "/task/*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (entry.cFileName[0] < '0' || entry.cFileName[0] > '9') continue;
            const std::string task = ReadLinuxFile(root + "/task/" + entry.cFileName + "/status");
            // Preemptions of a running thread are not wake-ups: only the
            // voluntary switches count.
            const size_t at = task.find("\nvoluntary_ctxt_switches:");
            if (at != std::string::npos) {
                s.wakeupsByThread[strtoul(entry.cFileName, nullptr, 10)] =
                    atoll(task.c_str() + at + strlen("\nvoluntary_ctxt_switches:"));
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    // utime and stime are fields 14 and 15, after the name in parentheses.
    const std::string stat = ReadLinuxFile(root + "/stat");
    const size_t close = stat.rfind(')');
    if (close != std::string::npos) {
        unsigned long long utime = 0, stime = 0;
        if (sscanf(stat.c_str() + close + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu",
                   &utime, &stime) == 2) {
            s.cpuTicks = static_cast<long long>(utime + stime);
        }
    }
    // Last, so that the wake-ups it causes fall after this sample's count.
    if (walkMemory) s.privateBytes = CommittedPrivateBytes(process_);
    s.ok = true;
    return s;
}

long long WakeupsBetween(const ProcessSample& before, const ProcessSample& after) {
    long long total = 0;
    for (const auto& thread : after.wakeupsByThread) {
        const auto was = before.wakeupsByThread.find(thread.first);
        total += thread.second - (was == before.wakeupsByThread.end() ? 0 : was->second);
    }
    return total;
}

std::string UniqueMarker(const char* what) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    char text[96];
    snprintf(text, sizeof text, "%s-%lu-%llx", what, GetCurrentProcessId(),
             static_cast<unsigned long long>(now.QuadPart));
    return text;
}

double MiB(double bytes) {
    return bytes / 1048576.0;
}

}  // namespace bench
}  // namespace kestra
