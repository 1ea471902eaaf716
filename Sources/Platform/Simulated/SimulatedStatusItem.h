#pragma once

#include "Platform/Simulated/SimulatedElementBehaviour.h"
#include "Platform/Simulated/SimulatedMenu.h"
#include "Platform/StatusItemImage.h"

#include <optional>
#include <string>

namespace pellacor::platform {

// One status item as the simulated menu bar knows it. The texts are what the
// accessibility interface would report for the item's element.
struct SimulatedStatusItem {
    enum class Kind {
        // An application's own status item: shown under a restriction only when
        // its owner's bundle identifier is allowed.
        standard,
        // One of the system's own items: shown when its number is among the
        // allowed system items.
        system,
    };

    std::optional<std::string> identifier;  // "AXIdentifier"
    std::optional<std::string> description; // "AXDescription"
    std::optional<std::string> title;       // "AXTitle"
    double width = 24;
    std::string role = "AXMenuBarItem"; // "AXRole"
    Kind kind = Kind::standard;
    int systemItemNumber = 0; // for system items only
    // Taken off the bar by the system while any restriction is in force, whatever
    // the restriction allows (the system's user-switching item): it stands on the
    // bar only while nothing is restricted.
    bool hiddenWhileRestricted = false;
    // How the item's accessibility element answers. An item whose role is "AXGroup"
    // reads as a group without texts whose one child, an "AXMenuBarItem" answering
    // the same way, carries them.
    SimulatedElementBehaviour accessibility;
    // The name its owner created it with (the autosave name); an item created
    // without one is numbered by its owner (see MenuBarLayout::itemName).
    std::optional<std::string> name;
    // What pressing the item opens.
    SimulatedMenu menu;
    // The system's overflow item: on a screen with a camera housing it stands
    // leftmost of the items right of the housing while any item does not fit
    // there, and is off the bar otherwise. No restriction takes it away.
    bool isOverflowChevron = false;
    // The pixels its owner gave its button, if any (the program's own items).
    std::optional<StatusItemImage> image;
    // Where its owner asked it to stand when the layout table has no position for
    // it ("NSStatusItem Preferred Position <name>" in the owner's defaults).
    std::optional<double> preferredPosition;

    bool operator==(const SimulatedStatusItem&) const = default;
};

} // namespace pellacor::platform
