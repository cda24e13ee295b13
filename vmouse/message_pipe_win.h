// One end of the virtual mouse's message-mode pipe, with a timeout on every
// wait: a virtual mouse that hangs or dies must look unplugged, never block
// its caller.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kestra {
namespace vmouse {

class MessagePipe {
public:
    MessagePipe();
    // Takes ownership of a pipe handle opened for overlapped use.
    explicit MessagePipe(HANDLE handle);
    ~MessagePipe();
    MessagePipe(const MessagePipe&) = delete;
    MessagePipe& operator=(const MessagePipe&) = delete;

    // Client side: false when no virtual mouse runs, none answered the
    // connection within `timeoutMs`, or the pipe's server runs as another
    // user than `trustedUserSid` ("S-1-5-..."; empty: this process's user).
    // Anyone may create a pipe of that name first; only our own user's
    // instance may speak for the mouse.
    bool Connect(DWORD timeoutMs, const std::string& trustedUserSid = std::string());
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Handle() const { return handle_; }
    void Close();

    // Each failure or timeout closes the pipe, so later calls fail at once;
    // a writer that shares the pipe with another thread's read keeps it open
    // and leaves the closing to that thread.
    bool Write(const std::vector<uint8_t>& message, DWORD timeoutMs, bool closeOnFailure = true);
    bool Read(std::vector<uint8_t>* message, size_t maxBytes, DWORD timeoutMs);
    bool Transact(const std::vector<uint8_t>& request, std::vector<uint8_t>* answer,
                  size_t maxBytes, DWORD timeoutMs);

    // Waiting for a message among other waits: ReadEvent() is signalled when
    // one arrived or the pipe broke; FinishRead then tells which.
    bool BeginRead();
    HANDLE ReadEvent() const { return readEvent_; }
    bool FinishRead(std::vector<uint8_t>* message, size_t maxBytes);

private:
    bool StartChunk();
    void Cancel(OVERLAPPED& overlapped, HANDLE event);

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    HANDLE readEvent_ = nullptr;
    HANDLE writeEvent_ = nullptr;
    OVERLAPPED readOverlapped_ = {};
    bool reading_ = false;
    std::vector<uint8_t> chunk_;
};

// A security descriptor that lets only this process's user open the object
// (the virtual mouse's pipe and its running event). `attributes()` is null
// when it could not be made; the object then gets the default one.
class OwnUserOnly {
public:
    OwnUserOnly();
    ~OwnUserOnly();
    OwnUserOnly(const OwnUserOnly&) = delete;
    OwnUserOnly& operator=(const OwnUserOnly&) = delete;
    SECURITY_ATTRIBUTES* attributes() { return descriptor_ ? &attributes_ : nullptr; }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_ = {};
};

// "S-1-5-21-..." of the user the process runs as; empty when unknown.
std::string ProcessUserSid(HANDLE process);

}  // namespace vmouse
}  // namespace kestra
