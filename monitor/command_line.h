// Monitor's command line for scripts: what a command line asks for, how the
// running agent decides a request that reaches it, and the status text.
// Portable: command_line_win.cpp carries it out.
#pragma once

#include <cstdint>
#include <string>

#include "settings/settings_record.h"

namespace kestra {

enum class MonitorCommand {
    kStartAgent,  // no option: the tray agent starts (or brings up Option)
    kDevices,
    kStatus,
    kSelectProfile,
    kSelectLevel,
    kHelp,
    kUnknown,  // an option not understood, or one too many
};

struct CommandLine {
    MonitorCommand kind = MonitorCommand::kStartAgent;
    bool json = false;  // /status --json
    // The number after /profile or /level when it is 1..5, else 0.
    int number = 0;
};

// Options start with '/', '-' or "--" and are compared without regard to
// case; a line whose first word is no option keeps the agent's own
// meaning ("1" opens Option).
CommandLine ParseCommandLine(const std::string& line);

// The text of /help, lines ending in CR LF.
std::string CommandLineHelp();

// The running agent's side: what a UM_SCRIPT_REQUEST asks of the settings
// it holds. `index` is the 0-based profile or level to select.
enum class ScriptAction { kNone, kStatus, kSelectProfile, kSelectLevel };
struct ScriptDecision {
    ScriptAction action = ScriptAction::kNone;
    int index = -1;
    unsigned long answer = 0;  // a ScriptAnswer
};
ScriptDecision DecideScriptRequest(uintptr_t request, intptr_t number, const SettingsStore& working);

// What /status reports, gathered by the command-line process.
struct StatusFacts {
    bool monitorRunning = false;
    bool monitorAnswered = false;    // it answered the device-state question in time
    unsigned long deviceState = 0;   // its DeviceStateWord
    bool blockRead = false;          // the shared block was read: the fields below hold
    int profile = -1;                // 0-based
    std::string profileName;         // as stored (ANSI)
    std::u16string profileNameWide;  // the same, for JSON
    int level = -1;                  // 0-based; -1 when out of range
    int cpi = 0;                     // 0 when unknown
    int reportRateHz = 0;
    bool selectedByProgram = false;
    std::string boundProgram;  // file name of the profile's bound program (ANSI)
    std::u16string boundProgramWide;
};

// The settings part of the facts, from the shared block as read: a
// profile number outside 0..4 reads as profile 1, as everywhere else.
// The wide texts are left to the caller, who knows the code page.
void TakeStatusSettings(const SettingsStore& block, StatusFacts& facts);

// `name: value` lines ending in CR LF, or one JSON object (ASCII only).
std::string StatusText(const StatusFacts& facts, bool json);
// 0: the mouse is connected and answering; 1: it is not (or Monitor did
// not answer); 2: no Monitor runs.
int StatusExitCode(const StatusFacts& facts);

// The rate the mouse reports at for a `PollingRate` value.
int ReportRateHz(int32_t pollingRate);

}  // namespace kestra
