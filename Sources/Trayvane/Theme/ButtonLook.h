#pragma once

#include <cstdint>
#include <optional>

namespace pellacor::app {

// How one button is drawn in one appearance: what `AppButtonStyle::look` decides
// and `AppButton` paints. Colours are opaque 0xRRGGBB; nothing means clear.
struct ButtonLook {
    std::uint32_t text = 0;
    std::optional<std::uint32_t> fill;
    double fillOpacity = 1;
    std::optional<std::uint32_t> border;
    bool dashedBorder = false;
    double scale = 1;

    // The body's geometry, the same for every button.
    static constexpr double horizontalPadding = 14;
    static constexpr double verticalPadding = 7;
    static constexpr double cornerRadius = 7;
    static constexpr double borderWidth = 1;
    static constexpr double dashOn = 4;
    static constexpr double dashOff = 3;
    static constexpr double pressedScale = 0.97;
    static constexpr double pressedPlainOpacity = 0.8;

    bool operator==(const ButtonLook&) const = default;
};

} // namespace pellacor::app
