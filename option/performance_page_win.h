// Performance page (tab "39"): pointer, wheel, double-click and report-rate
// settings of the current profile.
#pragma once

#include "option/option_page_win.h"

namespace kestra {

class CPerformancePage : public COptionPage {
public:
    explicit CPerformancePage(OptionContext& context)
        : COptionPage("skin_performance.ini", context) {}
};

}  // namespace kestra
