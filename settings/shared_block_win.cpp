#include "settings/shared_block_win.h"

#include <cstring>

#include "settings/osd_text_record.h"

namespace kestra {

KernelHandle& KernelHandle::operator=(KernelHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
}

HANDLE KernelHandle::Release() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
}

void KernelHandle::Reset(HANDLE handle) {
    if (handle_) CloseHandle(handle_);
    handle_ = handle;
}

KernelHandle CreateBlockMutex(bool& existed, const char* name) {
    KernelHandle mutex(CreateMutexA(nullptr, FALSE, name));
    existed = mutex && GetLastError() == ERROR_ALREADY_EXISTS;
    return mutex;
}

KernelHandle OpenBlockMutex(const char* name) {
    return KernelHandle(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name));
}

namespace {

// Maps the whole mapping and checks that it can hold a store: another
// process could have created a smaller object under the same name.
void* MapWhole(HANDLE mapping, DWORD access) {
    void* view = MapViewOfFile(mapping, access, 0, 0, 0);
    if (!view) return nullptr;
    MEMORY_BASIC_INFORMATION info = {};
    if (VirtualQuery(view, &info, sizeof info) != sizeof info ||
        info.RegionSize < kSettingsStoreSize) {
        UnmapViewOfFile(view);
        return nullptr;
    }
    return view;
}

// Holds the block mutex for one copy. An abandoned mutex is owned as well:
// the store is then copied as it stands.
class BlockLock {
public:
    explicit BlockLock(HANDLE mutex) : mutex_(mutex) {
        if (!mutex_) return;
        const DWORD wait = WaitForSingleObject(mutex_, INFINITE);
        held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    }
    ~BlockLock() {
        if (held_) ReleaseMutex(mutex_);
    }
    BlockLock(const BlockLock&) = delete;
    BlockLock& operator=(const BlockLock&) = delete;
    bool Held() const { return held_; }

private:
    HANDLE mutex_;
    bool held_ = false;
};

}  // namespace

bool SharedSettingsBlock::Create(const char* name) {
    Close();
    // A null access list lets Option open the block whatever account or
    // integrity level it runs with.
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION)) return false;
    if (!SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE)) return false;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, TRUE};
    mapping_.Reset(CreateFileMappingA(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0,
                                      static_cast<DWORD>(kSettingsStoreSize), name));
    if (!mapping_) return false;
    view_ = MapWhole(mapping_.Get(), FILE_MAP_READ | FILE_MAP_WRITE);
    if (!view_) mapping_.Reset();
    return view_ != nullptr;
}

SharedSettingsBlock::OpenResult SharedSettingsBlock::Open(const char* name) {
    Close();
    mapping_.Reset(OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name));
    if (!mapping_) return kAbsent;
    view_ = MapWhole(mapping_.Get(), FILE_MAP_ALL_ACCESS);
    if (view_) return kMapped;
    mapping_.Reset();
    return kViewFailed;
}

void SharedSettingsBlock::Close() {
    if (view_) UnmapViewOfFile(view_);
    view_ = nullptr;
    mapping_.Reset();
}

bool SharedSettingsBlock::Read(HANDLE mutex, SettingsStore& store) const {
    if (!view_) return false;
    BlockLock lock(mutex);
    if (!lock.Held()) return false;
    memcpy(&store, view_, kSettingsStoreSize);
    return true;
}

bool SharedSettingsBlock::Write(HANDLE mutex, const SettingsStore& store) {
    if (!view_) return false;
    BlockLock lock(mutex);
    if (!lock.Held()) return false;
    memcpy(view_, &store, kSettingsStoreSize);
    return true;
}

SingleInstance::~SingleInstance() {
    if (mutex_) ReleaseMutex(mutex_.Get());
}

bool SingleInstance::Acquire(const char* name) {
    mutex_.Reset(CreateMutexA(nullptr, FALSE, name));
    if (!mutex_) return false;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        mutex_.Reset();
        return false;
    }
    return true;
}

bool ReadOsdTextRecord(const COPYDATASTRUCT* data, std::string& text) {
    if (!data) return false;
    return ReadOsdTextRecord(data->lpData, data->cbData, text);
}

}  // namespace kestra
