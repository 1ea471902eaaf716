#pragma once

#include <string>

namespace pellacor::system {

// Whether the menu bar at a point is empty space, with a short explanation for
// the log when it is not.
struct HoverSpaceCheck {
    bool empty = false;
    // Empty when `empty` is true.
    std::string note;

    bool operator==(const HoverSpaceCheck&) const = default;
};

} // namespace pellacor::system
