#pragma once

#include "Trayvane/Theme/Appearance.h"

#include <QColor>
#include <cstdint>

namespace pellacor::app {

// One colour of the theme for both appearances, as opaque 24-bit sRGB values
// (0xRRGGBB). It is resolved whenever it is drawn, so a change of appearance
// reaches every colour already on screen.
struct ThemeColor {
    std::uint32_t light = 0;
    std::uint32_t dark = 0;

    static constexpr ThemeColor dynamic(std::uint32_t light, std::uint32_t dark) { return {light, dark}; }

    constexpr std::uint32_t rgb(Appearance appearance) const {
        return appearance == Appearance::dark ? dark : light;
    }
    QColor resolved(Appearance appearance) const { return QColor::fromRgb(rgb(appearance) | 0xFF000000U); }
    QColor resolved() const { return resolved(currentAppearance()); }

    constexpr bool operator==(const ThemeColor&) const = default;
};

} // namespace pellacor::app
