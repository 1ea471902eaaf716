#pragma once

#include "Platform/ProgramWindows.h"

#include <memory>
#include <string>

namespace pellacor::platform {

class SimulatedDesktop;

// The program's own windows as windows of its process on the simulated desktop
// (the running application with the program's bundle identifier).
class SimulatedProgramWindows final : public ProgramWindows {
public:
    SimulatedProgramWindows(std::shared_ptr<SimulatedDesktop> desktop, std::string bundleIdentifier);

    std::optional<std::uint32_t> windowOpened(std::int64_t layer, const core::Rect& bounds) override;
    void windowMoved(std::uint32_t number, const core::Rect& bounds) override;
    void windowClosed(std::uint32_t number) override;

private:
    std::shared_ptr<SimulatedDesktop> desktop_;
    std::string bundleIdentifier_;
};

} // namespace pellacor::platform
