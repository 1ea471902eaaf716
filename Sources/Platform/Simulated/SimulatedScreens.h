#pragma once

#include "Platform/Screens.h"
#include "Platform/Simulated/SimulatedDesktop.h"
#include "Platform/Simulated/SimulatedScreen.h"

#include <memory>

namespace pellacor::platform {

// The simulated desktop's screens as the window server describes them.
class SimulatedScreens final : public Screens {
public:
    explicit SimulatedScreens(std::shared_ptr<const SimulatedDesktop> desktop);

    std::vector<Screen> screens() const override;

    // What the platform reports for one simulated screen. The menu bar runs
    // along the top edge; a camera housing sits in its middle, leaving equal
    // parts of the strip to its left and right (the auxiliary areas) and
    // making the strip unsafe to draw in. A housing as wide as the screen
    // leaves empty areas.
    static Screen describe(const SimulatedScreen& screen);

private:
    std::shared_ptr<const SimulatedDesktop> desktop_;
};

} // namespace pellacor::platform
