#include "Trayvane/Theme/AppButtonStyle.h"

namespace pellacor::app {

ButtonLook AppButtonStyle::look(bool isEnabled, bool isPressed, Appearance appearance) const {
    ButtonLook look;
    if (!isEnabled) {
        look.text = disabledText.rgb(appearance);
    } else {
        look.text = (prominent ? prominentText : plainText).rgb(appearance);
        look.fill = (prominent ? prominentFill : plainFill).rgb(appearance);
    }
    // Only a plain button's fill fades while pressed; a prominent one keeps its strength.
    look.fillOpacity = isPressed && !prominent ? ButtonLook::pressedPlainOpacity : 1;
    // An enabled prominent button shows no border; every other one (a disabled
    // prominent button too) has the plain border, dashed while disabled.
    if (!(isEnabled && prominent)) {
        look.border = plainBorder.rgb(appearance);
    }
    look.dashedBorder = !isEnabled;
    look.scale = isPressed ? ButtonLook::pressedScale : 1;
    return look;
}

} // namespace pellacor::app
