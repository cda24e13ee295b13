#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "device/device_link_win.h"

namespace kestra {
namespace {

// devport.dll is copied beside the test program.
std::string ThisProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// Load binds every export of the library by its plain name, so each test that
// loads it also checks the exports.
TEST(Devport, WithoutTheMouseOpenFailsAndReportsGoNowhere) {
    DeviceLink link;
    ASSERT_TRUE(link.Load(ThisProgramFolder()));
    HWND window =
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    EXPECT_EQ(0, link.Open(window));
    uint8_t report[64] = {0x01, 0x88, 0x02, 0, 0, 0, 0, 0x74};
    EXPECT_EQ(0, link.SetFeature(report, 8));
    EXPECT_EQ(0, link.GetFeature(report, 8));
    EXPECT_EQ(0, link.WriteReport(report, 64));
    link.Close();
    DestroyWindow(window);
}

TEST(Devport, UnloadingWithTheMonitorOpenStopsItFirst) {
    const std::string path = ThisProgramFolder() + "devport.dll";
    HWND window =
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    {
        DeviceLink link;
        ASSERT_TRUE(link.Load(ThisProgramFolder()));
        link.Open(window);
    }  // unloaded without Close
    EXPECT_EQ(nullptr, GetModuleHandleA(path.c_str()));
    // A monitor thread left running would wake within 250 ms (it looks for
    // a virtual mouse that often) in code that is gone, ending this process.
    Sleep(400);
    DestroyWindow(window);
}

TEST(Devport, MissingLibraryCountsAsAbsentMouse) {
    DeviceLink link;
    EXPECT_FALSE(link.Load("C:\\no such folder\\"));
    EXPECT_FALSE(link.IsBound());
    EXPECT_EQ(0, link.Open(nullptr));
    uint8_t report[8] = {};
    EXPECT_EQ(0, link.SetFeature(report, 8));
    link.Close();
}

}  // namespace
}  // namespace kestra
