// Where Monitor's window creates its add-ons (media players, tilt scrolling,
// on-screen display) with their Win32 effects. One function, so that wiring a
// new add-on touches one place.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "monitor/add_ons.h"
#include "settings/settings_record.h"

namespace kestra {

struct AddOnContext {
    // Holds TIMER_VOLUME_REPEAT and receives the application commands that
    // default processing hands on to the system.
    HWND monitorWindow;
    std::string programFolder;  // ends in a backslash
    std::string configPath;     // config.ini
    // Monitor's working copy; read it on the window thread only.
    const SettingsStore* working;
};

// Called once during window creation, before any event can arrive.
std::unique_ptr<MonitorAddOns> CreateMonitorAddOns(const AddOnContext& context);

}  // namespace kestra
