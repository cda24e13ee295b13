#include "vmouse/detach_stdio_win.h"

#include <windows.h>

#include <cstdint>

namespace kestra {
namespace vmouse {
namespace {

// Wine runs a program's code as a Linux process, so the kernel's own calls
// reach its file descriptors; Windows has none of them.
bool UnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

#if defined(__i386__)
constexpr intptr_t kSysOpen = 5;
constexpr intptr_t kSysClose = 6;
constexpr intptr_t kSysDup2 = 63;
intptr_t LinuxCall(intptr_t number, intptr_t a, intptr_t b, intptr_t c) {
    intptr_t result;
    asm volatile("int $0x80" : "=a"(result) : "a"(number), "b"(a), "c"(b), "d"(c) : "memory");
    return result;
}
#elif defined(__x86_64__)
constexpr intptr_t kSysOpen = 2;
constexpr intptr_t kSysClose = 3;
constexpr intptr_t kSysDup2 = 33;
intptr_t LinuxCall(intptr_t number, intptr_t a, intptr_t b, intptr_t c) {
    intptr_t result;
    asm volatile("syscall"
                 : "=a"(result)
                 : "a"(number), "D"(a), "S"(b), "d"(c)
                 : "rcx", "r11", "memory");
    return result;
}
#endif

}  // namespace

void ReleaseInheritedPosixStdio() {
#if defined(__i386__) || defined(__x86_64__)
    if (!UnderWine()) return;
    static const char kNull[] = "/dev/null";
    const intptr_t null = LinuxCall(kSysOpen, reinterpret_cast<intptr_t>(kNull), 2 /* O_RDWR */, 0);
    if (null < 0) return;
    for (intptr_t fd = 0; fd <= 2; ++fd) LinuxCall(kSysDup2, null, fd, 0);
    if (null > 2) LinuxCall(kSysClose, null, 0, 0);
#endif
}

}  // namespace vmouse
}  // namespace kestra
