#pragma once

#include "Platform/ProcessInfo.h"
#include "Platform/Simulated/SimulatedDesktop.h"

#include <cstdint>
#include <memory>
#include <string>

namespace pellacor::platform {

// The program's own process on the simulated desktop: the running application
// with the program's bundle identifier. When the desktop has none, -1, which
// no element or window of the desktop reports as its owner.
class SimulatedProcessInfo final : public ProcessInfo {
public:
    SimulatedProcessInfo(std::shared_ptr<const SimulatedDesktop> desktop, std::string bundleIdentifier);

    std::int32_t processIdentifier() const override;

private:
    std::shared_ptr<const SimulatedDesktop> desktop_;
    std::string bundleIdentifier_;
};

} // namespace pellacor::platform
