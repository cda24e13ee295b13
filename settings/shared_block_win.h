// The kernel objects between Monitor and Option: the SharedSettingsBlock
// (a paging-file mapping holding one SettingsStore), the block mutex that
// guards every copy, and the single-instance mutexes.
#pragma once

#include <windows.h>

#include <string>

#include "settings/ipc_names.h"
#include "settings/settings_record.h"

namespace kestra {

// Owns a kernel handle; closes it once. Move-only.
class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE handle) : handle_(handle) {}
    ~KernelHandle() { Reset(); }
    KernelHandle(KernelHandle&& other) noexcept : handle_(other.Release()) {}
    KernelHandle& operator=(KernelHandle&& other) noexcept;
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;

    HANDLE Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    HANDLE Release();
    void Reset(HANDLE handle = nullptr);

private:
    HANDLE handle_ = nullptr;
};

// Monitor: creates the block mutex, not initially owned. `existed` tells
// whether another process had already created it (Monitor then refuses to
// start its window). Null on failure.
KernelHandle CreateBlockMutex(bool& existed, const char* name = kBlockMutexName);
// Option: opens Monitor's block mutex with full access; null when absent.
KernelHandle OpenBlockMutex(const char* name = kBlockMutexName);

class SharedSettingsBlock {
public:
    enum OpenResult { kMapped, kAbsent, kViewFailed };

    SharedSettingsBlock() = default;
    ~SharedSettingsBlock() { Close(); }
    SharedSettingsBlock(const SharedSettingsBlock&) = delete;
    SharedSettingsBlock& operator=(const SharedSettingsBlock&) = delete;

    // Monitor: creates the mapping (open to everyone, inheritable) and maps
    // it for reading and writing.
    bool Create(const char* name = kSharedBlockName);
    // Option: opens and maps Monitor's mapping. kViewFailed when it exists
    // but cannot be mapped, or is too small to hold a store.
    OpenResult Open(const char* name = kSharedBlockName);
    bool IsMapped() const { return view_ != nullptr; }
    void Close();

    // Copy the whole store out of or into the block while holding `mutex`
    // (waiting without limit). Without a view, or when the wait does not
    // report the mutex as acquired, nothing is copied and the result is false.
    bool Read(HANDLE mutex, SettingsStore& store) const;
    bool Write(HANDLE mutex, const SettingsStore& store);

private:
    KernelHandle mapping_;
    void* view_ = nullptr;
};

// Holds a single-instance mutex for the life of the program.
class SingleInstance {
public:
    SingleInstance() = default;
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Creates the named mutex; false when another process already holds the
    // name (the handle is then closed at once) or it cannot be created.
    bool Acquire(const char* name);

private:
    KernelHandle mutex_;
};

// The OSD text record of a WM_COPYDATA message; lParam may be anything.
bool ReadOsdTextRecord(const COPYDATASTRUCT* data, std::string& text);

}  // namespace kestra
