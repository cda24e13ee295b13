#include "skin/button_image.h"

namespace kestra {

ButtonImage ChooseButtonImage(const ButtonLook& look) {
    if (look.toggleMode) {
        if (look.disabled) return ButtonImage::kDisable;
        if (!look.checked) return look.hover ? ButtonImage::kOver : ButtonImage::kNormal;
        return ButtonImage::kDown;
    }
    if (look.checked && !look.disabled) return ButtonImage::kDown;
    if (look.selected) return ButtonImage::kDown;
    if (look.hover) return ButtonImage::kOver;
    if (!look.disabled) return ButtonImage::kNormal;
    return ButtonImage::kDisable;
}

}  // namespace kestra
