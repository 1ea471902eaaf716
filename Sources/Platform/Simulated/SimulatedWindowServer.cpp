#include "Platform/Simulated/SimulatedWindowServer.h"

#include <utility>

namespace pellacor::platform {

SimulatedWindowServer::SimulatedWindowServer(std::shared_ptr<const SimulatedDesktop> desktop)
    : desktop_(std::move(desktop)) {}

std::optional<std::vector<WindowDescription>> SimulatedWindowServer::copyWindowInfo(std::uint32_t options,
                                                                                    std::uint32_t) {
    if (windowListFails_) {
        return std::nullopt;
    }
    const bool onScreenOnly = (options & optionOnScreenOnly) != 0;
    const bool excludeDesktop = (options & optionExcludeDesktopElements) != 0;
    std::vector<WindowDescription> descriptions;
    for (const auto& window : desktop_->windows()) {
        if ((onScreenOnly && !window.isOnScreen) || (excludeDesktop && window.layer < 0)) {
            continue;
        }
        descriptions.push_back(WindowDescription{window.number, window.ownerProcessIdentifier, window.layer,
                                                 window.bounds, window.isOnScreen});
    }
    return descriptions;
}

DisplayList::Count SimulatedWindowServer::activeDisplayCount() {
    if (const std::int32_t error = displayListError_; error != success) {
        return Count{error, 0};
    }
    return Count{success, static_cast<std::uint32_t>(desktop_->screens().size())};
}

DisplayList::List SimulatedWindowServer::activeDisplayList(std::uint32_t maxDisplays) {
    if (const std::int32_t error = displayListError_; error != success) {
        return List{error, {}};
    }
    List list;
    const auto count = desktop_->screens().size();
    for (std::uint32_t id = 1; id <= count && list.displays.size() < maxDisplays; ++id) {
        list.displays.push_back(id);
    }
    return list;
}

core::Rect SimulatedWindowServer::displayBounds(std::uint32_t display) {
    const auto screens = desktop_->screens();
    if (display == 0 || display > screens.size()) {
        return core::Rect{};
    }
    // Global coordinates take the main display's top left as their origin.
    return core::convertScreenSpace(screens[display - 1].frame.standardized(), screens.front().frame);
}

} // namespace pellacor::platform
