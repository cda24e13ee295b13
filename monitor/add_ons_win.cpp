#include "monitor/add_ons_win.h"

#include "monitor/media_players_win.h"
#include "monitor/monitor_actions.h"
#include "monitor/osd_windows_win.h"
#include "monitor/tilt_scroll_win.h"

namespace kestra {

std::unique_ptr<MonitorAddOns> CreateMonitorAddOns(const AddOnContext& context) {
    MonitorActions::Parts parts;
    parts.osdWindows.reset(new DesktopOsdWindows());
    parts.media.reset(new SystemMediaEffects(context.monitorWindow));
    parts.tilt.reset(new DesktopTiltScroller());
    parts.configIniPath = context.configPath;
    parts.working = context.working;
    return std::unique_ptr<MonitorAddOns>(new MonitorActions(std::move(parts)));
}

}  // namespace kestra
