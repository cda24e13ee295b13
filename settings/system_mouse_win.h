// The Win32 side of the system pointer settings: the current user's registry
// and the SystemParametersInfoA / SetDoubleClickTime calls.
#pragma once

#include <windows.h>

#include <string>

#include "settings/registry_key_win.h"
#include "settings/system_mouse.h"

namespace kestra {

class CurrentUserRegistry : public PointerRegistry {
public:
    // `base` is a path under HKEY_CURRENT_USER below which the keys are
    // looked up; empty for the user's own settings (tests use a scratch key).
    explicit CurrentUserRegistry(std::string base = std::string());
    ~CurrentUserRegistry() override;
    CurrentUserRegistry(const CurrentUserRegistry&) = delete;
    CurrentUserRegistry& operator=(const CurrentUserRegistry&) = delete;

    bool OpenKey(const char* path) override;
    int32_t ReadNumber(const char* value) override;
    void CloseKey() override;

private:
    std::string base_;
    RegistryKey key_;
};

class SystemPointerWriter : public PointerWriter {
public:
    void Write(const PointerWrite& write) override;
};

// The SystemSettingsReader for LoadStore: reads the user's own settings.
void ReadSystemSettingsFromRegistry(ProfileSettings& profile);

}  // namespace kestra
