#pragma once

#include "MenuBarSystem/Watching/PointerSample.h"

namespace pellacor::system {

// Tells whether the pointer is in the menu bar and whether a menu or panel is
// open there. Main thread only.
class PointerSensing {
public:
    virtual ~PointerSensing() = default;

    virtual PointerSample sample() = 0;

protected:
    PointerSensing() = default;
    PointerSensing(const PointerSensing&) = default;
    PointerSensing& operator=(const PointerSensing&) = default;
};

} // namespace pellacor::system
