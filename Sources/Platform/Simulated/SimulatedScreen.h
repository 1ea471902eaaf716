#pragma once

#include "MenuBarCore/Geometry/Geometry.h"

namespace pellacor::platform {

// One screen: its frame in screen coordinates (origin at the bottom left of the
// first screen, y up) and the height of its menu bar.
struct SimulatedScreen {
    core::Rect frame{0, 0, 1512, 982};
    double menuBarHeight = 24;

    bool operator==(const SimulatedScreen&) const = default;
};

} // namespace pellacor::platform
