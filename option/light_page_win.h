// Lighting page (tab "38"): light effect, intensity or speed, direction and
// the colour of the active level.
#pragma once

#include "option/option_page_win.h"

namespace kestra {

class CLightPage : public COptionPage {
public:
    explicit CLightPage(OptionContext& context) : COptionPage("skin_light_setting.ini", context) {}
};

}  // namespace kestra
