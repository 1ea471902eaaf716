#pragma once

#include "MenuBarCore/Geometry/Geometry.h"

#include <optional>

namespace pellacor::platform {

// One screen: its frame in screen coordinates (origin at the bottom left of the
// first screen, y up), the height of its menu bar, and the width of the camera
// housing that cuts into the middle of its menu bar, if it has one.
struct SimulatedScreen {
    core::Rect frame{0, 0, 1512, 982};
    double menuBarHeight = 24;
    std::optional<double> cameraHousingWidth;

    SimulatedScreen() = default;
    SimulatedScreen(core::Rect frame, double menuBarHeight = 24,
                    std::optional<double> cameraHousingWidth = std::nullopt)
        : frame(frame), menuBarHeight(menuBarHeight), cameraHousingWidth(cameraHousingWidth) {}

    bool operator==(const SimulatedScreen&) const = default;
};

} // namespace pellacor::platform
