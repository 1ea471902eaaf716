#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "Platform/Screen.h"

#include <optional>
#include <vector>

namespace pellacor::app {

// Where one of the program's auxiliary windows (settings, help, About, the
// notices, the permission guide) comes up: on the screen under the pointer,
// else on the first screen; centred horizontally on that screen's visible
// area, its top edge a fixed gap below the area's top. A window that may be
// taller or wider than a small screen is shrunk to the visible area less a
// margin, so its title bar and its bottom stay reachable. Plain geometry, so
// every window places itself the same way and it is tested without a display.
class AuxiliaryWindowPlacement {
public:
    // What a shrunk side leaves free of the visible area.
    static constexpr double clampMargin = 40;

    struct Clamp {
        bool width = false;
        bool height = false;
    };

    // No side shrunk.
    explicit AuxiliaryWindowPlacement(double topGap) : topGap_(topGap) {}
    AuxiliaryWindowPlacement(double topGap, Clamp clamp) : topGap_(topGap), clamp_(clamp) {}

    // The windows' own placements.
    static AuxiliaryWindowPlacement settings() { return AuxiliaryWindowPlacement(40, {.height = true}); }
    static AuxiliaryWindowPlacement help() {
        return AuxiliaryWindowPlacement(40, {.width = true, .height = true});
    }
    static AuxiliaryWindowPlacement notice() { return AuxiliaryWindowPlacement(60); }
    static AuxiliaryWindowPlacement about() { return AuxiliaryWindowPlacement(120); }
    static AuxiliaryWindowPlacement permissionGuide() { return AuxiliaryWindowPlacement(60); }

    double topGap() const { return topGap_; }
    Clamp clamp() const { return clamp_; }

    // The frame a window of `size` takes, in the desktop's top-down
    // coordinates (origin at the top left of the first screen, y down).
    // `screens` and `pointer` are as the platform gives them: screen
    // coordinates, y up. The pointer is on a screen when it lies inside its
    // frame, the left and top edges included, the right and bottom ones not.
    // Nothing without a screen: the window then stays where it is.
    std::optional<core::Rect> frame(const std::vector<platform::Screen>& screens, core::Point pointer,
                                    core::Size size) const;

private:
    double topGap_;
    Clamp clamp_{};
};

} // namespace pellacor::app
