#include "Trayvane/Panels/BelowBarPlacement.h"

#include <algorithm>

namespace pellacor::app {

std::optional<std::size_t> BelowBarPlacement::pickScreen(core::Point mouse,
                                                         const std::vector<core::Rect>& screens) {
    if (screens.empty()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < screens.size(); ++i) {
        if (screens[i].contains(mouse)) {
            return i;
        }
    }
    return 0;
}

std::optional<platform::Screen> BelowBarPlacement::screenUnder(core::Point mouse,
                                                               const std::vector<platform::Screen>& screens) {
    std::vector<core::Rect> frames;
    frames.reserve(screens.size());
    for (const auto& screen : screens) {
        frames.push_back(screen.frame);
    }
    const auto picked = pickScreen(mouse, frames);
    return picked ? std::optional(screens[*picked]) : std::nullopt;
}

core::Rect BelowBarPlacement::frame(core::Size size, const platform::Screen& screen,
                                    double statusBarThickness, const std::optional<core::Rect>& anchor) {
    const core::Rect& full = screen.frame;
    const double barHeight =
        std::max({screen.safeAreaInsets.top, full.maxY() - screen.visibleFrame.maxY(), statusBarThickness});
    double right = full.maxX() - edgeMargin;
    if (anchor && full.contains(core::Point{anchor->midX(), anchor->midY()})) {
        right = std::min(right, anchor->maxX());
    }
    const double x = std::max(full.minX() + edgeMargin, right - size.width);
    const double y = std::max(full.minY(), full.maxY() - barHeight - gapBelowBar - size.height);
    return {x, y, size.width, size.height};
}

} // namespace pellacor::app
