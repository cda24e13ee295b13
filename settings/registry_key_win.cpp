#include "settings/registry_key_win.h"

#include <vector>

#include "settings/registry_path.h"

namespace kestra {
namespace {

HKEY RootKey(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::kCurrentUser:
            return HKEY_CURRENT_USER;
        case RegistryRoot::kCurrentConfig:
            return HKEY_CURRENT_CONFIG;
        case RegistryRoot::kClassesRoot:
            return HKEY_CLASSES_ROOT;
        case RegistryRoot::kLocalMachine:
            break;
    }
    return HKEY_LOCAL_MACHINE;
}

}  // namespace

bool RegistryKey::Open(const std::string& path, REGSAM access, bool createMissing) {
    Close();
    RegistryRoot root;
    std::string subkey;
    if (!SplitRegistryPath(path, root, subkey)) return false;
    HKEY key = nullptr;
    if (RegOpenKeyExA(RootKey(root), subkey.c_str(), 0, access, &key) != ERROR_SUCCESS) {
        key = nullptr;
        if (!createMissing || RegCreateKeyA(RootKey(root), subkey.c_str(), &key) != ERROR_SUCCESS)
            return false;
    }
    key_ = key;
    return true;
}

void RegistryKey::Close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
}

std::string RegistryKey::ReadString(const std::string& name, DWORD maxBytes) const {
    if (!key_ || maxBytes < 2) return std::string();
    std::vector<char> buffer(maxBytes + 1, 0);
    DWORD type = 0, size = maxBytes;
    if (RegQueryValueExA(key_, name.empty() ? nullptr : name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
        return std::string();
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::string();
    // A stored value need not end in a terminator.
    buffer[size < maxBytes ? size : maxBytes] = 0;
    return std::string(buffer.data());
}

}  // namespace kestra
