#pragma once

#include "Concurrency/Task.h"
#include "MenuBarCore/Planning/VisibilityPlan.h"
#include "MenuBarSystem/Support/SystemResult.h"

namespace pellacor::system {

// Holds the menu bar to a visibility plan. Main thread only.
class VisibilityControlling {
public:
    virtual ~VisibilityControlling() = default;

    // The plan of the restriction in force.
    virtual core::VisibilityPlan currentPlan() const = 0;
    // Puts the plan into force. `ok` with the plan asked for confirms it took
    // effect; a failure leaves nothing restricted.
    virtual concurrency::Task<SystemResult<core::VisibilityPlan>> apply(core::VisibilityPlan plan) = 0;
    // Lifts every restriction at once.
    virtual void removeRestriction() = 0;
};

} // namespace pellacor::system
