// Registry key paths as the settings name them: an optional root name, then
// the subkey ("HKEY_CURRENT_USER\Control Panel\Mouse"). A path without a
// known root lies under HKEY_LOCAL_MACHINE.
#pragma once

#include <string>

namespace kestra {

enum class RegistryRoot { kLocalMachine, kCurrentUser, kCurrentConfig, kClassesRoot };

// False for a path without any backslash.
bool SplitRegistryPath(const std::string& path, RegistryRoot& root, std::string& subkey);

}  // namespace kestra
