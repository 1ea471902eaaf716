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
    return desktop_->openWindow(self->processIdentifier, layer,
                                layer == menuLayer ? keptOnScreen(bounds, desktop_->screens()) : bounds);
}

core::Rect SimulatedProgramWindows::keptOnScreen(const core::Rect& bounds,
                                                 const std::vector<SimulatedScreen>& screens) {
    if (screens.empty()) {
        return bounds;
    }
    const core::Rect first = screens.front().frame.standardized();
    const core::Point corner = bounds.standardized().origin;
    core::Rect screen = core::convertScreenSpace(first, first);
    for (const auto& candidate : screens) {
        const core::Rect topDown = core::convertScreenSpace(candidate.frame.standardized(), first);
        if (topDown.contains(corner)) {
            screen = topDown;
            break;
        }
    }
    return bounds.keptWithin(screen);
}

void SimulatedProgramWindows::windowMoved(std::uint32_t number, const core::Rect& bounds) {
    desktop_->moveWindow(number, bounds);
}

void SimulatedProgramWindows::windowClosed(std::uint32_t number) {
    desktop_->closeWindow(number);
}

} // namespace pellacor::platform
