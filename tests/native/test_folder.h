// A fresh, empty program folder for one test, removed afterwards.
#pragma once

#include <string>

namespace kestra_test {

class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;
    // With the trailing separator, as ProgramFolder has it.
    const std::string& path() const { return path_; }
    std::string Read(const std::string& relative) const;
    void Write(const std::string& relative, const std::string& bytes) const;
    bool Exists(const std::string& relative) const;

private:
    std::string path_;
};

}  // namespace kestra_test
