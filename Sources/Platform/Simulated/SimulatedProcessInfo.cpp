#include "Platform/Simulated/SimulatedProcessInfo.h"

#include <utility>

namespace pellacor::platform {

SimulatedProcessInfo::SimulatedProcessInfo(std::shared_ptr<const SimulatedDesktop> desktop,
                                           std::string bundleIdentifier)
    : desktop_(std::move(desktop)), bundleIdentifier_(std::move(bundleIdentifier)) {}

std::int32_t SimulatedProcessInfo::processIdentifier() const {
    const auto app = desktop_->runningApplication(bundleIdentifier_);
    return app ? app->processIdentifier : -1;
}

} // namespace pellacor::platform
