#include "settings/registry_path.h"

#include <cctype>

namespace kestra {
namespace {

bool SameIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (tolower(static_cast<unsigned char>(a[i])) != tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && b[i] == 0;
}

}  // namespace

bool SplitRegistryPath(const std::string& path, RegistryRoot& root, std::string& subkey) {
    const std::string::size_type slash = path.find('\\');
    if (slash == std::string::npos) return false;
    const std::string first = path.substr(0, slash);
    struct Named {
        const char* name;
        RegistryRoot root;
    };
    static const Named kRoots[] = {{"HKEY_LOCAL_MACHINE", RegistryRoot::kLocalMachine},
                                   {"HKEY_CURRENT_USER", RegistryRoot::kCurrentUser},
                                   {"HKEY_CURRENT_CONFIG", RegistryRoot::kCurrentConfig},
                                   {"HKEY_CLASSES_ROOT", RegistryRoot::kClassesRoot}};
    for (const Named& named : kRoots) {
        if (SameIgnoringCase(first, named.name)) {
            root = named.root;
            subkey = path.substr(slash + 1);
            return true;
        }
    }
    root = RegistryRoot::kLocalMachine;
    subkey = path;
    return true;
}

}  // namespace kestra
