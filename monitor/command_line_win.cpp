#include "monitor/command_line_win.h"

#include <windows.h>

#include <memory>
#include <string>

#include "monitor/console_output_win.h"
#include "monitor/device_report_win.h"
#include "settings/ipc_names.h"
#include "settings/shared_block_win.h"

namespace kestra {

namespace {

// How long the running Monitor is given to answer a request.
constexpr UINT kAnswerMs = 5000;

bool Ask(HWND monitor, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* answer) {
    return SendMessageTimeoutA(monitor, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                               kAnswerMs, answer) != 0;
}

std::u16string Wide(const std::string& text) {
    if (text.empty()) return std::u16string();
    const int length = static_cast<int>(text.size());
    const int count = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (count <= 0) return std::u16string();
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, &wide[0], count);
    return std::u16string(wide.begin(), wide.end());
}

bool ReadBlock(SettingsStore& store) {
    KernelHandle mutex = OpenBlockMutex();
    SharedSettingsBlock block;
    return mutex && block.Open() == SharedSettingsBlock::kMapped && block.Read(mutex.Get(), store);
}

int Status(bool json) {
    StatusFacts facts;
    if (HWND monitor = FindWindowA(nullptr, kMonitorWindowTitle)) {
        facts.monitorRunning = true;
        DWORD_PTR word = 0;
        facts.monitorAnswered = Ask(monitor, UM_QUERY_DEVICE_STATE, 0, 0, &word);
        facts.deviceState = static_cast<unsigned long>(word);
        std::unique_ptr<SettingsStore> block(new SettingsStore());
        if (ReadBlock(*block)) {
            TakeStatusSettings(*block, facts);
            facts.profileNameWide = Wide(facts.profileName);
            facts.boundProgramWide = Wide(facts.boundProgram);
        }
        DWORD_PTR status = 0;
        if (Ask(monitor, UM_SCRIPT_REQUEST, kScriptStatus, 0, &status) &&
            (status & 0xFF) == kScriptDone) {
            facts.selectedByProgram = (status & kScriptSelectedByProgram) != 0;
        }
    }
    WriteToCaller(StatusText(facts, json));
    return StatusExitCode(facts);
}

int Select(const CommandLine& command) {
    const bool profile = command.kind == MonitorCommand::kSelectProfile;
    const std::string what = profile ? "Profile" : "Level";
    if (command.number == 0) {
        WriteErrorToCaller(profile ? "/profile needs a profile number from 1 to 5\r\n"
                                   : "/level needs a level number from 1 to 5\r\n");
        return 1;
    }
    HWND monitor = FindWindowA(nullptr, kMonitorWindowTitle);
    if (!monitor) {
        WriteErrorToCaller("Monitor is not running: nothing was changed\r\n");
        return 2;
    }
    const std::string number = std::to_string(command.number);
    DWORD_PTR answer = 0;
    if (!Ask(monitor, UM_SCRIPT_REQUEST, profile ? kScriptSelectProfile : kScriptSelectLevel,
             command.number, &answer)) {
        WriteErrorToCaller("Monitor did not answer within 5 seconds\r\n");
        return 1;
    }
    switch (answer) {
        case kScriptDone: {
            DWORD_PTR state = 0;
            const bool absent = Ask(monitor, UM_QUERY_DEVICE_STATE, 0, 0, &state) &&
                                DeviceStateAnswer(static_cast<unsigned long>(state)) ==
                                    kMouseAbsent;
            WriteToCaller(what + " " + number + " selected" +
                          (absent ? "; the mouse is not connected and gets it when plugged in"
                                  : "") +
                          "\r\n");
            return 0;
        }
        case kScriptLevelOff:
            WriteErrorToCaller("Level " + number +
                               " is switched off in the current profile: nothing was changed\r\n");
            return 1;
        case kScriptOutOfRange:
            WriteErrorToCaller(what + " " + number + " is out of range: nothing was changed\r\n");
            return 1;
        default:
            WriteErrorToCaller("The running Monitor does not take this request\r\n");
            return 1;
    }
}

}  // namespace

int RunCommandLine(const CommandLine& command) {
    switch (command.kind) {
        case MonitorCommand::kDevices:
            return RunDeviceReport();
        case MonitorCommand::kStatus:
            return Status(command.json);
        case MonitorCommand::kSelectProfile:
        case MonitorCommand::kSelectLevel:
            return Select(command);
        case MonitorCommand::kHelp:
            WriteToCaller(CommandLineHelp());
            return 0;
        default:
            WriteErrorToCaller(CommandLineHelp());
            return 2;
    }
}

}  // namespace kestra
