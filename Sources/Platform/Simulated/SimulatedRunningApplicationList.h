#pragma once

#include "Platform/RunningApplicationList.h"
#include "Platform/Simulated/SimulatedDesktop.h"

#include <memory>

namespace pellacor::platform {

// The running applications of the simulated desktop, in its list order. An
// application with an empty bundle path has no bundle.
class SimulatedRunningApplicationList final : public RunningApplicationList {
public:
    explicit SimulatedRunningApplicationList(std::shared_ptr<SimulatedDesktop> desktop);

    std::vector<RunningApplication> runningApplications() const override;

private:
    std::shared_ptr<SimulatedDesktop> desktop_;
};

} // namespace pellacor::platform
