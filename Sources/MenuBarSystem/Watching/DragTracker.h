#pragma once

#include "MenuBarCore/Geometry/Geometry.h"

#include <optional>
#include <variant>

namespace pellacor::system {

// Turns samples of the left mouse button into presses and releases of a
// Command-drag. Command counts only at the press: a press without it starts
// nothing, even if Command comes down during the drag. A release reports the
// drag only when it lies at least `minimumDistance` from the press.
struct DragTracker {
    // A press made with Command held, at the sampled location.
    struct Pressed {
        core::Point location;
        bool operator==(const Pressed&) const = default;
    };
    // The release of a Command press, far enough from where it began.
    struct Released {
        core::Point from;
        core::Point to;
        bool operator==(const Released&) const = default;
    };
    using Event = std::variant<Pressed, Released>;

    // In points, the bound included.
    static constexpr double minimumDistance = 6.0;

    // The button was down at the last sample.
    bool down = false;
    // Where a Command press went down; nothing otherwise.
    std::optional<core::Point> start;

    // Takes one sample: whether the button is down, whether Command is held and
    // where the pointer is.
    std::optional<Event> step(bool buttonDown, bool command, core::Point location);

    bool operator==(const DragTracker&) const = default;
};

} // namespace pellacor::system
