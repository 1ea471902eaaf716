#pragma once

#include "Platform/StatusItem.h"

#include <memory>

namespace pellacor::platform {

// The system status bar, where status items live. Main thread only.
class StatusBar {
public:
    virtual ~StatusBar() = default;

    // The height of the status bar's items, in points. A system constant: it
    // may fall short of a screen's menu-bar strip, which is taller beside a
    // camera housing.
    virtual double thickness() const = 0;

    // A new status item of the program with this length (a StatusItem length
    // constant or points); nothing when the system refuses one.
    virtual std::shared_ptr<StatusItem> statusItem(double length) = 0;
    // Takes the item off the bar for good.
    virtual void removeStatusItem(const std::shared_ptr<StatusItem>& item) = 0;

protected:
    StatusBar() = default;
    StatusBar(const StatusBar&) = default;
    StatusBar& operator=(const StatusBar&) = default;
};

} // namespace pellacor::platform
