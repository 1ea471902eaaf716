#include "Trayvane/Windows/AuxiliaryWindowPlacement.h"

#include <algorithm>

namespace pellacor::app {

namespace {

// Whether the pointer is in the rectangle as the mouse sees it in y-up
// coordinates: the left and top edges belong to it, the right and bottom do not.
bool mouseInRect(core::Point point, const core::Rect& rect) {
    const core::Rect r = rect.standardized();
    return point.x >= r.minX() && point.x < r.maxX() && point.y > r.minY() && point.y <= r.maxY();
}

// A side shrunk to the visible extent less the margin; never below nothing,
// however small the screen.
double clamped(double side, double visible) {
    return std::max(0.0, std::min(side, visible - AuxiliaryWindowPlacement::clampMargin));
}

} // namespace

std::optional<core::Rect> AuxiliaryWindowPlacement::frame(const std::vector<platform::Screen>& screens,
                                                          core::Point pointer, core::Size size) const {
    if (screens.empty()) {
        return std::nullopt;
    }
    const platform::Screen* screen = &screens.front();
    for (const auto& candidate : screens) {
        if (mouseInRect(pointer, candidate.frame)) {
            screen = &candidate;
            break;
        }
    }
    const core::Rect visible = screen->visibleFrame.standardized();
    const double width = clamp_.width ? clamped(size.width, visible.size.width) : size.width;
    const double height = clamp_.height ? clamped(size.height, visible.size.height) : size.height;
    const core::Rect upward(visible.midX() - width / 2, visible.maxY() - height - topGap_, width, height);
    return core::convertScreenSpace(upward, screens.front().frame);
}

} // namespace pellacor::app
