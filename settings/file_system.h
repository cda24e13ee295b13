// The few file operations the settings code needs, one implementation per
// platform. Paths use Windows separators throughout; the POSIX side maps them.
#pragma once

#include <string>

namespace kestra {

bool ReadWholeFile(const std::string& path, std::string& bytes);
// Writes a temporary file beside the target, then replaces the target with it,
// so that a crash leaves either the old or the new complete file.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);
bool CanOpenForReading(const std::string& path);
// Creates the folder when nothing of that name exists or it is not a folder.
bool EnsureDirectory(const std::string& path);
bool RemoveFile(const std::string& path);

// Held around re-reading, changing and rewriting one file, so that Monitor and
// Option saving the same file at once do not drop each other's keys. Taking it
// never fails: after a few seconds of waiting (a hung holder) the save goes
// ahead unprotected rather than be lost.
class FileWriteLock {
public:
    explicit FileWriteLock(const std::string& path);
    ~FileWriteLock();
    FileWriteLock(const FileWriteLock&) = delete;
    FileWriteLock& operator=(const FileWriteLock&) = delete;

private:
    void* handle_ = nullptr;
    bool owned_ = false;
};

}  // namespace kestra
