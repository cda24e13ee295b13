// Option.exe with Monitor.exe and the virtual mouse in a fresh program
// folder, driven as a user drives it: the fixture the end-to-end tests of
// Option's windows share, and the keyboard and menu steps they take.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "settings/settings_record.h"
#include "tests/windows/e2e_harness_win.h"

namespace kestra {
namespace e2e {

// How long a step of Option or Monitor may take before a test gives up.
constexpr DWORD kSettle = 8000;

// The byte offsets at which two profiles differ, for a failure's message.
std::string ProfileDifferences(const ProfileSettings& a, const ProfileSettings& b);

// The control of a skinned window at the centre of its skin entry.
HWND ControlAt(const ProgramFolder& folder, const char* skinFile, HWND window, int entry);

class OptionSystemTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Starts the virtual mouse, Monitor (until it has asked the mouse) and
    // Option (until its window shows, in front); then clears the mouse's log.
    void StartSystem();

    SkinPlace Main() const { return {window, {0, 0}}; }
    HWND MainControl(int entry) const { return ControlAt(folder, "skin_main.ini", window, entry); }
    // The page Option shows: the largest visible child of its window.
    HWND ShownPage() const;
    // A visible window of Option other than its main window (a dialog or a
    // warning), or null after the settle time.
    HWND WaitForPopup();
    bool PopupGone();
    // Option's window in front other than its main window: a dialog it opened.
    HWND WaitForDialog();
    bool WaitForMain();
    // Clicks Apply where the skin places it and waits until the mouse has
    // been told its profile (the last report of an apply) and Option has
    // given its buttons back on Monitor's answer.
    bool ClickApplyAndWait();
    // Whether the bar of a running apply shows on the screen: the accent
    // colour along the bottom of its area, where it starts to fill.
    bool ApplyProgressBarShown() const;
    // Whether profile file `index` holds exactly what saving `expected`
    // gives, both read over `before`, so that only what a file holds counts.
    ::testing::AssertionResult ProfileFileHolds(int index, const ProfileSettings& before,
                                                const ProfileSettings& expected) const;

    ProgramFolder folder;
    VirtualMouse mouse{folder};
    MonitorProgram monitor{folder};
    Process option;
    HWND window = nullptr;
};

}  // namespace e2e
}  // namespace kestra
