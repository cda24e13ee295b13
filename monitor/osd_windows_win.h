// The display program's windows on the desktop: found by title, reached by
// posted messages only.
#pragma once

#include "monitor/osd_indications.h"

namespace kestra {

class DesktopOsdWindows : public OsdWindows {
public:
    bool Post(const char* title, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
};

}  // namespace kestra
