#include "MenuBarSystem/Watching/DragTracker.h"

#include <cmath>

namespace pellacor::system {

std::optional<DragTracker::Event> DragTracker::step(bool buttonDown, bool command, core::Point location) {
    if (buttonDown) {
        if (down) {
            return std::nullopt;
        }
        down = true;
        if (!command) {
            start.reset();
            return std::nullopt;
        }
        start = location;
        return Pressed{location};
    }
    down = false;
    if (!start) {
        return std::nullopt;
    }
    const core::Point from = *start;
    start.reset();
    if (std::hypot(location.x - from.x, location.y - from.y) >= minimumDistance) {
        return Released{from, location};
    }
    return std::nullopt;
}

} // namespace pellacor::system
