// What Option's main window asks of the user and of the shell: the profile
// file dialogs, the confirmations, the one message box and opening a document
// or address. Behind an interface so that tests can answer in the user's
// place.
#pragma once

#include <windows.h>

#include <string>

#include "skin/warning_dialog_win.h"

namespace kestra {

class OptionShell {
public:
    virtual ~OptionShell() = default;
    // The profile file to import (an existing file) or to export to (asking
    // before an existing file is replaced); false when the user cancelled.
    virtual bool ChooseImportFile(HWND owner, const std::string& initialName,
                                  std::string& path) = 0;
    virtual bool ChooseExportFile(HWND owner, const std::string& initialName,
                                  std::string& path) = 0;
    // A skinned warning; true when the user confirmed.
    virtual bool Confirm(HWND owner, WarningKind kind) = 0;
    virtual void ShowMessage(HWND owner, const char* text) = 0;
    // Opens a file or an address with the shell verb "open".
    virtual void Open(const std::string& target) = 0;
};

// A common file dialog (save or open) with a '|'-separated filter, starting
// at `initialName`; false when the user cancelled.
bool ChooseFileName(HWND owner, const std::string& initialName, const char* filter,
                    const char* defaultExtension, bool save, std::string& path);

// The real one: common file dialogs, WarningDialog, MessageBoxA, ShellExecuteA.
class SystemOptionShell : public OptionShell {
public:
    bool ChooseImportFile(HWND owner, const std::string& initialName, std::string& path) override;
    bool ChooseExportFile(HWND owner, const std::string& initialName, std::string& path) override;
    bool Confirm(HWND owner, WarningKind kind) override;
    void ShowMessage(HWND owner, const char* text) override;
    void Open(const std::string& target) override;
};

}  // namespace kestra
