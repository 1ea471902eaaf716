#pragma once

#include "Concurrency/Task.h"
#include "MenuBarSystem/Pressing/RevealPurpose.h"
#include "MenuBarSystem/Pressing/RevealTicket.h"

#include <optional>
#include <string>

namespace pellacor::system {

// What the presser asks of whoever controls the menu bar (the coordinator) when a
// hidden application must be shown for a moment, or the whole restriction lifted.
// The presser never changes what the bar shows by itself. The presser holds its
// revealer weakly and calls it on the main executor; it keeps the revealer alive
// (a locked pointer) until an awaited call has finished.
class PressRevealing {
public:
    virtual ~PressRevealing() = default;

    // Whether the application's status items are kept out of the menu bar now.
    virtual bool isHidden(const std::string& bundleID) = 0;

    // Shows the application's items and finishes once that has taken effect. No
    // ticket means the application could not be shown.
    virtual concurrency::Task<std::optional<RevealTicket>> beginReveal(std::string bundleID,
                                                                       RevealPurpose purpose) = 0;
    // The reveal for a press, the ordinary press path's form.
    concurrency::Task<std::optional<RevealTicket>> beginReveal(std::string bundleID) {
        return beginReveal(std::move(bundleID), RevealPurpose::press);
    }

    // Lifts the whole restriction, so that system-owned items appear too. No ticket
    // means the lift failed.
    virtual concurrency::Task<std::optional<RevealTicket>> beginLift() = 0;

    // Ends the reveal or lift the ticket names. Called exactly once per ticket, and
    // possibly after the revealer's own deadline has ended it: then it does nothing.
    virtual void endReveal(const RevealTicket& ticket) = 0;

protected:
    PressRevealing() = default;
    PressRevealing(const PressRevealing&) = default;
    PressRevealing& operator=(const PressRevealing&) = default;
};

} // namespace pellacor::system
