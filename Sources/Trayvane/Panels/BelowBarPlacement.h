#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "Platform/Screen.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace pellacor::app {

// Where the below-bar panel goes, in screen coordinates (origin bottom left,
// y up, points).
struct BelowBarPlacement {
    // The gap between the menu bar and the panel, and the least margin to the
    // screen's left and right edges.
    static constexpr double gapBelowBar = 4;
    static constexpr double edgeMargin = 8;

    // The index of the first screen whose frame holds the pointer, 0 when none
    // does, nothing when there is no screen.
    static std::optional<std::size_t> pickScreen(core::Point mouse, const std::vector<core::Rect>& screens);
    // The screen `pickScreen` picks among these.
    static std::optional<platform::Screen> screenUnder(core::Point mouse,
                                                       const std::vector<platform::Screen>& screens);

    // The panel's frame for its size on the screen: its top 4 points under
    // the menu bar (the tallest of the camera housing's inset, the strip above
    // the visible frame and the status bar's thickness); its right edge on the
    // control item's (`anchor`) when the anchor's centre lies on this screen,
    // never closer than 8 points to the screen's right edge; then pushed right
    // to keep 8 points from the left edge and up to stay above the bottom.
    static core::Rect frame(core::Size size, const platform::Screen& screen, double statusBarThickness,
                            const std::optional<core::Rect>& anchor);
};

} // namespace pellacor::app
