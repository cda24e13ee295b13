#include "monitor/device_report_win.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "device/device_link_win.h"
#include "monitor/console_output_win.h"
#include "monitor/device_report.h"
#include "settings/ipc_names.h"
#include "settings/settings_files.h"

namespace kestra {

namespace {

// How long a running Monitor is given to say what it knows of the mouse.
constexpr UINT kMonitorAnswerMs = 2000;

class SleepingWaiter : public Waiter {
public:
    void Sleep(int ms) override { ::Sleep(static_cast<DWORD>(ms)); }
    bool AbortRequested() override { return false; }
};

std::string ProgramFolder() {
    char path[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path - 1);
    return DirectoryOf(std::string(path, length));
}

// The report's file in the user's temporary folder; empty when it could
// not be written.
std::string Save(const std::string& text, const SYSTEMTIME& now) {
    char folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder) return std::string();
    char name[64];
    snprintf(name, sizeof name, "Kestra device report %04u-%02u-%02u %02u%02u%02u.txt", now.wYear,
             now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
    const std::string path = std::string(folder) + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    DWORD written = 0;
    const bool ok =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size();
    CloseHandle(file);
    if (!ok) DeleteFileA(path.c_str());
    return ok ? path : std::string();
}

}  // namespace

int RunDeviceReport() {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    char madeAt[32];
    snprintf(madeAt, sizeof madeAt, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth,
             now.wDay, now.wHour, now.wMinute, now.wSecond);

    DeviceReportFacts facts;
    facts.madeAt = madeAt;
    facts.programFolder = ProgramFolder();
    DeviceLink link;
    facts.libraryBound = link.Load(facts.programFolder);
    if (facts.libraryBound) {
        link.SelectMouse();
        facts.interfaces = link.DescribeDevices();
        if (HWND monitor = FindWindowA(nullptr, kMonitorWindowTitle)) {
            // The running Monitor owns the mouse: a version request of ours
            // could land in the middle of one of its settings blocks.
            facts.monitorRunning = true;
            DWORD_PTR word = 0;
            facts.monitorAnswered =
                SendMessageTimeoutA(monitor, UM_QUERY_DEVICE_STATE, 0, 0,
                                    SMTO_ABORTIFHUNG | SMTO_BLOCK, kMonitorAnswerMs, &word) != 0;
            facts.monitorState = static_cast<unsigned long>(word);
        } else {
            facts.channelsOpened = link.OpenChannels() != 0;
            SleepingWaiter waiter;
            facts.firmwareRead =
                facts.channelsOpened && ReadFirmwareVersion(link, waiter, &facts.firmware);
            link.CloseChannels();
        }
        link.Unload();
    }

    std::string text = DeviceReportText(facts);
    const std::string saved = Save(text, now);
    text += saved.empty() ? "Not saved: the temporary folder could not be written\r\n"
                          : "Saved to: " + saved + "\r\n";
    WriteToCaller(text);
    return 0;
}

}  // namespace kestra
