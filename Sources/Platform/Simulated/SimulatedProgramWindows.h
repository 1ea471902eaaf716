#pragma once

#include "Platform/ProgramWindows.h"
#include "Platform/Simulated/SimulatedScreen.h"

#include <memory>
#include <string>
#include <vector>

namespace pellacor::platform {

class SimulatedDesktop;

// The program's own windows as windows of its process on the simulated desktop
// (the running application with the program's bundle identifier). A menu is
// kept on the screen it opens on, as the window server keeps a menu asked for
// too near an edge.
class SimulatedProgramWindows final : public ProgramWindows {
public:
    SimulatedProgramWindows(std::shared_ptr<SimulatedDesktop> desktop, std::string bundleIdentifier);

    std::optional<std::uint32_t> windowOpened(std::int64_t layer, const core::Rect& bounds) override;
    void windowMoved(std::uint32_t number, const core::Rect& bounds) override;
    void windowClosed(std::uint32_t number) override;

    // Where a menu asked for at these top-down bounds lies: moved onto the
    // screen that holds its top left corner (the first screen when none does).
    static core::Rect keptOnScreen(const core::Rect& bounds, const std::vector<SimulatedScreen>& screens);

private:
    std::shared_ptr<SimulatedDesktop> desktop_;
    std::string bundleIdentifier_;
};

} // namespace pellacor::platform
