#pragma once

#include "Platform/Screen.h"

#include <vector>

namespace pellacor::platform {

// The screens attached now, in the window server's order: the first one holds
// the origin of the screen coordinates. A machine without a display has none.
// Main thread only; `NotificationNames::applicationDidChangeScreenParameters`
// on the application's default center tells that the list changed.
class Screens {
public:
    virtual ~Screens() = default;

    virtual std::vector<Screen> screens() const = 0;
};

} // namespace pellacor::platform
