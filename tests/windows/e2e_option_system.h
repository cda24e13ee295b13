// The start of Option's end-to-end scenarios: the virtual mouse, Monitor
// and Option.exe in a fresh program folder, Option's window in front and the
// mouse's log cleared.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include "settings/ipc_names.h"
#include "tests/windows/e2e_harness_win.h"

namespace kestra {
namespace e2e {

class OptionSystemTest : public ::testing::Test {
protected:
    static constexpr DWORD kSettle = 8000;

    void SetUp() override {
        ASSERT_TRUE(folder.ok()) << folder.path();
        ASSERT_TRUE(folder.Has("Option.exe"));
    }
    void TearDown() override { MovePointerTo({0, 0}); }
    void StartSystem() {
        ASSERT_TRUE(mouse.Start());
        ASSERT_TRUE(monitor.Start());
        ASSERT_TRUE(WaitUntil([&] { return LogHas(mouse, "get 80"); }, kSettle))
            << Observed(folder, mouse);
        ASSERT_TRUE(option.Start(folder.File("Option.exe")));
        window = WaitForWindow(kOptionWindowTitle, 15000);
        ASSERT_NE(nullptr, window);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != 0; }, kSettle))
            << Observed(folder, mouse);
        SetForegroundWindow(window);
        ASSERT_TRUE(mouse.ClearLog());
    }
    SkinPlace Main() const { return {window, {0, 0}}; }
    // Option's window in front other than its main window: a dialog it opened.
    HWND WaitForDialog() { return WaitForForegroundDialog(option.id(), window, kSettle); }
    bool WaitForMain() {
        return WaitUntil([&] { return GetForegroundWindow() == window; }, kSettle);
    }

    ProgramFolder folder;
    VirtualMouse mouse{folder};
    MonitorProgram monitor{folder};
    Process option;
    HWND window = nullptr;
};

}  // namespace e2e
}  // namespace kestra
