#include "monitor/monitor_actions.h"

namespace kestra {

MonitorActions::MonitorActions(Parts parts)
    : parts_(std::move(parts)),
      osd_(*parts_.osdWindows, parts_.configIniPath),
      media_(*parts_.media) {}

const ProfileSettings& MonitorActions::CurrentProfile() const {
    const int p = parts_.working->CurrentProfile;
    return parts_.working->profiles[(p >= 0 && p < kProfileCount) ? p : 0];
}

void MonitorActions::OnMediaFunction(int function, bool released) {
    media_.OnFunction(CurrentProfile().MediaOption, function, released);
}

void MonitorActions::OnVolumeRepeatTimer() {
    media_.OnVolumeRepeat();
}

void MonitorActions::OnTilt(bool right) {
    parts_.tilt->Scroll(right ? TiltDirection::kRight : TiltDirection::kLeft,
                        CurrentProfile().TiltSpeed);
}

void MonitorActions::ShowProfile(int profile, ProfileIndicationReason reason,
                                 const OsdSettings& osd) {
    osd_.ShowProfile(profile, reason, osd);
}

void MonitorActions::ShowDpiLevel(const ProfileSettings& profile, int level) {
    osd_.ShowDpiLevel(profile, level);
}

void MonitorActions::ShowMacro(const ProfileSettings& profile, int button, const OsdSettings& osd) {
    osd_.ShowMacro(profile, button, osd);
}

void MonitorActions::ShowText(const std::string& text, bool connected) {
    osd_.ShowText(text, connected);
}

void MonitorActions::OsdSettingsChanged(const OsdSettings& osd) {
    osd_.SettingsChanged(osd);
}

}  // namespace kestra
