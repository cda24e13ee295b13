// Starting what a user typed for a button or a menu: a program path, a bare
// name the system finds ("notepad.exe", "calc"), a document or a web
// address, the way the shell's "open" takes each of them.
#pragma once

#include <windows.h>

#include <string>

namespace kestra {

// False when the shell could not start it (nothing found, access refused);
// `process`, when given, receives the started process or null (a document
// opened in a running program has none of its own).
bool OpenWithShell(const std::string& target, int show, HANDLE* process = nullptr);

}  // namespace kestra
