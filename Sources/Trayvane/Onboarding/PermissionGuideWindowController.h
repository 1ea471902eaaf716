#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "Platform/InputState.h"
#include "Platform/ProgramWindows.h"
#include "Platform/Screen.h"
#include "Platform/Screens.h"
#include "Trayvane/Onboarding/PermissionGuideModel.h"
#include "Trayvane/Windows/AuxiliaryWindowController.h"
#include "Trayvane/Windows/AuxiliaryWindowServices.h"

#include <QPoint>
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
    using ScreenMapping = AuxiliaryWindowServices::ScreenMapping;

    PermissionGuideWindowController(std::shared_ptr<platform::Screens> screens,
                                    std::shared_ptr<platform::InputState> input, ScreenMapping mapping = {},
                                    std::shared_ptr<platform::ProgramWindows> programWindows = {});
    ~PermissionGuideWindowController();
    PermissionGuideWindowController(const PermissionGuideWindowController&) = delete;
    PermissionGuideWindowController& operator=(const PermissionGuideWindowController&) = delete;

    PermissionGuideModel& model() { return model_; }
    // The window once it was first shown; nothing before.
    PermissionGuideView* window() const;

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
    void build();

    PermissionGuideModel model_;
    // After the model the view draws, so it goes first.
    AuxiliaryWindowController window_;
};

} // namespace pellacor::app
