#pragma once

#include "MenuBarCore/Planning/VisibilityInput.h"
#include "MenuBarCore/Planning/VisibilityPlan.h"

namespace pellacor::core {

// Decides which applications may show status items right now. Pure: the same
// input always gives the same plan.
class VisibilityPlanner {
public:
    VisibilityPlanner() = delete;

    // No restriction while starting, waiting for permission, paused, revealing
    // everything, under the privacy override, during a lift or without an own
    // identifier. Otherwise an allow list, sorted by code point and without
    // repeats, of: Apple applications; the applications whose section the state
    // shows (in `collapsed` less the notch overflow); the temporarily shown
    // applications; and the program itself.
    static VisibilityPlan plan(const VisibilityInput& input);
};

} // namespace pellacor::core
