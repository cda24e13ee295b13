// DPI levels page (tab "40"): the five resolution levels of the current
// profile, the active one, their colours and the sensitivity.
#pragma once

#include "option/option_page_win.h"

namespace kestra {

class CDpiPage : public COptionPage {
public:
    explicit CDpiPage(OptionContext& context) : COptionPage("skin_DPI.ini", context) {}
};

}  // namespace kestra
