#include "skin/late_library_win.h"

#include <string>

namespace kestra {
namespace {

thread_local bool t_comInitialised = false;

}  // namespace

FARPROC LateFunction(const char* library, const char* name) {
    HMODULE module = GetModuleHandleA(library);
    if (module == nullptr) {
        // From the system folder only, never from the program's or the
        // current folder.
        char folder[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return nullptr;
        module = LoadLibraryA((std::string(folder, length) + "\\" + library).c_str());
        if (module == nullptr) return nullptr;
    }
    return GetProcAddress(module, name);
}

void NeedCom() {
    if (t_comInitialised) return;
    using Initialise = HRESULT(WINAPI*)(LPVOID);
    const auto initialise = LateFunctionAs<Initialise>("ole32.dll", "CoInitialize");
    t_comInitialised = initialise != nullptr && SUCCEEDED(initialise(nullptr));
}

void EndLateCom() {
    if (!t_comInitialised) return;
    using Uninitialise = void(WINAPI*)();
    if (const auto end = LateFunctionAs<Uninitialise>("ole32.dll", "CoUninitialize")) end();
    t_comInitialised = false;
}

}  // namespace kestra
