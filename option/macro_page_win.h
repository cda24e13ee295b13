// Macro page (tab "37"): the macro library.
#pragma once

#include "option/option_page_win.h"

namespace kestra {

class CMacroPage : public COptionPage {
public:
    explicit CMacroPage(OptionContext& context) : COptionPage("skin_macro_page.ini", context) {}
};

}  // namespace kestra
