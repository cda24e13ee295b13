// Which of a skinned button's four state images shows in which state.
#pragma once

namespace kestra {

enum class ButtonImage { kNormal, kOver, kDown, kDisable };

struct ButtonLook {
    bool toggleMode;
    bool disabled;
    bool checked;
    bool hover;
    bool selected;  // pressed right now
};

ButtonImage ChooseButtonImage(const ButtonLook& look);

}  // namespace kestra
