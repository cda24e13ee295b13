#include "settings/shared_block_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "settings/ipc_names.h"
#include "tests/windows/e2e_harness_win.h"

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
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    e2e::Process child;
    ASSERT_TRUE(
        child.Start(self, std::string(kChildSwitch) + " " + names.mutex + " " + names.block));
    EXPECT_FALSE(child.Wait(500));
    ReleaseMutex(mutex.Get());

    ASSERT_TRUE(child.Wait(20000));
    ASSERT_EQ(0u, child.exitCode());
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

// The record's sizes are checked natively (MonitorLogicTest.OsdTextRecords...);
// here the message's own structure, which may be missing altogether.
TEST(OsdTextRecordMessage, TheCopyDataStructureIsReadAndMayBeMissing) {
    char record[kOsdTextRecordSize] = {};
    memcpy(record + 1, "Hello OSD", 9);
    std::string text = "old";
    EXPECT_FALSE(ReadOsdTextRecord(static_cast<const COPYDATASTRUCT*>(nullptr), text));
    COPYDATASTRUCT data = {0, kOsdTextRecordSize - 1, record};
    EXPECT_FALSE(ReadOsdTextRecord(&data, text));
    EXPECT_EQ("old", text);
    data.cbData = kOsdTextRecordSize;
    ASSERT_TRUE(ReadOsdTextRecord(&data, text));
    EXPECT_EQ("Hello OSD", text);
}

}  // namespace
}  // namespace kestra
