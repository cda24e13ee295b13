#include "vmouse/vmouse_server_win.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "vmouse/message_pipe_win.h"
#include "vmouse/virtual_firmware.h"
#include "vmouse/vmouse_wire.h"

namespace kestra {
namespace vmouse {

namespace {

constexpr DWORD kPipeBufferBytes = 65536;
constexpr DWORD kAnswerTimeoutMs = 5000;
// A library that stops reading its pushes is dropped rather than allowed to
// stall the mouse.
constexpr DWORD kPushTimeoutMs = 1000;

struct Locked {
    explicit Locked(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
    ~Locked() { LeaveCriticalSection(&cs_); }
    CRITICAL_SECTION& cs_;
};

class Server {
public:
    Server(uint8_t major, uint8_t minor) : firmware_(major, minor) {
        InitializeCriticalSection(&lock_);
        stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    }
    ~Server() {
        CloseHandle(stop_);
        DeleteCriticalSection(&lock_);
    }

    int Run();

private:
    struct Connection {
        Server* server;
        std::unique_ptr<MessagePipe> pipe;
    };
    static DWORD WINAPI ConnectionThread(void* parameter);
    void Converse(MessagePipe& pipe);
    // Builds the answer to one request; `subscribe` tells the caller to add
    // the connection to the subscribers once the answer is out.
    std::vector<uint8_t> Answer(const std::vector<uint8_t>& request, bool* subscribe, bool* stop);
    std::vector<uint8_t> ReportAnswer(const std::vector<uint8_t>& request);
    std::vector<uint8_t> ReportAnswerPlugged(uint8_t type, const uint8_t* bytes, size_t length);
    void Push(const std::vector<uint8_t>& message);
    void SetPlugged(bool plugged);
    void Unsubscribe(MessagePipe* pipe);

