#pragma once

namespace pellacor::platform {

// The system status bar, where status items live. Main thread only.
class StatusBar {
public:
    virtual ~StatusBar() = default;

    // The height of the status bar's items, in points. A system constant: it
    // may fall short of a screen's menu-bar strip, which is taller beside a
    // camera housing.
    virtual double thickness() const = 0;

protected:
    StatusBar() = default;
    StatusBar(const StatusBar&) = default;
    StatusBar& operator=(const StatusBar&) = default;
};

} // namespace pellacor::platform
