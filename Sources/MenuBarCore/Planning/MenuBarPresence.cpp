#include "MenuBarCore/Planning/MenuBarPresence.h"

namespace pellacor::core {

namespace {

// How far above a screen's top edge an item's mid point may sit (rounding, a bar
// drawn a little high) and how far below it the menu bar reaches.
constexpr double toleranceAbove = 2;
constexpr double barDepth = 44;

} // namespace

bool MenuBarPresence::isOffMenuBar(const std::optional<Rect>& frame, const std::vector<Rect>& screens) {
    if (!frame || frame->isEmpty() || screens.empty()) {
        return false;
    }
    const double midX = frame->midX();
    const double midY = frame->midY();
    for (const auto& screen : screens) {
        const double top = screen.minY();
        if (screen.minX() <= midX && midX <= screen.maxX() && top - toleranceAbove <= midY &&
            midY <= top + barDepth) {
            return false;
        }
    }
    return true;
}

} // namespace pellacor::core
