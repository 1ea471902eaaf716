#include "Platform/Simulated/SimulatedProgramWindows.h"

#include "Platform/Simulated/SimulatedDesktop.h"

namespace pellacor::platform {

SimulatedProgramWindows::SimulatedProgramWindows(std::shared_ptr<SimulatedDesktop> desktop,
                                                 std::string bundleIdentifier)
    : desktop_(std::move(desktop)), bundleIdentifier_(std::move(bundleIdentifier)) {}

std::optional<std::uint32_t> SimulatedProgramWindows::windowOpened(std::int64_t layer,
                                                                   const core::Rect& bounds) {
    const auto self = desktop_->runningApplication(bundleIdentifier_);
    if (!self) {
        return std::nullopt;
    }
    return desktop_->openWindow(self->processIdentifier, layer, bounds);
}

void SimulatedProgramWindows::windowMoved(std::uint32_t number, const core::Rect& bounds) {
    desktop_->moveWindow(number, bounds);
}

void SimulatedProgramWindows::windowClosed(std::uint32_t number) {
    desktop_->closeWindow(number);
}

} // namespace pellacor::platform
