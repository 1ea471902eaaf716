#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarSystem/Watching/PointerSensing.h"
#include "Platform/InputState.h"
#include "Platform/PlatformServices.h"
#include "Platform/Screen.h"
#include "Platform/Screens.h"
#include "Platform/StatusBar.h"
#include "Platform/WindowDescription.h"
#include "Platform/WindowList.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace pellacor::system {

// Tells the automatic collapse whether the pointer is in the menu bar and
// whether a menu or panel is open. Holds nothing but the platform interfaces
// it reads; every sample reads them afresh. Main thread only.
class PointerSensor final : public PointerSensing {
public:
    // One screen as the menu-bar test sees it, in screen coordinates.
    struct ScreenBand {
        core::Rect frame;
        // The top of the screen's visible frame (below its menu bar).
        double visibleMaxY = 0;
        // The top safe-area inset (the camera housing's height).
        double safeTop = 0;

        bool operator==(const ScreenBand&) const = default;
    };

    // One on-screen window: its layer and its top-down bounds (null when unknown).
    struct WindowBox {
        std::int64_t layer = 0;
        core::Rect bounds;

        bool operator==(const WindowBox&) const = default;
    };

    // The layer of pop-up menus; windows between these layers are panels,
    // except the Dock's.
    static constexpr std::int64_t menuLayer = 101;
    static constexpr std::int64_t lowestPanelLayer = 1;
    static constexpr std::int64_t highestPanelLayer = 999;
    static constexpr std::int64_t dockLayer = 20;
    // However thin the bars are said to be, this much of a screen's top counts
    // as its menu bar when the screen reports no strip of its own.
    static constexpr double minimumFallbackStrip = 40;

    PointerSensor(std::shared_ptr<const platform::Screens> screens,
                  std::shared_ptr<const platform::InputState> input,
                  std::shared_ptr<const platform::StatusBar> statusBar,
                  std::shared_ptr<platform::WindowList> windowList);
    explicit PointerSensor(const platform::PlatformServices& services);

    // `inMenuBar` from the pointer; `menuOpen` when a button is down, the window
    // list cannot be read, a menu is open, or a panel is under the pointer.
    PointerSample sample() override;

    // Whether the pointer is in the menu bar of the screen it is on.
    static bool cursorInMenuBar(const platform::Screens& screens, const platform::InputState& input,
                                const platform::StatusBar& statusBar);
    // Whether the point (screen coordinates) lies in the menu-bar strip of the
    // first screen that holds it; false with no screens or outside them all.
    static bool isInMenuBar(core::Point point, const std::vector<ScreenBand>& screens,
                            double statusBarThickness);
    // The on-screen windows, desktop elements left out, that have an integer
    // layer; nothing when the list cannot be read.
    static std::optional<std::vector<WindowBox>> onScreenWindows(platform::WindowList& windowList);
    // Whether a panel (a window of layer 1 to 999, not the Dock's 20) holds the
    // point (top-down coordinates).
    static bool isPanelUnderCursor(core::Point point, const std::vector<WindowBox>& windows);

    // The band of every screen, in the platform's order.
    static std::vector<ScreenBand> screenBands(const std::vector<platform::Screen>& screens);
    // The boxes of the described windows that have a layer.
    static std::vector<WindowBox> windowBoxes(const std::vector<platform::WindowDescription>& windows);
    // Whether any of the windows is a pop-up menu.
    static bool hasMenu(const std::vector<WindowBox>& windows);

private:
    std::shared_ptr<const platform::Screens> screens_;
    std::shared_ptr<const platform::InputState> input_;
    std::shared_ptr<const platform::StatusBar> statusBar_;
    std::shared_ptr<platform::WindowList> windowList_;
};

} // namespace pellacor::system
