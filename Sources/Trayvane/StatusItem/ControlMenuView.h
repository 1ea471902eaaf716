#pragma once

#include "Trayvane/StatusItem/ControlMenuEntry.h"

#include <QMenu>
#include <functional>
#include <vector>

namespace pellacor::app {

// Draws a menu model as a QMenu: one action per entry (disabled when it has
// nothing to do), submenus nested, and the chosen entry reported back.
struct ControlMenuView {
    using Chosen = std::function<void(const ControlMenuEntry&)>;
    // Replaces everything in `menu`.
    static void populate(QMenu& menu, const std::vector<ControlMenuEntry>& entries, const Chosen& chosen);
};

} // namespace pellacor::app
