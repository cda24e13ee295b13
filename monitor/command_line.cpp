#include "monitor/command_line.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "device/device_commands.h"
#include "monitor/dispatch.h"
#include "monitor/tray_tip.h"
#include "settings/ipc_names.h"

namespace kestra {

namespace {

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
        const size_t start = at;
        while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
        if (at > start) words.push_back(line.substr(start, at - start));
    }
    return words;
}

bool IsOption(const std::string& word) {
    return word[0] == '/' || word[0] == '-';
}

// The option's name in lower case, without its leading '/', '-' or "--".
std::string OptionName(const std::string& word) {
    size_t skip = 1;
    if (word.size() > 1 && word[0] == '-' && word[1] == '-') skip = 2;
    std::string name = word.substr(skip);
    for (char& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return name;
}

// 1..5 written as plain digits (a leading zero or two allowed), else 0.
int Number(const std::string& word) {
    if (word.empty() || word.size() > 3) return 0;
    int value = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
    }
    return value >= 1 && value <= 5 ? value : 0;
}

std::string Version(unsigned long word) {
    return std::to_string(DeviceStateMajor(word)) + "." + std::to_string(DeviceStateMinor(word));
}

// A stored text on one line of its own: control characters become '?'.
std::string OneLine(const std::string& text) {
    std::string line = text;
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    return line;
}

// A JSON string of ASCII only: anything else is escaped, so the object
// reads the same whatever code page the caller's console uses.
std::string JsonString(const std::u16string& text) {
    std::string out = "\"";
    for (char16_t c : text) {
        if (c == u'"' || c == u'\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char escape[8];
            snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            out += escape;
        }
    }
    return out + "\"";
}

std::string JsonString(const std::string& ascii) {
    return JsonString(std::u16string(ascii.begin(), ascii.end()));
}

const char* MouseText(const StatusFacts& f) {
    if (!f.monitorAnswered) return "unknown: Monitor did not answer";
    switch (DeviceStateAnswer(f.deviceState)) {
        case kMouseAnswering:
            return "connected, answering";
        case kMouseNotAnswering:
            return "connected, not answering";
        case kMouseNotChecked:
            return "connected, not checked yet";
        default:
            return "not connected";
    }
}

bool Connected(const StatusFacts& f) {
    const unsigned answer = DeviceStateAnswer(f.deviceState);
    return f.monitorAnswered &&
           (answer == kMouseAnswering || answer == kMouseNotAnswering || answer == kMouseNotChecked);
}

bool FirmwareKnown(const StatusFacts& f) {
    return Connected(f) && DeviceStateVersionKnown(f.deviceState);
}

std::string StatusLines(const StatusFacts& f) {
    if (!f.monitorRunning) return "Monitor: not running\r\n";
    std::string text = "Monitor: running\r\n";
    text += std::string("Mouse: ") + MouseText(f) + "\r\n";
    text += "Firmware: " + (FirmwareKnown(f) ? Version(f.deviceState) : "unknown") + "\r\n";
    if (!f.blockRead) return text + "Settings: not readable\r\n";
    text += "Profile: " + std::to_string(f.profile + 1) + "\r\n";
    text += "Profile name: " + OneLine(f.profileName) + "\r\n";
    text += "Level: " + (f.level >= 0 ? std::to_string(f.level + 1) : "unknown") + "\r\n";
    text += "CPI: " + (f.cpi > 0 ? std::to_string(f.cpi) : "unknown") + "\r\n";
    text += "Report rate: " + std::to_string(f.reportRateHz) + " Hz\r\n";
    text += "Selected by program: " +
            (f.selectedByProgram && !f.boundProgram.empty() ? OneLine(f.boundProgram) : "none") +
            "\r\n";
    return text;
}

std::string StatusJson(const StatusFacts& f) {
    if (!f.monitorRunning) return "{\"monitorRunning\":false}\r\n";
    const bool known = f.monitorAnswered;
    const unsigned answer = DeviceStateAnswer(f.deviceState);
    std::string text = "{\"monitorRunning\":true";
    text += ",\"mouseConnected\":" + std::string(!known ? "null" : Connected(f) ? "true" : "false");
    text += ",\"mouseAnswering\":" +
            std::string(!known ? "null" : answer == kMouseAnswering ? "true" : "false");
    text += ",\"firmware\":" + (FirmwareKnown(f) ? JsonString(Version(f.deviceState)) : "null");
    if (f.blockRead) {
        text += ",\"profile\":" + std::to_string(f.profile + 1);
        text += ",\"profileName\":" + JsonString(f.profileNameWide);
        text += ",\"level\":" + (f.level >= 0 ? std::to_string(f.level + 1) : "null");
        text += ",\"cpi\":" + (f.cpi > 0 ? std::to_string(f.cpi) : "null");
        text += ",\"reportRateHz\":" + std::to_string(f.reportRateHz);
        text += ",\"selectedByProgram\":" +
                (f.selectedByProgram && !f.boundProgramWide.empty()
                     ? JsonString(f.boundProgramWide)
                     : std::string("null"));
    }
    return text + "}\r\n";
}

}  // namespace

