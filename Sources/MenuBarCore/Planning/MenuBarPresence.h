#pragma once

#include "MenuBarCore/Geometry/Geometry.h"

#include <optional>
#include <vector>

namespace pellacor::core {

// Whether a status item still stands in the menu bar, or macOS itself has pushed
// it away (behind the notch, for instance).
class MenuBarPresence {
public:
    MenuBarPresence() = delete;

    // Frame and screens in top-down coordinates (origin top left, y down). False
    // for a missing or empty frame and for an empty screen list. Otherwise false
    // when the frame's mid point lies, edges included, within some screen's x
    // range and between 2 points above and 44 points below that screen's top edge;
    // true when no screen has it there.
    static bool isOffMenuBar(const std::optional<Rect>& frame, const std::vector<Rect>& screens);
};

} // namespace pellacor::core
