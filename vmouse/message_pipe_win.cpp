#include "vmouse/message_pipe_win.h"

#include <sddl.h>

#include "vmouse/vmouse_wire.h"

namespace kestra {
namespace vmouse {

namespace {

constexpr size_t kChunkBytes = 4096;
// The rest of a message that is already on its way.
constexpr DWORD kRestOfMessageMs = 2000;

bool ServerIsTrusted(HANDLE pipe, const std::string& trustedUserSid) {
    const std::string trusted =
        trustedUserSid.empty() ? ProcessUserSid(GetCurrentProcess()) : trustedUserSid;
    ULONG serverId = 0;
    if (trusted.empty() || !GetNamedPipeServerProcessId(pipe, &serverId)) return false;
    HANDLE server = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, serverId);
    if (!server) return false;
    const std::string serverUser = ProcessUserSid(server);
    CloseHandle(server);
    return !serverUser.empty() && serverUser == trusted;
}

}  // namespace

std::string ProcessUserSid(HANDLE process) {
    std::string sid;
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return sid;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<uint8_t> user(size ? size : 1);
    char* text = nullptr;
    if (size && GetTokenInformation(token, TokenUser, user.data(), size, &size) &&
        ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &text)) {
        sid = text;
        LocalFree(text);
    }
    CloseHandle(token);
    return sid;
}

OwnUserOnly::OwnUserOnly() {
    const std::string user = ProcessUserSid(GetCurrentProcess());
    if (user.empty()) return;
    // Protected DACL, one entry: all access for this user, nobody else.
    const std::string sddl = "D:P(A;;GA;;;" + user + ")";
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                              &descriptor_, nullptr)) {
        descriptor_ = nullptr;
        return;
    }
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = descriptor_;
    attributes_.bInheritHandle = FALSE;
}

OwnUserOnly::~OwnUserOnly() {
    if (descriptor_) LocalFree(descriptor_);
}

MessagePipe::MessagePipe() : MessagePipe(INVALID_HANDLE_VALUE) {}

MessagePipe::MessagePipe(HANDLE handle) : handle_(handle), chunk_(kChunkBytes) {
    readEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    writeEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

MessagePipe::~MessagePipe() {
    Close();
    if (readEvent_) CloseHandle(readEvent_);
    if (writeEvent_) CloseHandle(writeEvent_);
}

bool MessagePipe::Connect(DWORD timeoutMs, const std::string& trustedUserSid) {
    Close();
    const DWORD start = GetTickCount();
    for (;;) {
        // Identification only: a server that is not ours cannot act as us.
        HANDLE h = CreateFileA(kPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                               nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            DWORD mode = PIPE_READMODE_MESSAGE;
            if (!ServerIsTrusted(h, trustedUserSid) ||
                !SetNamedPipeHandleState(h, &mode, nullptr, nullptr)) {
                CloseHandle(h);
                return false;
            }
            handle_ = h;
            return true;
        }
        // Busy: every instance is taken and the server is making the next.
        if (GetLastError() != ERROR_PIPE_BUSY) return false;
        const DWORD spent = GetTickCount() - start;
        if (spent >= timeoutMs) return false;
        WaitNamedPipeA(kPipeName, timeoutMs - spent);
    }
}

void MessagePipe::Close() {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    if (reading_) Cancel(readOverlapped_, readEvent_);
    reading_ = false;
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

void MessagePipe::Cancel(OVERLAPPED& overlapped, HANDLE event) {
    CancelIoEx(handle_, &overlapped);
    // The system writes into the buffers until the cancel completes.
    WaitForSingleObject(event, 1000);
}

bool MessagePipe::Write(const std::vector<uint8_t>& message, DWORD timeoutMs,
                        bool closeOnFailure) {
    if (!IsOpen() || !writeEvent_) return false;
    OVERLAPPED overlapped = {};
    overlapped.hEvent = writeEvent_;
    ResetEvent(writeEvent_);
    DWORD written = 0;
    BOOL ok = WriteFile(handle_, message.data(), static_cast<DWORD>(message.size()), nullptr,
                        &overlapped);
    if (!ok && GetLastError() == ERROR_IO_PENDING) {
        if (WaitForSingleObject(writeEvent_, timeoutMs) != WAIT_OBJECT_0) {
            Cancel(overlapped, writeEvent_);
            if (closeOnFailure) Close();
            return false;
        }
        ok = TRUE;
    }
    if (ok) ok = GetOverlappedResult(handle_, &overlapped, &written, FALSE);
    if (!ok || written != message.size()) {
        if (closeOnFailure) Close();
        return false;
    }
    return true;
}

bool MessagePipe::StartChunk() {
    readOverlapped_ = {};
    readOverlapped_.hEvent = readEvent_;
    ResetEvent(readEvent_);
    const BOOL ok = ReadFile(handle_, chunk_.data(), static_cast<DWORD>(chunk_.size()), nullptr,
                             &readOverlapped_);
    const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    // A finished or longer message still signals the event.
    reading_ = ok || error == ERROR_IO_PENDING || error == ERROR_MORE_DATA;
    return reading_;
}

bool MessagePipe::BeginRead() {
    if (!IsOpen() || !readEvent_) return false;
    if (reading_) return true;
    if (StartChunk()) return true;
    Close();
    return false;
}

bool MessagePipe::FinishRead(std::vector<uint8_t>* message, size_t maxBytes) {
    message->clear();
    if (!reading_) return false;
    for (;;) {
        DWORD got = 0;
        const BOOL ok = GetOverlappedResult(handle_, &readOverlapped_, &got, FALSE);
        const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
        if (!ok && error == ERROR_IO_INCOMPLETE) {
            if (WaitForSingleObject(readEvent_, kRestOfMessageMs) == WAIT_OBJECT_0) continue;
            Close();
            return false;
        }
        reading_ = false;
        if (!ok && error != ERROR_MORE_DATA) {
            Close();
            return false;
        }
        if (message->size() + got > maxBytes) {
            // Too long to be one of ours: the connection cannot be trusted.
            Close();
            return false;
        }
        message->insert(message->end(), chunk_.begin(), chunk_.begin() + got);
        if (ok) return true;
        if (!StartChunk()) {
            Close();
            return false;
        }
    }
}

bool MessagePipe::Read(std::vector<uint8_t>* message, size_t maxBytes, DWORD timeoutMs) {
    if (!BeginRead()) return false;
    if (WaitForSingleObject(readEvent_, timeoutMs) != WAIT_OBJECT_0) {
        Close();
        return false;
    }
    return FinishRead(message, maxBytes);
}

bool MessagePipe::Transact(const std::vector<uint8_t>& request, std::vector<uint8_t>* answer,
                           size_t maxBytes, DWORD timeoutMs) {
    return Write(request, timeoutMs) && Read(answer, maxBytes, timeoutMs) && !answer->empty();
}

}  // namespace vmouse
}  // namespace kestra
