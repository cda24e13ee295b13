// The points where Monitor hands an event to the parts that drive things
// outside it: media players, sideways scrolling and the on-screen display.
// Every call comes on the window thread unless its comment says otherwise.
// The defaults do nothing, so Monitor runs the same without them.
#pragma once

#include <string>

#include "settings/osd_settings.h"
#include "settings/settings_record.h"

namespace kestra {

// Why a profile indication is shown: the mouse switched by itself (shown
// whenever the OSD runs), program watch switched (shown when the indication is
// on), or the device thread finished selecting the profile on the mouse; a
// command line's switch is shown as the watch's is.
enum class ProfileIndicationReason { kDevice, kProgramWatch, kDeviceSelected, kCommandLine };

class MonitorAddOns {
public:
    virtual ~MonitorAddOns() = default;

    // Event 0xF000: media function 32..39, `released` when the high byte was set.
    virtual void OnMediaFunction(int function, bool released) {
        (void)function;
        (void)released;
    }
    // TIMER_VOLUME_REPEAT expired; the add-on that started it re-sends.
    virtual void OnVolumeRepeatTimer() {}
    // Event 0x1000: one tilt of the wheel (value 1 right, 255 left).
    virtual void OnTilt(bool right) { (void)right; }

    // The OSD indications. kDeviceSelected is handed over from the device
    // thread by a posted message, so this too runs on the window thread.
    virtual void ShowProfile(int profile, ProfileIndicationReason reason, const OsdSettings& osd) {
        (void)profile;
        (void)reason;
        (void)osd;
    }
    // The mouse selected DPI level 1..8 of the current profile.
    virtual void ShowDpiLevel(const ProfileSettings& profile, int level) {
        (void)profile;
        (void)level;
    }
    // Button 1..16 was pressed with event 0x4000 (a macro button or not).
    virtual void ShowMacro(const ProfileSettings& profile, int button, const OsdSettings& osd) {
        (void)profile;
        (void)button;
        (void)osd;
    }
    // A text record arrived by WM_COPYDATA.
    virtual void ShowText(const std::string& text, bool connected) {
        (void)text;
        (void)connected;
    }
    // OsdSettings were re-read after an apply.
    virtual void OsdSettingsChanged(const OsdSettings& osd) { (void)osd; }
};

}  // namespace kestra
