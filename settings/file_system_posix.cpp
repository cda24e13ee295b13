#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>
#include <string>

#include "settings/file_system.h"

namespace kestra {
namespace {

std::string Native(const std::string& path) {
    std::string out = path;
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

// Natively only one program runs, so a lock within the process suffices.
std::mutex& WriteMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    FILE* f = fopen(Native(path).c_str(), "rb");
    if (!f) return false;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    fclose(f);
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
    const std::string target = Native(path);
    const std::string temp = target + ".tmp~";
    FILE* f = fopen(temp.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = fflush(f) == 0 && ok;
    ok = fsync(fileno(f)) == 0 && ok;
    ok = fclose(f) == 0 && ok;
    if (!ok || rename(temp.c_str(), target.c_str()) != 0) {
        remove(temp.c_str());
        return false;
    }
    return true;
}

bool CanOpenForReading(const std::string& path) {
    FILE* f = fopen(Native(path).c_str(), "rb");
    if (!f) return false;
    fclose(f);
    return true;
}

bool EnsureDirectory(const std::string& path) {
    std::string native = Native(path);
    while (native.size() > 1 && native.back() == '/') native.pop_back();
    struct stat st;
    if (stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    return mkdir(native.c_str(), 0755) == 0;
}

bool RemoveFile(const std::string& path) { return remove(Native(path).c_str()) == 0; }

FileWriteLock::FileWriteLock(const std::string&) {
    WriteMutex().lock();
    owned_ = true;
}

FileWriteLock::~FileWriteLock() {
    if (owned_) WriteMutex().unlock();
}

}  // namespace kestra
