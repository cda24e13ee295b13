// System libraries that only some clicks need (the file dialogs, the shell,
// the picture decoder for formats other than plain bitmaps) are loaded on
// their first use rather than with the program: under Wine the file
// dialogs' library alone, which brings the printing system with it, takes
// longer to load than the rest of Option's start.
#pragma once

#include <windows.h>

namespace kestra {

// The function `name` of the system library `library` (loaded from the
// system folder on first use and kept for the process), or null.
FARPROC LateFunction(const char* library, const char* name);

template <class Function>
Function LateFunctionAs(const char* library, const char* name) {
    // Through a plain function pointer: the compiler takes a direct cast
    // between unrelated function types for a mistake.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(LateFunction(library, name)));
}

// Initialises COM on the calling thread, once, before the first use of
// something that needs it (the file dialogs, the shell, the picture
// decoder); EndLateCom undoes it on that thread at the end.
void NeedCom();
void EndLateCom();

}  // namespace kestra
