#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "Platform/InputState.h"
#include "Platform/ProgramWindows.h"
#include "Platform/Screen.h"
#include "Platform/Screens.h"
#include "Trayvane/Onboarding/PermissionGuideModel.h"

#include <QPoint>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace pellacor::app {

class PermissionGuideView;

// The permission guide's one window for the whole run: made on the first
// show, placed under the pointer whenever it comes up again, and only hidden
// when closed. The application delegate sets the model's permission and
// callbacks. Main thread only.
class PermissionGuideWindowController {
public:
    // Where a point in top-down screen coordinates lies on the real screen.
    using ScreenMapping = std::function<QPoint(const core::Point& topDown)>;

    PermissionGuideWindowController(std::shared_ptr<platform::Screens> screens,
                                    std::shared_ptr<platform::InputState> input, ScreenMapping mapping = {},
                                    std::shared_ptr<platform::ProgramWindows> programWindows = {});
    ~PermissionGuideWindowController();
    PermissionGuideWindowController(const PermissionGuideWindowController&) = delete;
    PermissionGuideWindowController& operator=(const PermissionGuideWindowController&) = delete;

    PermissionGuideModel& model() { return model_; }
    // The window once it was first shown; nothing before.
    PermissionGuideView* window() const { return window_.get(); }

    // Makes the window on first use, places it unless it is visible already,
    // and brings it to the front as the key window.
    void show();
    // Hides the window when it is visible; it is kept for the next show.
    void close();

    // Where a window of `size` goes (its bottom-left corner, screen
    // coordinates), as every auxiliary window is placed: centred on the
    // usable area of the screen under the pointer (or of the first screen),
    // its top edge 60 points below that area's top, its size kept. Nothing
    // without a screen: the window is then not moved.
    static std::optional<core::Point> placement(const std::vector<platform::Screen>& screens,
                                                core::Point pointer, core::Size size);

private:
    void place();
    void windowHidden();

    std::shared_ptr<platform::Screens> screens_;
    std::shared_ptr<platform::InputState> input_;
    ScreenMapping mapping_;
    std::shared_ptr<platform::ProgramWindows> programWindows_;
    PermissionGuideModel model_;
    std::unique_ptr<PermissionGuideView> window_;
    // The window's frame in screen coordinates as last placed.
    std::optional<core::Rect> frame_;
    // The window's number in the window list while it is shown.
    std::optional<std::uint32_t> listed_;
};

} // namespace pellacor::app
