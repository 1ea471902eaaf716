#pragma once

// Readable GoogleTest output for drag hits and drag events (found by
// argument-dependent lookup).

#include "MenuBarCore/Planning/DragSorting.h"
#include "MenuBarSystem/Watching/MenuBarDragEvent.h"

#include <ostream>

namespace pellacor::core {

inline void PrintTo(const DragSorting::Hit& hit, std::ostream* os) {
    *os << hit.description();
}

} // namespace pellacor::core

namespace pellacor::system {

inline void PrintTo(const MenuBarDragEvent& event, std::ostream* os) {
    *os << "{" << event.start.description() << " -> " << event.end.description() << ", inMenuBar "
        << event.startInMenuBar << ", (" << event.from.x << ", " << event.from.y << ") -> (" << event.to.x
        << ", " << event.to.y << ")}";
}

} // namespace pellacor::system
