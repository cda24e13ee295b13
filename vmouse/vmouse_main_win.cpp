// vmouse: the virtual mouse's command line. Every call but `serve` is a
// short-lived client of the background instance that `start` launches.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "vmouse/message_pipe_win.h"
#include "vmouse/vmouse_command.h"
#include "vmouse/detach_stdio_win.h"
#include "vmouse/vmouse_server_win.h"
#include "vmouse/vmouse_wire.h"

namespace {

using namespace kestra::vmouse;

constexpr DWORD kConnectMs = 2000;
constexpr DWORD kAnswerMs = 10000;
constexpr DWORD kStartMs = 15000;
constexpr DWORD kStopMs = 5000;
// A log of a day of demonstrations still fits.
constexpr size_t kMaxAnswerBytes = 512u * 1024u * 1024u;

int Fail(const std::string& message) {
    fprintf(stderr, "vmouse: %s\n", message.c_str());
    return 1;
}

// One request to the running virtual mouse; false when none runs or it
// did not answer.
bool Ask(const std::vector<uint8_t>& request, std::vector<uint8_t>* answer) {
    MessagePipe pipe;
    if (!pipe.Connect(kConnectMs)) return false;
    return pipe.Transact(request, answer, kMaxAnswerBytes, kAnswerMs);
}

bool Running() {
    std::vector<uint8_t> answer;
    return Ask(std::vector<uint8_t>(1, kReqPing), &answer) && answer[0] == kOk;
}

std::string ProgramPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

int SetFirmware(const Command& c) {
    std::vector<uint8_t> answer;
    const std::vector<uint8_t> request = {kReqFirmware, c.major, c.minor};
    if (!Ask(request, &answer) || answer[0] != kOk) return Fail("the virtual mouse did not answer");
    return 0;
}

int Start(const Command& c) {
    // Idempotent: a running virtual mouse stays as it is, except for a
    // firmware version asked for explicitly.
    if (Running()) return c.firmwareGiven ? SetFirmware(c) : 0;
    char version[16];
    snprintf(version, sizeof version, "%u.%u", c.major, c.minor);
    std::string line = "\"" + ProgramPath() + "\" serve --firmware " + version;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // No inherited handles and no console: whoever captures this call's
    // output is not kept waiting by the background instance. Wine now and
    // then refuses a start with an internal error that the next one does not
    // meet.
    bool started = false;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        if (attempt > 0) Sleep(100);
        std::vector<char> mutableLine(line.begin(), line.end());
        mutableLine.push_back('\0');
        started = CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE,
                                 DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr,
                                 &startup, &process) != FALSE;
    }
    if (!started) return Fail("cannot start the background instance");
    CloseHandle(process.hThread);
    const DWORD begin = GetTickCount();
    int result = 1;
    while (GetTickCount() - begin < kStartMs) {
        if (Running()) {
            result = 0;
            break;
        }
        if (WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0) {
            // Lost a race with another start: that one is serving now.
            result = Running() ? 0 : 1;
            break;
        }
    }
    CloseHandle(process.hProcess);
    return result == 0 ? 0 : Fail("the virtual mouse did not start");
}

int Stop() {
    std::vector<uint8_t> answer;
    if (!Ask(std::vector<uint8_t>(1, kReqStop), &answer) || answer[0] != kOk) {
        return Fail("no virtual mouse is running");
    }
    uint32_t pid = 0;
    if (GetU32(answer, 1, &pid)) {
        // Returns only once it is gone, so that a `start` right after never
        // meets the instance that is ending.
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
        if (process) {
            WaitForSingleObject(process, kStopMs);
            CloseHandle(process);
        }
    }
    return 0;
}

int Simple(const std::vector<uint8_t>& request, bool printText) {
    std::vector<uint8_t> answer;
    if (!Ask(request, &answer)) return Fail("no virtual mouse is running");
    if (answer[0] == kUnplugged) return Fail("the virtual mouse is unplugged");
    if (answer[0] != kOk) return Fail("the virtual mouse refused the request");
    if (printText && answer.size() > 1) {
        fwrite(answer.data() + 1, 1, answer.size() - 1, stdout);
        fflush(stdout);
    }
    return 0;
}

// What a worn cable or a hub does: the mouse comes and goes within
// milliseconds. One connection for all of it, so that no process start sits
// between the steps.
int Bounce(const Command& c) {
    MessagePipe pipe;
    if (!pipe.Connect(kConnectMs)) return Fail("no virtual mouse is running");
    std::vector<uint8_t> answer;
    for (unsigned i = 0; i < c.count; ++i) {
        for (uint8_t request : {kReqUnplug, kReqPlug}) {
            if (!pipe.Transact(std::vector<uint8_t>(1, request), &answer, 64, kAnswerMs) ||
                answer[0] != kOk) {
                return Fail("the virtual mouse did not answer");
            }
            if (c.gapMs) Sleep(c.gapMs);
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Plain line feeds, so that scripts on either side read the same lines.
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::string> args(argv + 1, argv + argc);
    Command c;
    std::string error;
    if (!ParseCommand(args, &c, &error)) {
        fprintf(stderr, "vmouse: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    switch (c.verb) {
        case Verb::kServe: {
            // Started by `start`, detached: nothing of its starter's is ours.
            const HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
            if (errors == nullptr || errors == INVALID_HANDLE_VALUE) ReleaseInheritedPosixStdio();
            const int r = Serve(c.major, c.minor);
            return r;
        }
        case Verb::kStart:
            return Start(c);
        case Verb::kStop:
            return Stop();
        case Verb::kPlug:
            return Simple(std::vector<uint8_t>(1, kReqPlug), false);
        case Verb::kUnplug:
            return Simple(std::vector<uint8_t>(1, kReqUnplug), false);
        case Verb::kBounce:
            return Bounce(c);
        case Verb::kEvent:
            return Simple(EventMessage(kReqEvent, c.code, c.value), false);
        case Verb::kUnplugAfter: {
            std::vector<uint8_t> request(1, kReqUnplugAfter);
            PutU32(request, c.count);
            return Simple(request, false);
        }
        case Verb::kRefuse:
            return Simple(std::vector<uint8_t>{kReqRefuse, static_cast<uint8_t>(c.on ? 1 : 0)},
                          false);
        case Verb::kLog:
            return Simple(std::vector<uint8_t>(1, kReqLog), true);
        case Verb::kClearLog:
            return Simple(std::vector<uint8_t>(1, kReqClearLog), false);
        case Verb::kState:
            return Simple(std::vector<uint8_t>(1, kReqState), true);
        default:
            fputs(kUsage, stdout);
            return 0;
    }
}
