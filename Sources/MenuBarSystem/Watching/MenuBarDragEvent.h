#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarCore/Planning/DragSorting.h"

namespace pellacor::system {

// A point in global top-down coordinates: origin at the top left of the main
// display, y growing downwards, as the window server reports mouse events and
// display bounds (and as status-item frames are read).
using TopDownPoint = core::Point;

// One finished Command-drag in the menu bar, as the drag watcher reports it.
// Both points are top-down (see TopDownPoint), not the bottom-up screen
// coordinates of the pointer's location.
struct MenuBarDragEvent {
    // What was under the pointer at the press.
    core::DragSorting::Hit start = core::DragSorting::Hit::none();
    // What was under the pointer once the menu bar had settled after the release.
    core::DragSorting::Hit end = core::DragSorting::Hit::none();
    // Whether the press was in the menu-bar band; true in every event the watcher sends.
    bool startInMenuBar = false;
    // Where the button went down and where it came up, top-down.
    TopDownPoint from;
    TopDownPoint to;

    bool operator==(const MenuBarDragEvent&) const = default;
};

} // namespace pellacor::system