CommandLine ParseCommandLine(const std::string& line) {
    CommandLine command;
    const std::vector<std::string> words = Words(line);
    if (words.empty() || !IsOption(words[0])) return command;
    command.kind = MonitorCommand::kUnknown;
    const std::string name = OptionName(words[0]);
    const size_t count = words.size();
    if (name == "devices" && count == 1) {
        command.kind = MonitorCommand::kDevices;
    } else if (name == "help" || name == "?" || name == "h") {
        if (count == 1) command.kind = MonitorCommand::kHelp;
    } else if (name == "status") {
        const bool json = count == 2 && IsOption(words[1]) && OptionName(words[1]) == "json";
        if (count == 1 || json) {
            command.kind = MonitorCommand::kStatus;
            command.json = json;
        }
    } else if ((name == "profile" || name == "level") && count <= 2) {
        // A missing or wrong number is the command's own error, told as such.
        command.kind = name == "profile" ? MonitorCommand::kSelectProfile : MonitorCommand::kSelectLevel;
        command.number = count == 2 ? Number(words[1]) : 0;
    }
    return command;
}

std::string CommandLineHelp() {
    return "Monitor.exe, the gaming mouse's tray agent. Commands for scripts, answered by\r\n"
           "the running agent:\r\n"
           "  /status [--json]  the mouse, its firmware, the active profile, level, CPI,\r\n"
           "                    report rate, and the bound program that selected the\r\n"
           "                    profile. Exit code 0: the mouse is connected and\r\n"
           "                    answering; 1: it is not; 2: Monitor is not running.\r\n"
           "  /profile N        selects profile N (1..5), as its bound program would.\r\n"
           "  /level N          makes level N (1..5, switched on) the active level of\r\n"
           "                    the current profile.\r\n"
           "  /devices          the device report, for troubleshooting.\r\n"
           "  /help             this text.\r\n"
           "Exit codes of /profile and /level: 0 done; 1 refused (a number out of range,\r\n"
           "a level switched off, no answer); 2 Monitor is not running. An unknown option\r\n"
           "shows this text and exits with 2.\r\n";
}

ScriptDecision DecideScriptRequest(uintptr_t request, intptr_t number,
                                   const SettingsStore& working) {
    ScriptDecision d;
    const bool inRange = number >= 1 && number <= 5;
    switch (request) {
        case kScriptStatus:
            d.action = ScriptAction::kStatus;
            d.answer = kScriptDone;
            return d;
        case kScriptSelectProfile:
        case kScriptSelectLevel:
            break;
        default:
            d.answer = kScriptNotARequest;
            return d;
    }
    if (!inRange) {
        d.answer = kScriptOutOfRange;
        return d;
    }
    const int index = static_cast<int>(number) - 1;
    if (request == kScriptSelectLevel) {
        const int p = working.CurrentProfile;
        const bool on = p >= 0 && p < kProfileCount && working.profiles[p].dpiStepFlag[index] != 0;
        if (!on) {
            d.answer = kScriptLevelOff;
            return d;
        }
    }
    d.action = request == kScriptSelectProfile ? ScriptAction::kSelectProfile
                                               : ScriptAction::kSelectLevel;
    d.index = index;
    d.answer = kScriptDone;
    return d;
}

void TakeStatusSettings(const SettingsStore& block, StatusFacts& facts) {
    const int p = block.CurrentProfile >= 0 && block.CurrentProfile < kProfileCount
                      ? block.CurrentProfile
                      : 0;
    const ProfileSettings& profile = block.profiles[p];
    facts.blockRead = true;
    facts.profile = p;
    facts.profileName.assign(profile.ProFileName,
                             strnlen(profile.ProFileName, sizeof profile.ProFileName));
    facts.level = profile.CpiStep >= 0 && profile.CpiStep < kCpiLevelCount ? profile.CpiStep : -1;
    facts.cpi = ActiveCpi(profile);
    facts.reportRateHz = ReportRateHz(profile.PollingRate);
    facts.boundProgram = BoundProgramName(profile);
}

std::string StatusText(const StatusFacts& facts, bool json) {
    return json ? StatusJson(facts) : StatusLines(facts);
}

int StatusExitCode(const StatusFacts& facts) {
    if (!facts.monitorRunning) return 2;
    return facts.monitorAnswered && DeviceStateAnswer(facts.deviceState) == kMouseAnswering ? 0 : 1;
}

int ReportRateHz(int32_t pollingRate) {
    return 1000 / ReportInterval(pollingRate);
}

}  // namespace kestra
