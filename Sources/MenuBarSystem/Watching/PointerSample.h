#pragma once

namespace pellacor::system {

// One look at the pointer for the automatic collapse.
struct PointerSample {
    // The pointer is in the menu-bar strip of the screen it is on.
    bool inMenuBar = false;
    // A button is down, a menu is open, or a panel is under the pointer; also
    // when the window list cannot be read.
    bool menuOpen = false;

    bool operator==(const PointerSample&) const = default;
};

} // namespace pellacor::system
