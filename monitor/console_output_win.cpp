#include "monitor/console_output_win.h"

#include <windows.h>

namespace kestra {

namespace {

bool Usable(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

}  // namespace

bool WriteToCaller(const std::string& text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    bool opened = false;
    if (!Usable(out)) {
        // Started from a console (a command prompt) without redirection.
        if (!AttachConsole(ATTACH_PARENT_PROCESS)) return false;
        out = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr);
        if (out == INVALID_HANDLE_VALUE) return false;
        opened = true;
    }
    size_t done = 0;
    bool ok = true;
    while (ok && done < text.size()) {
        DWORD written = 0;
        const DWORD chunk =
            static_cast<DWORD>(text.size() - done < 65536 ? text.size() - done : 65536);
        ok = WriteFile(out, text.data() + done, chunk, &written, nullptr) && written > 0;
        done += written;
    }
    if (opened) CloseHandle(out);
    return ok;
}

}  // namespace kestra
