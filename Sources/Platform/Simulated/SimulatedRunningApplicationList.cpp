#include "Platform/Simulated/SimulatedRunningApplicationList.h"

#include <utility>

namespace pellacor::platform {

SimulatedRunningApplicationList::SimulatedRunningApplicationList(std::shared_ptr<SimulatedDesktop> desktop)
    : desktop_(std::move(desktop)) {}

std::vector<RunningApplication> SimulatedRunningApplicationList::runningApplications() const {
    std::vector<RunningApplication> result;
    for (const auto& app : desktop_->runningApplications()) {
        RunningApplication entry;
        entry.bundleIdentifier = app.bundleIdentifier;
        entry.processIdentifier = app.processIdentifier;
        if (!app.bundlePath.empty()) {
            entry.bundlePath = app.bundlePath;
        }
        result.push_back(std::move(entry));
    }
    return result;
}

} // namespace pellacor::platform
