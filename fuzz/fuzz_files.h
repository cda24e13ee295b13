// A scratch folder of the fuzzing process for parsers that read files: each
// input is written there under the name the program reads.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/file_system.h"

namespace kestra_fuzz {

inline const std::string& ScratchFolder() {
    static const std::string folder = [] {
        char name[] = "/tmp/kestra-fuzz-XXXXXX";
        const char* made = mkdtemp(name);
        if (made == nullptr) abort();
        return std::string(made) + "/";
    }();
    return folder;
}

inline std::string WriteScratch(const std::string& relative, const std::string& bytes) {
    const std::string path = ScratchFolder() + relative;
    const size_t slash = path.rfind('/');
    kestra::EnsureDirectory(path.substr(0, slash));
    if (!kestra::WriteFileAtomically(path, bytes)) abort();
    return path;
}

// The input cut into pieces at a separator byte sequence, as several files.
inline std::string Piece(const std::string& bytes, int index) {
    static const std::string kSeparator = "\n====\n";
    size_t from = 0;
    for (int i = 0; i < index; ++i) {
        const size_t at = bytes.find(kSeparator, from);
        if (at == std::string::npos) return "";
        from = at + kSeparator.size();
    }
    const size_t end = bytes.find(kSeparator, from);
    return bytes.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

}  // namespace kestra_fuzz
