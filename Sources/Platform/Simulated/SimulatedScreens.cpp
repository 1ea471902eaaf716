#include "Platform/Simulated/SimulatedScreens.h"

#include <algorithm>

namespace pellacor::platform {

SimulatedScreens::SimulatedScreens(std::shared_ptr<const SimulatedDesktop> desktop)
    : desktop_(std::move(desktop)) {}

std::vector<Screen> SimulatedScreens::screens() const {
    std::vector<Screen> result;
    for (const auto& screen : desktop_->screens()) {
        result.push_back(describe(screen));
    }
    return result;
}

Screen SimulatedScreens::describe(const SimulatedScreen& screen) {
    const core::Rect frame = screen.frame.standardized();
    const double bar = std::clamp(screen.menuBarHeight, 0.0, frame.height());
    const double barBottom = frame.maxY() - bar;

    Screen result;
    result.frame = frame;
    result.visibleFrame = core::Rect(frame.minX(), frame.minY(), frame.width(), frame.height() - bar);
    if (screen.cameraHousingWidth) {
        const double housing = std::clamp(*screen.cameraHousingWidth, 0.0, frame.width());
        const double side = (frame.width() - housing) / 2;
        result.safeAreaInsets.top = bar;
        result.auxiliaryTopLeftArea = core::Rect(frame.minX(), barBottom, side, bar);
        result.auxiliaryTopRightArea = core::Rect(frame.maxX() - side, barBottom, side, bar);
    }
    return result;
}

} // namespace pellacor::platform
