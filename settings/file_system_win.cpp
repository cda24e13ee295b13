#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "settings/file_system.h"

namespace kestra {
namespace {

// Readers let a writer replace the file under them; Wine refuses that all the
// same, which the writer's retry below covers.
constexpr DWORD kReadSharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// How long a replace is tried again while another program has the file open.
constexpr DWORD kReplaceRetryMs = 2000;

bool IsSharingError(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_LOCK_VIOLATION;
}

// Another program that reads the file at this moment (Option, the display
// program, a virus scanner) makes the replace fail for as long as it holds the
// file, a few milliseconds; giving up then would lose the new settings.
bool ReplaceTarget(const std::string& temp, const std::string& path) {
    const DWORD start = GetTickCount();
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExA(temp.c_str(), path.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        if (!IsSharingError(GetLastError()) || GetTickCount() - start >= kReplaceRetryMs) {
            return false;
        }
        Sleep(attempt < 8 ? 0 : 2);
    }
}

// Longer than any save takes, even on a busy machine.
constexpr DWORD kWriteLockWaitMs = 5000;

// One name per file whichever way its path is spelt: the full path in lower
// case with backslashes, hashed, as a path may hold characters (and a length)
// that a kernel object name may not.
std::string WriteLockName(const std::string& path) {
    char full[MAX_PATH * 2];
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    std::string normal = length > 0 && length < sizeof full ? std::string(full, length) : path;
    uint64_t hash = 14695981039346656037ull;
    for (char c : normal) {
        if (c == '/') c = '\\';
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    char name[64];
    snprintf(name, sizeof name, "Local\\KestraSettings-%016llx",
             static_cast<unsigned long long>(hash));
    return name;
}

}  // namespace

FileWriteLock::FileWriteLock(const std::string& path) {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, WriteLockName(path).c_str());
    if (!mutex) return;
    handle_ = mutex;
    // An abandoned mutex (the other program died mid-save) is ours all the same.
    const DWORD wait = WaitForSingleObject(mutex, kWriteLockWaitMs);
    owned_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

FileWriteLock::~FileWriteLock() {
    if (!handle_) return;
    if (owned_) ReleaseMutex(static_cast<HANDLE>(handle_));
    CloseHandle(static_cast<HANDLE>(handle_));
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, kReadSharing, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char buffer[65536];
    DWORD read = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr) != 0) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    return ok;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
    // One temporary file per process: Monitor and Option may save the same
    // file at the same moment.
    const std::string temp = path + "." + std::to_string(GetCurrentProcessId()) + ".tmp~";
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = bytes.empty() ||
              (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
               written == bytes.size());
    ok = FlushFileBuffers(file) && ok;
    CloseHandle(file);
    // An imported profile may carry the hidden attribute, which makes a plain
    // replace fail; the new file takes the place of the old one either way.
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (ok && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY)))
        SetFileAttributesA(path.c_str(),
                           attributes & ~(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    if (!ok || !ReplaceTarget(temp, path)) {
        DeleteFileA(temp.c_str());
        return false;
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN))
        SetFileAttributesA(path.c_str(), attributes);
    return true;
}

bool CanOpenForReading(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, kReadSharing, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

bool EnsureDirectory(const std::string& path) {
    std::string folder = path;
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    return CreateDirectoryA(folder.c_str(), nullptr) != 0;
}

bool RemoveFile(const std::string& path) {
    return DeleteFileA(path.c_str()) != 0;
}

}  // namespace kestra
