#pragma once

#include "Concurrency/Task.h"
#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarSystem/Watching/HoverSample.h"
#include "MenuBarSystem/Watching/HoverSpaceCheck.h"

namespace pellacor::system {

// What the hover-reveal loop needs to know about the pointer. Main thread only;
// `checkEmptySpace` is awaited there and does its slow part elsewhere.
class HoverSensing {
public:
    virtual ~HoverSensing() = default;

    // Where the pointer is now, and whether a button is down.
    virtual HoverSample sample() = 0;
    // A button is down, a menu is open, or the window list cannot be read.
    virtual bool menuIsOpen() = 0;
    // Whether the menu bar at the point (screen coordinates) is empty space on
    // the screen whose menu bar holds the control item.
    virtual concurrency::Task<HoverSpaceCheck> checkEmptySpace(core::Point point) = 0;

protected:
    HoverSensing() = default;
    HoverSensing(const HoverSensing&) = default;
    HoverSensing& operator=(const HoverSensing&) = default;
};

} // namespace pellacor::system
