#include "monitor/osd_indications.h"

#include <cstring>

#include "device/device_commands.h"
#include "monitor/dispatch.h"
#include "settings/ini_file.h"
#include "settings/ipc_names.h"

namespace kestra {
namespace {

// Buttons above this one have no macro indication.
constexpr int kLastAnnouncedButton = 15;

const char kDataSection[] = "OSDData";
const char kMessageKey[] = "Message";
const char kMacroSection[] = "MacroOSD";
const char kNumberKey[] = "Number";
const char kMacroNameKey[] = "MacroName";

}  // namespace

std::string OsdLineText(const std::string& text) {
    std::string line = text;
    for (char& c : line) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) c = ' ';
    }
    return line;
}

OsdIndications::OsdIndications(OsdWindows& windows, std::string configIniPath)
    : windows_(windows), configIniPath_(std::move(configIniPath)) {}

void OsdIndications::ShowProfile(int profileIndex, ProfileIndicationReason reason,
                                 const OsdSettings& osd) {
    if (profileIndex < 0 || profileIndex >= kProfileCount) return;
    if (reason != ProfileIndicationReason::kDevice && !osd.ProfileIndication()) return;
    windows_.Post(kOsdWindowTitle, UM_OSD_SHOW, OSD_SHOW_PROFILE,
                  static_cast<intptr_t>(profileIndex) << 16);
}

void OsdIndications::WriteMessage(const std::string& text) {
    IniFile file(configIniPath_);
    file.SetString(kDataSection, kMessageKey, OsdLineText(text));
    file.Save();
}

void OsdIndications::ShowDpiLevel(const ProfileSettings& profile, int level) {
    if (level < 1 || level > 8) return;
    WriteMessage(DpiLevelText(profile, level));
    windows_.Post(kOsdWindowTitle, UM_OSD_SHOW, OSD_SHOW_MESSAGE, 0);
}

void OsdIndications::ShowMacro(const ProfileSettings& profile, int button, const OsdSettings& osd) {
    if (!osd.MacroIndication()) return;
    if (button < 1 || button > kLastAnnouncedButton) return;
    const ButtonAssignment& assignment = profile.buttons[button - 1];
    if (assignment.function != kFunctionMacro) return;
    const std::string name(assignment.label, strnlen(assignment.label, sizeof assignment.label));
    IniFile file(configIniPath_);
    file.SetInt(kMacroSection, kNumberKey, MacroIndicationNumber(button));
    file.SetString(kMacroSection, kMacroNameKey, OsdLineText(name));
    file.Save();
    windows_.Post(kOsdWindowTitle, UM_OSD_SHOW, OSD_SHOW_MACRO, 0);
}

void OsdIndications::ShowText(const std::string& text, bool connected) {
    WriteMessage(text);
    if (connected) windows_.Post(kOsdWindowTitle, UM_OSD_SHOW, OSD_SHOW_MESSAGE, 0);
}

void OsdIndications::SettingsChanged(const OsdSettings& osd) {
    windows_.Post(kOsdWindowTitle, UM_OSD_SETTINGS, 0,
                  static_cast<intptr_t>(osd.ForwardedValues()));
}

}  // namespace kestra
