// What Monitor tells the on-screen display program: the text of an
// indication goes to config.ini first, then a short posted message names its
// kind. The display window is found by title each time and never cached; a
// missing window only skips its message. Starting the companion programs and
// closing their windows at shut-down is the main window's work, not this.
#pragma once

#include <cstdint>
#include <string>

#include "monitor/add_ons.h"
#include "settings/osd_settings.h"
#include "settings/settings_record.h"

namespace kestra {

// The windows of the display program family, reached by title only.
class OsdWindows {
public:
    virtual ~OsdWindows() = default;
    // Posts to the window of that title; false when there is none.
    virtual bool Post(const char* title, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};

// A text as it may be stored as one INI value: control characters (line
// breaks above all, which would start new keys) become blanks.
std::string OsdLineText(const std::string& text);

class OsdIndications {
public:
    OsdIndications(OsdWindows& windows, std::string configIniPath);

    // A profile switch. By the mouse it is always announced; by program watch
    // and after the device thread's select job only when the profile
    // indication is switched on.
    void ShowProfile(int profileIndex, ProfileIndicationReason reason, const OsdSettings& osd);
    // The mouse selected DPI level 1..8 (6..8 have no text, still announced).
    void ShowDpiLevel(const ProfileSettings& profile, int level);
    // Button 1..15 pressed; announced when it carries a macro and the macro
    // indication is on. config.ini is not touched otherwise.
    void ShowMacro(const ProfileSettings& profile, int button, const OsdSettings& osd);
    // A text from another program: stored always, announced only while the
    // mouse is connected.
    void ShowText(const std::string& text, bool connected);
    // After an apply: the display program's two values.
    void SettingsChanged(const OsdSettings& osd);

private:
    void WriteMessage(const std::string& text);

    OsdWindows& windows_;
    std::string configIniPath_;
};

}  // namespace kestra
