#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "Platform/ProgramWindows.h"
#include "Platform/StatusItem.h"

#include <functional>

class QMenu;

namespace pellacor::app {

// A menu of one of the program's status items, opened by a click on its button.
struct StatusItemMenu {
    // Shows the menu at the button's frame (screen coordinates) and returns once it closed.
    using Runner = std::function<void(QMenu& menu, const core::Rect& buttonFrame)>;

    // Without a placement of its own the menu opens below the button on the
    // primary screen, whose bottom is the screen coordinates' origin.
    static void runOnPrimaryScreen(QMenu& menu, const core::Rect& buttonFrame);

    // Attaches `menu` to the item for one click and runs it; returns once it
    // closed. While it is open the menu is one of the program's windows, as
    // the window list would show it.
    static void open(platform::StatusItem& item, QMenu& menu, const Runner& run,
                     platform::ProgramWindows* programWindows);
};

} // namespace pellacor::app
