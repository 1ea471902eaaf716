#include "MenuBarSystem/Watching/PointerSensor.h"

#include <algorithm>
#include <utility>

namespace pellacor::system {

PointerSensor::PointerSensor(std::shared_ptr<const platform::Screens> screens,
                             std::shared_ptr<const platform::InputState> input,
                             std::shared_ptr<const platform::StatusBar> statusBar,
                             std::shared_ptr<platform::WindowList> windowList)
    : screens_(std::move(screens)), input_(std::move(input)), statusBar_(std::move(statusBar)),
      windowList_(std::move(windowList)) {}

PointerSensor::PointerSensor(const platform::PlatformServices& services)
    : PointerSensor(services.screens, services.inputState, services.statusBar, services.windowList) {}

PointerSample PointerSensor::sample() {
    PointerSample result;
    result.inMenuBar = cursorInMenuBar(*screens_, *input_, *statusBar_);
    if (input_->pressedMouseButtons() != 0) {
        result.menuOpen = true;
        return result;
    }
    const auto windows = onScreenWindows(*windowList_);
    if (!windows || hasMenu(*windows)) {
        result.menuOpen = true;
        return result;
    }
    // Window bounds are top-down, and so is an event's location.
    const core::Point location = input_->currentEventLocation().value_or(core::Point{0, 0});
    result.menuOpen = isPanelUnderCursor(location, *windows);
    return result;
}

bool PointerSensor::cursorInMenuBar(const platform::Screens& screens, const platform::InputState& input,
                                    const platform::StatusBar& statusBar) {
    return isInMenuBar(input.mouseLocation(), screenBands(screens.screens()), statusBar.thickness());
}

bool PointerSensor::isInMenuBar(core::Point point, const std::vector<ScreenBand>& screens,
                                double statusBarThickness) {
    if (screens.empty()) {
        return false;
    }
    double fallback = std::max(statusBarThickness, minimumFallbackStrip);
    for (const auto& band : screens) {
        fallback = std::max(fallback, band.frame.maxY() - band.visibleMaxY);
    }
    for (const auto& band : screens) {
        const core::Rect& frame = band.frame;
        // The top edge belongs to the screen: a pointer pushed against the top
        // of the display reports the frame's maximum y.
        const bool holds = point.x >= frame.minX() && point.x < frame.maxX() && point.y >= frame.minY() &&
                           point.y <= frame.maxY();
        if (!holds) {
            continue;
        }
        const double gap = frame.maxY() - band.visibleMaxY;
        const double strip = std::max(gap > 0 ? gap : fallback, band.safeTop);
        return point.y >= frame.maxY() - strip;
    }
    return false;
}

std::optional<std::vector<PointerSensor::WindowBox>>
PointerSensor::onScreenWindows(platform::WindowList& windowList) {
    const auto descriptions = windowList.copyWindowInfo(
        platform::WindowList::optionOnScreenOnly | platform::WindowList::optionExcludeDesktopElements,
        platform::WindowList::nullWindowID);
    if (!descriptions) {
        return std::nullopt;
    }
    return windowBoxes(*descriptions);
}

bool PointerSensor::isPanelUnderCursor(core::Point point, const std::vector<WindowBox>& windows) {
    return std::any_of(windows.begin(), windows.end(), [point](const WindowBox& window) {
        return window.layer >= lowestPanelLayer && window.layer <= highestPanelLayer &&
               window.layer != dockLayer && window.bounds.contains(point);
    });
}

std::vector<PointerSensor::ScreenBand>
PointerSensor::screenBands(const std::vector<platform::Screen>& screens) {
    std::vector<ScreenBand> bands;
    bands.reserve(screens.size());
    for (const auto& screen : screens) {
        bands.push_back(ScreenBand{screen.frame, screen.visibleFrame.maxY(), screen.safeAreaInsets.top});
    }
    return bands;
}

std::vector<PointerSensor::WindowBox>
PointerSensor::windowBoxes(const std::vector<platform::WindowDescription>& windows) {
    std::vector<WindowBox> boxes;
    for (const auto& window : windows) {
        if (!window.layer) {
            continue;
        }
        boxes.push_back(WindowBox{*window.layer, window.bounds.value_or(core::Rect::null())});
    }
    return boxes;
}

bool PointerSensor::hasMenu(const std::vector<WindowBox>& windows) {
    return std::any_of(windows.begin(), windows.end(),
                       [](const WindowBox& window) { return window.layer == menuLayer; });
}

} // namespace pellacor::system
