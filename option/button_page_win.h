// Button assignment page (tab "47"): a box per mouse button of the current
// profile, each showing and choosing its function.
#pragma once

#include "option/option_page_win.h"

namespace kestra {

class CButtonPage : public COptionPage {
public:
    explicit CButtonPage(OptionContext& context) : COptionPage("skin_button_page.ini", context) {}
};

}  // namespace kestra
