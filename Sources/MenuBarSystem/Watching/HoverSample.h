#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarCore/Planning/HoverZone.h"

namespace pellacor::system {

// One look at the pointer for hover reveal.
struct HoverSample {
    core::HoverZone zone = core::HoverZone::away;
    // Any mouse button is down.
    bool buttonsPressed = false;
    // The pointer, in screen coordinates (origin at the bottom left of the
    // first screen, y up).
    core::Point location;

    bool operator==(const HoverSample&) const = default;
};

} // namespace pellacor::system
