// What a user types for a button's program reaches the shell as typed: a
// bare name found on the search path starts, a name nothing answers to fails
// without a box.
#include "monitor/shell_open_win.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace kestra {
namespace {

TEST(OpenWithShell, StartsABareProgramNameAndReportsWhatItCannotOpen) {
    HANDLE process = nullptr;
    ASSERT_TRUE(OpenWithShell("notepad.exe", SW_HIDE, &process));
    ASSERT_NE(nullptr, process);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(process, 0));  // running
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);

    EXPECT_FALSE(OpenWithShell("no such program of ours.exe", SW_HIDE, &process));
    EXPECT_EQ(nullptr, process);
    EXPECT_FALSE(OpenWithShell("", SW_HIDE));
}

}  // namespace
}  // namespace kestra
