#include "monitor/add_ons_win.h"

namespace kestra {

std::unique_ptr<MonitorAddOns> CreateMonitorAddOns(const AddOnContext& context) {
    (void)context;
    return std::unique_ptr<MonitorAddOns>(new MonitorAddOns());
}

}  // namespace kestra
