#pragma once

#include "MenuBarCore/Geometry/Geometry.h"

#include <optional>

namespace pellacor::platform {

// One attached screen as the window server describes it. Every rectangle is in
// screen coordinates: origin at the bottom left of the first screen, y up.
struct Screen {
    // Margins of the screen that its camera housing makes unsafe to draw in.
    struct EdgeInsets {
        double top = 0;
        double left = 0;
        double bottom = 0;
        double right = 0;
        bool operator==(const EdgeInsets&) const = default;
    };

    core::Rect frame;
    // The frame less the menu bar.
    core::Rect visibleFrame;
    // All zero on a screen without a camera housing.
    EdgeInsets safeAreaInsets;
    // The parts of the menu-bar strip left and right of the camera housing;
    // absent on a screen without one.
    std::optional<core::Rect> auxiliaryTopLeftArea;
    std::optional<core::Rect> auxiliaryTopRightArea;

    bool operator==(const Screen&) const = default;
};

} // namespace pellacor::platform
