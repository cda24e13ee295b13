// Monitor's outward actions behind the add-on seam: the on-screen
// indications, the media players and sideways scrolling, each driven through
// its own effects so that the whole is portable. The Win32 effects are put
// together in CreateMonitorAddOns (add_ons_win.cpp).
#pragma once

#include <memory>
#include <string>

#include "monitor/add_ons.h"
#include "monitor/media_players.h"
#include "monitor/osd_indications.h"
#include "monitor/tilt_scroll.h"

namespace kestra {

class MonitorActions : public MonitorAddOns {
public:
    struct Parts {
        std::unique_ptr<OsdWindows> osdWindows;
        std::unique_ptr<MediaEffects> media;
        std::unique_ptr<TiltScroller> tilt;
        std::string configIniPath;
        // Monitor's working copy, read on the window thread for the current
        // profile's player and tilt speed.
        const SettingsStore* working;
    };
    explicit MonitorActions(Parts parts);

    void OnMediaFunction(int function, bool released) override;
    void OnVolumeRepeatTimer() override;
    void OnTilt(bool right) override;
    void ShowProfile(int profile, ProfileIndicationReason reason, const OsdSettings& osd) override;
    void ShowDpiLevel(const ProfileSettings& profile, int level) override;
    void ShowMacro(const ProfileSettings& profile, int button, const OsdSettings& osd) override;
    void ShowText(const std::string& text, bool connected) override;
    void OsdSettingsChanged(const OsdSettings& osd) override;

private:
    const ProfileSettings& CurrentProfile() const;

    Parts parts_;
    OsdIndications osd_;
    MediaController media_;
};

}  // namespace kestra
