#include "monitor/console_output_win.h"

#include <windows.h>

namespace kestra {

namespace {

bool Usable(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

bool WriteTo(DWORD stream, const std::string& text) {
    HANDLE out = GetStdHandle(stream);
    bool opened = false;
    if (!Usable(out)) {
        // Started from a console (a command prompt) without redirection. A
        // second attach fails with "access denied": the console is ours.
        if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED) {
            return false;
        }
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

}  // namespace

bool WriteToCaller(const std::string& text) {
    return WriteTo(STD_OUTPUT_HANDLE, text);
}

bool WriteErrorToCaller(const std::string& text) {
    return WriteTo(STD_ERROR_HANDLE, text);
}

}  // namespace kestra
