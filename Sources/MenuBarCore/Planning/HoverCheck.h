#pragma once

namespace pellacor::core {

// What the caller found when it checked a completed dwell.
enum class HoverCheck {
    clear,    // reveal now
    menuOpen, // a menu is open or a mouse button is down
    notEmpty, // the menu bar under the pointer is not empty space
};

} // namespace pellacor::core
