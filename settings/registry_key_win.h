// A registry key opened from a path with its root name; closed when the
// object ends.
#pragma once

#include <windows.h>

#include <string>

namespace kestra {

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() { Close(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens the key with the access asked for; when that fails and
    // `createMissing` is set, creates it. Look-ups pass false, so that asking
    // about a program never leaves empty keys behind, and read access only,
    // which an ordinary user has under HKEY_LOCAL_MACHINE.
    bool Open(const std::string& path, REGSAM access, bool createMissing);
    void Close();
    bool isOpen() const { return key_ != nullptr; }

    // A string value (empty name: the default value), at most `maxBytes`
    // including the terminator. Empty when missing or not a string.
    std::string ReadString(const std::string& name, DWORD maxBytes = MAX_PATH) const;

private:
    HKEY key_ = nullptr;
};

}  // namespace kestra
