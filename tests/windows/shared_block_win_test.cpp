#include "settings/shared_block_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "settings/ipc_names.h"

namespace kestra {
namespace {

// The test binary doubles as the second process: started with
// "--block-child <mutex> <block>", it opens both objects, checks the pattern
// the parent wrote, writes the inverted pattern back and exits with 0.
constexpr char kChildSwitch[] = "--block-child";

void Fill(SettingsStore& store, unsigned seed) {
    auto* bytes = reinterpret_cast<unsigned char*>(&store);
    for (size_t i = 0; i < kSettingsStoreSize; ++i)
        bytes[i] = static_cast<unsigned char>(i * 7 + seed);
}

int RunChild(const char* mutexName, const char* blockName) {
    KernelHandle mutex = OpenBlockMutex(mutexName);
    SharedSettingsBlock block;
    if (!mutex || block.Open(blockName) != SharedSettingsBlock::kMapped) return 2;
    static SettingsStore seen, expected;
    Fill(expected, 1);
    if (!block.Read(mutex.Get(), seen)) return 3;
    if (memcmp(&seen, &expected, kSettingsStoreSize) != 0) return 4;
    Fill(seen, 2);
    return block.Write(mutex.Get(), seen) ? 0 : 5;
}

// Runs before gtest's main when the binary is started as the child.
const int kChildExit = [] {
    char mutexName[MAX_PATH], blockName[MAX_PATH];
    const char* line = strstr(GetCommandLineA(), kChildSwitch);
    if (line && sscanf(line + sizeof kChildSwitch, "%259s %259s", mutexName, blockName) == 2)
        ExitProcess(static_cast<UINT>(RunChild(mutexName, blockName)));
    return 0;
}();

struct Names {
    std::string mutex, block;
    Names() {
        const std::string id = std::to_string(GetCurrentProcessId());
        mutex = "KestraTest_BlockMutex_" + id;
        block = "KestraTest_Block_" + id;
    }
};

PROCESS_INFORMATION StartChild(const Names& names) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command =
        std::string("\"") + self + "\" " + kChildSwitch + " " + names.mutex + " " + names.block;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        ADD_FAILURE() << "CreateProcess " << GetLastError();
    return process;
}

TEST(SharedBlock, TwoProcessesExchangeTheWholeStoreUnderTheMutex) {
    Names names;
    bool existed = true;
    KernelHandle mutex = CreateBlockMutex(existed, names.mutex.c_str());
    ASSERT_TRUE(mutex);
    EXPECT_FALSE(existed);
    SharedSettingsBlock block;
    ASSERT_TRUE(block.Create(names.block.c_str()));
    static SettingsStore store, back, expected;
    Fill(store, 1);
    ASSERT_TRUE(block.Write(mutex.Get(), store));

    // Hold the mutex while the child starts: its copies must wait for us.
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(mutex.Get(), INFINITE));
    PROCESS_INFORMATION child = StartChild(names);
    ASSERT_TRUE(child.hProcess);
    KernelHandle process(child.hProcess), thread(child.hThread);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(process.Get(), 500));
    ReleaseMutex(mutex.Get());

    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.Get(), 20000));
    DWORD code = 99;
    GetExitCodeProcess(process.Get(), &code);
    ASSERT_EQ(0u, code);
    ASSERT_TRUE(block.Read(mutex.Get(), back));
    Fill(expected, 2);
    EXPECT_EQ(0, memcmp(&back, &expected, kSettingsStoreSize));
}

TEST(SharedBlock, WithoutTheMutexOrTheBlockNothingIsCopied) {
    Names names;
    SharedSettingsBlock block;
    EXPECT_EQ(SharedSettingsBlock::kAbsent, block.Open(names.block.c_str()));
    EXPECT_FALSE(OpenBlockMutex(names.mutex.c_str()));
    static SettingsStore store;
    Fill(store, 5);
    EXPECT_FALSE(block.Read(nullptr, store));

    ASSERT_TRUE(block.Create(names.block.c_str()));
    EXPECT_FALSE(block.Write(nullptr, store));
    static SettingsStore copy;
    memset(&copy, 0x33, sizeof copy);
    EXPECT_FALSE(block.Read(nullptr, copy));
    EXPECT_EQ(0x33, reinterpret_cast<unsigned char*>(&copy)[100]);
    bool existed = false;
    KernelHandle mutex = CreateBlockMutex(existed, names.mutex.c_str());
    ASSERT_TRUE(block.Read(mutex.Get(), copy));
    EXPECT_EQ(0, reinterpret_cast<unsigned char*>(&copy)[100]);  // fresh block is zero
}

TEST(SharedBlock, ATooSmallObjectOfTheSameNameIsNotMapped) {
    Names names;
    KernelHandle small(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 100,
                                          names.block.c_str()));
    ASSERT_TRUE(small);
    SharedSettingsBlock block;
    // Pages are 4096 bytes: a 100-byte mapping still cannot hold 42652.
    EXPECT_EQ(SharedSettingsBlock::kViewFailed, block.Open(names.block.c_str()));
    EXPECT_FALSE(block.IsMapped());
}

TEST(SharedBlock, SecondInstanceIsRefusedUntilTheFirstEnds) {
    const std::string name = "KestraTest_Instance_" + std::to_string(GetCurrentProcessId());
    {
        SingleInstance first, second;
        EXPECT_TRUE(first.Acquire(name.c_str()));
        EXPECT_FALSE(second.Acquire(name.c_str()));
    }
    SingleInstance again;
    EXPECT_TRUE(again.Acquire(name.c_str()));
    bool existed = false;
    KernelHandle duplicate = CreateBlockMutex(existed, name.c_str());
    EXPECT_TRUE(existed);
}

// A window that takes OSD text records as Monitor's window does.
std::string g_received;
int g_accepted = 0;

LRESULT CALLBACK RecordWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        std::string text;
        if (ReadOsdTextRecord(reinterpret_cast<const COPYDATASTRUCT*>(lParam), text)) {
            g_received = text;
            ++g_accepted;
        }
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(OsdTextRecordMessage, OnlyA151ByteCopyIsTaken) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RecordWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "KestraTestOsdRecord";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("KestraTestOsdRecord", "record", WS_POPUP, 0, 0, 10, 10, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
    ASSERT_TRUE(window);
    char record[152];
    memset(record, 0, sizeof record);
    memcpy(record + 1, "Hello OSD", 9);
    for (DWORD size : {150u, 151u, 152u}) {
        COPYDATASTRUCT data = {0, size, record};
        EXPECT_EQ(TRUE, SendMessageA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)));
    }
    EXPECT_EQ(TRUE, SendMessageA(window, WM_COPYDATA, 0, 0));
    EXPECT_EQ(1, g_accepted);
    EXPECT_EQ("Hello OSD", g_received);
    DestroyWindow(window);
}

}  // namespace
}  // namespace kestra
