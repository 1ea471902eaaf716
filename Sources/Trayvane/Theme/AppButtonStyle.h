#pragma once

#include "Trayvane/Theme/Appearance.h"
#include "Trayvane/Theme/ButtonLook.h"
#include "Trayvane/Theme/ThemeColor.h"

namespace pellacor::app {

// The one button style of the program: the emphasised look for a window's main
// action (`prominent`), otherwise the plain look. The look is one pure function
// of the style, the button's state and the appearance.
struct AppButtonStyle {
    bool prominent = false;

    static constexpr ThemeColor prominentFill = ThemeColor::dynamic(0x0A4AA6, 0x8CC4FF);
    static constexpr ThemeColor prominentText = ThemeColor::dynamic(0xFFFFFF, 0x000000);
    static constexpr ThemeColor plainFill = ThemeColor::dynamic(0xFFFFFF, 0x3A3A3A);
    static constexpr ThemeColor plainText = ThemeColor::dynamic(0x1E1E1E, 0xF2F2F2);
    static constexpr ThemeColor plainBorder = ThemeColor::dynamic(0x767676, 0x9A9A9A);
    static constexpr ThemeColor disabledText = ThemeColor::dynamic(0x4A4A4A, 0xC4C4C4);

    ButtonLook look(bool isEnabled, bool isPressed, Appearance appearance) const;
};

} // namespace pellacor::app
