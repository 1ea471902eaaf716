#pragma once

#include "Trayvane/Theme/ThemeColor.h"

namespace pellacor::app {

// The four text colours every window shares.
struct AppColor {
    static constexpr ThemeColor secondaryText = ThemeColor::dynamic(0x4C4C4C, 0xCCCCCC);
    static constexpr ThemeColor warningText = ThemeColor::dynamic(0x8F4300, 0xFF891F);
    static constexpr ThemeColor errorText = ThemeColor::dynamic(0xB50004, 0xFF8587);
    static constexpr ThemeColor successText = ThemeColor::dynamic(0x00661A, 0x00C431);
};

} // namespace pellacor::app
