#pragma once

#include "Platform/StatusBar.h"

#include <atomic>

namespace pellacor::platform {

// The simulated system status bar: its thickness is a setting of the simulated
// system, 24 points unless changed, whatever the screens' menu-bar strips are.
class SimulatedStatusBar final : public StatusBar {
public:
    static constexpr double defaultThickness = 24;

    double thickness() const override { return thickness_; }
    void setThickness(double thickness) { thickness_ = thickness; }

private:
    std::atomic<double> thickness_{defaultThickness};
};

} // namespace pellacor::platform
