// Option's shell for tests and screenshots: a user who cancels every file
// dialog and question, and a shell that opens nothing.
#pragma once

#include <windows.h>

#include <string>

#include "option/option_shell_win.h"

namespace kestra {

class CancellingShell : public OptionShell {
public:
    bool ChooseImportFile(HWND, const std::string&, std::string&) override { return false; }
    bool ChooseExportFile(HWND, const std::string&, std::string&) override { return false; }
    bool Confirm(HWND, WarningKind) override { return false; }
    void ShowMessage(HWND, const char*) override {}
    void Open(const std::string&) override {}
};

}  // namespace kestra
