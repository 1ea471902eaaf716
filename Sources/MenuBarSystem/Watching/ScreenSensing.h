#pragma once

#include "MenuBarCore/Planning/NotchPlanner.h"

#include <functional>
#include <vector>

namespace pellacor::system {

// The screens as the notch check sees them, and a wake-up when they may have
// changed. Main thread only.
class ScreenSensing {
public:
    virtual ~ScreenSensing() = default;

    // Every attached screen, its frame in the top-down coordinates of the item
    // frames, with the right edge of its notch.
    virtual std::vector<core::NotchPlanner::Screen> screens() = 0;
    // Calls `onChange` on the main thread whenever the screens, the active Space
    // or the frontmost application may have changed. While started, a second
    // call changes nothing.
    virtual void start(std::function<void()> onChange) = 0;
    virtual void stop() = 0;
};

} // namespace pellacor::system
