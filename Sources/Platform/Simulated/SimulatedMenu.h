#pragma once

#include "MenuBarCore/Geometry/Geometry.h"

#include <chrono>
#include <optional>
#include <string>

namespace pellacor::platform {

// What pressing a simulated status item does: it opens the item's menu as a
// pop-up window (layer 101) under the item after a delay, and the menu closes
// again after a while (the user picked something or clicked away), or stays
// until it is closed by hand. Opening a menu closes any other open menu.
struct SimulatedMenu {
    enum class Opening {
        always,     // wherever the item stands, also while it is kept off the bar
        whenPlaced, // only while the item stands on the menu bar
        never,      // the item has no menu
    };

    Opening opens = Opening::whenPlaced;
    std::chrono::milliseconds openDelay{80};
    // How long the menu stays open; nothing keeps it open until it is closed by hand.
    std::optional<std::chrono::milliseconds> openFor = std::chrono::milliseconds(4000);
    // The application whose window the menu is, when not the item's owner (a
    // system item whose menu another process draws); its first running process.
    std::optional<std::string> ownerBundleIdentifier;
    core::Size size{240, 180};

    bool operator==(const SimulatedMenu&) const = default;
};

} // namespace pellacor::platform
