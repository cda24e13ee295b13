#include "tests/native/test_folder.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "settings/file_system.h"

namespace kestra_test {
namespace {

void RemoveTree(const std::string& path) {
#ifdef _WIN32
    std::string pattern = path + "*";
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = path + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full + "\\");
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
#else
    std::string command = "rm -rf '" + path + "'";
    if (system(command.c_str()) != 0) perror("rm");
#endif
}

}  // namespace

TestFolder::TestFolder() {
    static int counter = 0;
#ifdef _WIN32
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + "kestra_test_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(counter++) + "\\";
#else
    char pattern[] = "/tmp/kestra_test_XXXXXX";
    path_ = std::string(mkdtemp(pattern)) + "/";
    (void)counter;
#endif
    kestra::EnsureDirectory(path_);
}

TestFolder::~TestFolder() { RemoveTree(path_); }

std::string TestFolder::Read(const std::string& relative) const {
    std::string bytes;
    kestra::ReadWholeFile(path_ + relative, bytes);
    return bytes;
}

void TestFolder::Write(const std::string& relative, const std::string& bytes) const {
    kestra::WriteFileAtomically(path_ + relative, bytes);
}

bool TestFolder::Exists(const std::string& relative) const {
    return kestra::CanOpenForReading(path_ + relative);
}

}  // namespace kestra_test
