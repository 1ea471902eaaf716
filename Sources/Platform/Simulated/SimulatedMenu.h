#pragma once

#include "MenuBarCore/Geometry/Geometry.h"

#include <chrono>
#include <optional>
#include <string>

namespace pellacor::platform {

// What pressing a simulated status item does: it opens the item's menu as a
// pop-up window (layer 101) under the item after a delay, and the menu stays
// open, as a real menu does, until it is closed (a click elsewhere, Escape),
// or closes on its own after a while when a scenario asks for that (the user
// picked something). Opening a menu closes any other open menu.
struct SimulatedMenu {
    enum class Opening {
        always,     // wherever the item stands, also while it is kept off the bar
        whenPlaced, // only while the item stands on the menu bar
        never,      // the item has no menu
    };

    Opening opens = Opening::whenPlaced;
    std::chrono::milliseconds openDelay{80};
    // How long the menu stays open; nothing keeps it open until it is closed.
    std::optional<std::chrono::milliseconds> openFor;
    // The application whose window the menu is, when not the item's owner (a
    // system item whose menu another process draws); its first running process.
    std::optional<std::string> ownerBundleIdentifier;
    core::Size size{240, 180};

    bool operator==(const SimulatedMenu&) const = default;
};

} // namespace pellacor::platform