    CRITICAL_SECTION lock_;
    HANDLE stop_ = nullptr;
    VirtualFirmware firmware_;
    bool plugged_ = true;
    uint32_t unplugAfter_ = 0;  // reports still to come before it unplugs itself; 0: never
    unsigned reportsWhileUnplugged_ = 0;
    // Advances at each unplug: a channel opened before it stays dead, as a
    // handle to a removed device does.
    uint32_t generation_ = 1;
    unsigned featureOpens_ = 0;
    unsigned reportOpens_ = 0;
    bool refusing_ = false;
    unsigned refusedWhileSilent_ = 0;
    unsigned subscriptions_ = 0;
    std::vector<MessagePipe*> subscribers_;
    OwnUserOnly security_;
};

// Only this user, only this machine: the pipe speaks for a mouse.
HANDLE NewInstance(bool first, SECURITY_ATTRIBUTES* security) {
    return CreateNamedPipeA(
        kPipeName,
        PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
        PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
        PIPE_UNLIMITED_INSTANCES, kPipeBufferBytes, kPipeBufferBytes, 0, security);
}

std::vector<uint8_t> StatusOnly(Status status) {
    return std::vector<uint8_t>(1, status);
}

std::vector<uint8_t> WithText(const std::string& text) {
    std::vector<uint8_t> out(1 + text.size(), kOk);
    std::copy(text.begin(), text.end(), out.begin() + 1);
    return out;
}

int Server::Run() {
    HANDLE listening = NewInstance(true, security_.attributes());
    if (listening == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_ACCESS_DENIED || GetLastError() == ERROR_PIPE_BUSY ? 2 : 1;
    }
    HANDLE connected = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // Set once the pipe exists, so that whoever it wakes can connect.
    HANDLE running = CreateEventA(security_.attributes(), TRUE, FALSE, kRunningEventName);
    if (running) SetEvent(running);
    for (;;) {
        OVERLAPPED overlapped = {};
        overlapped.hEvent = connected;
        ResetEvent(connected);
        bool ready = false;
        if (ConnectNamedPipe(listening, &overlapped)) {
            ready = true;
        } else if (GetLastError() == ERROR_PIPE_CONNECTED) {
            ready = true;
        } else if (GetLastError() == ERROR_IO_PENDING) {
            HANDLE waits[2] = {stop_, connected};
            const DWORD r = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
            if (r != WAIT_OBJECT_0 + 1) {
                CancelIoEx(listening, &overlapped);
                WaitForSingleObject(connected, 1000);
                break;
            }
            DWORD unused = 0;
            ready = GetOverlappedResult(listening, &overlapped, &unused, FALSE) != FALSE;
        }
        if (ready) {
            Connection* c =
                new Connection{this, std::unique_ptr<MessagePipe>(new MessagePipe(listening))};
            HANDLE thread = CreateThread(nullptr, 0, ConnectionThread, c, 0, nullptr);
            if (thread) {
                CloseHandle(thread);
            } else {
                delete c;
            }
        } else {
            CloseHandle(listening);
        }
        if (WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0) {
            listening = INVALID_HANDLE_VALUE;
            break;
        }
        listening = NewInstance(false, security_.attributes());
        if (listening == INVALID_HANDLE_VALUE) {
            // Out of instances for a moment: try again shortly.
            if (WaitForSingleObject(stop_, 50) == WAIT_OBJECT_0) break;
            listening = NewInstance(false, security_.attributes());
            if (listening == INVALID_HANDLE_VALUE) break;
        }
    }
    if (running) {
        ResetEvent(running);
        CloseHandle(running);
    }
    if (listening != INVALID_HANDLE_VALUE) CloseHandle(listening);
    CloseHandle(connected);
    // Subscribers see their pipes break as the process ends: to the library
    // that is the mouse going away.
    return 0;
}

DWORD WINAPI Server::ConnectionThread(void* parameter) {
    std::unique_ptr<Connection> c(static_cast<Connection*>(parameter));
    c->server->Converse(*c->pipe);
    return 0;
}

void Server::Converse(MessagePipe& pipe) {
    std::vector<uint8_t> request;
    bool subscribed = false;
    for (;;) {
        // Requests come when the caller has one; a subscriber sends none and
        // this read only ends when it goes away.
        if (!pipe.BeginRead()) break;
        if (WaitForSingleObject(pipe.ReadEvent(), INFINITE) != WAIT_OBJECT_0) break;
        if (!pipe.FinishRead(&request, kMaxRequestBytes)) break;
        if (subscribed) continue;
        bool subscribe = false;
        bool stop = false;
        {
            Locked locked(lock_);
            const std::vector<uint8_t> answer = Answer(request, &subscribe, &stop);
            if (!pipe.Write(answer, kAnswerTimeoutMs)) break;
            // Added while still locked: no push can overtake the answer.
            if (subscribe) {
                subscribers_.push_back(&pipe);
                subscribed = true;
            }
        }
        if (stop) {
            FlushFileBuffers(pipe.Handle());
            SetEvent(stop_);
        }
    }
    if (subscribed) Unsubscribe(&pipe);
}

void Server::Unsubscribe(MessagePipe* pipe) {
    Locked locked(lock_);
    subscribers_.erase(std::remove(subscribers_.begin(), subscribers_.end(), pipe),
                       subscribers_.end());
}

void Server::Push(const std::vector<uint8_t>& message) {
    for (size_t i = 0; i < subscribers_.size();) {
        MessagePipe* s = subscribers_[i];
        if (s->Write(message, kPushTimeoutMs, false)) {
            ++i;
            continue;
        }
        // Its connection thread wakes from the cancelled read and closes it.
        subscribers_.erase(subscribers_.begin() + static_cast<std::ptrdiff_t>(i));
        CancelIoEx(s->Handle(), nullptr);
    }
}

void Server::SetPlugged(bool plugged) {
    if (plugged_ == plugged) return;
    plugged_ = plugged;
    if (!plugged) ++generation_;
    std::vector<uint8_t> push(1, kPushPresence);
    push.push_back(plugged ? 1 : 0);
    Push(push);
}

std::vector<uint8_t> Server::ReportAnswer(const std::vector<uint8_t>& request) {
    uint32_t generation = 0;
    if (!GetU32(request, 1, &generation)) return StatusOnly(kBadRequest);
    // Nothing reaches an unplugged mouse, so nothing is logged either.
    if (!plugged_ || generation != generation_) {
        ++reportsWhileUnplugged_;
        return StatusOnly(kUnplugged);
    }
    // A mouse found but silent: the report goes nowhere, as a stall would.
    if (refusing_) {
        ++refusedWhileSilent_;
        return StatusOnly(kFailed);
    }
    const uint8_t* bytes = request.data() + 5;
    const size_t length = request.size() - 5;
    // Armed by `unplug-after`: this report still arrives, then the cable goes.
    if (unplugAfter_ != 0 && --unplugAfter_ == 0) {
        std::vector<uint8_t> answer = ReportAnswerPlugged(request[0], bytes, length);
        SetPlugged(false);
        return answer;
    }
    return ReportAnswerPlugged(request[0], bytes, length);
}

std::vector<uint8_t> Server::ReportAnswerPlugged(uint8_t type, const uint8_t* bytes,
                                                 size_t length) {
    switch (type) {
        case kReqSetFeature:
            return StatusOnly(firmware_.SetFeature(bytes, length) ? kOk : kFailed);
        case kReqWriteOutput:
            return StatusOnly(firmware_.WriteOutput(bytes, length) ? kOk : kFailed);
        default: {
            uint8_t reply[kFeatureReportSize] = {};
            if (!firmware_.GetFeature(bytes, length, reply)) return StatusOnly(kFailed);
            std::vector<uint8_t> out(1, kOk);
            out.insert(out.end(), reply, reply + kFeatureReportSize);
            return out;
        }
    }
}

std::vector<uint8_t> Server::Answer(const std::vector<uint8_t>& request, bool* subscribe,
                                    bool* stop) {
    if (request.empty()) return StatusOnly(kBadRequest);
    switch (request[0]) {
        case kReqPing:
            return StatusOnly(kOk);
        case kReqOpenChannel: {
            if (request.size() != 2 ||
                (request[1] != kChannelFeature && request[1] != kChannelReport)) {
                return StatusOnly(kBadRequest);
            }
            if (!plugged_) return StatusOnly(kUnplugged);
            if (request[1] == kChannelFeature) {
                ++featureOpens_;
            } else {
                ++reportOpens_;
            }
            std::vector<uint8_t> out(1, kOk);
            PutU32(out, generation_);
            return out;
        }
        case kReqSetFeature:
        case kReqGetFeature:
        case kReqWriteOutput:
            return ReportAnswer(request);
        case kReqSubscribe: {
            *subscribe = true;
            ++subscriptions_;
            std::vector<uint8_t> out(1, kOk);
            out.push_back(plugged_ ? 1 : 0);
            return out;
        }
        case kReqEvent: {
            uint16_t code = 0, value = 0;
            if (!GetU16(request, 1, &code) || !GetU16(request, 3, &value)) {
                return StatusOnly(kBadRequest);
            }
            if (!plugged_) return StatusOnly(kUnplugged);
            firmware_.NoteOwnChange(code, value);
            Push(EventMessage(kPushEvent, code, value));
            return StatusOnly(kOk);
        }
        case kReqPlug:
        case kReqUnplug:
            SetPlugged(request[0] == kReqPlug);
            return StatusOnly(kOk);
        case kReqUnplugAfter: {
            uint32_t count = 0;
            if (request.size() != 5 || !GetU32(request, 1, &count)) return StatusOnly(kBadRequest);
            unplugAfter_ = count;
            return StatusOnly(kOk);
        }
        case kReqRefuse:
            if (request.size() != 2 || request[1] > 1) return StatusOnly(kBadRequest);
            refusing_ = request[1] == 1;
            return StatusOnly(kOk);
        case kReqLog:
            return WithText(firmware_.Log().Text());
        case kReqClearLog:
            firmware_.Log().Clear();
            return StatusOnly(kOk);
        case kReqState:
            return WithText(
                DescribeState(firmware_, LinkState{plugged_, featureOpens_, reportOpens_,
                                                   reportsWhileUnplugged_, refusing_,
                                                   refusedWhileSilent_, subscriptions_}));
        case kReqFirmware:
            if (request.size() != 3) return StatusOnly(kBadRequest);
            firmware_.SetVersion(request[1], request[2]);
            return StatusOnly(kOk);
        case kReqStop: {
            *stop = true;
            std::vector<uint8_t> out(1, kOk);
            PutU32(out, GetCurrentProcessId());
            return out;
        }
        default:
            return StatusOnly(kBadRequest);
    }
}

}  // namespace

int Serve(uint8_t major, uint8_t minor) {
    Server server(major, minor);
    return server.Run();
}

}  // namespace vmouse
}  // namespace kestra
