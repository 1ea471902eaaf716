#pragma once

#include "MenuBarCore/Geometry/Geometry.h"

#include <cstdint>

namespace pellacor::platform {

// A window an application has open when it joins the simulated desktop (a
// document window, a panel). The desktop numbers it.
struct SimulatedWindow {
    // 0 for ordinary windows, 101 for pop-up menus, negative for desktop elements.
    std::int64_t layer = 0;
    // Top-down coordinates: origin at the top left of the first screen, y down.
    core::Rect bounds{200, 120, 800, 600};
    bool isOnScreen = true;

    bool operator==(const SimulatedWindow&) const = default;
};

} // namespace pellacor::platform
