#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarSystem/Watching/ScreenSensing.h"
#include "Platform/NotificationCenter.h"
#include "Platform/Screens.h"

#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace pellacor::system {

// Tells the notch check which screens there are and where each notch ends, and
// wakes it when the screen arrangement, the active Space or the frontmost
// application changes. The notifications are not examined: each only means
// "look at the screens again".
//
// Main thread only. The observation blocks hold the watcher weakly, so the
// watcher is always owned by a shared pointer (`create`). Releasing it leaves
// its observations registered; they do nothing from then on.
class ScreenWatcher final : public ScreenSensing, public std::enable_shared_from_this<ScreenWatcher> {
public:
    using Observation = std::pair<std::shared_ptr<platform::NotificationCenter>,
                                  platform::NotificationCenter::ObservationToken>;

    // Reads `screens`; observes the shared workspace's center and the
    // application's default center.
    static std::shared_ptr<ScreenWatcher>
    create(std::shared_ptr<const platform::Screens> screens,
           std::shared_ptr<platform::NotificationCenter> workspaceCenter,
           std::shared_ptr<platform::NotificationCenter> defaultCenter);

    ScreenWatcher(const ScreenWatcher&) = delete;
    ScreenWatcher& operator=(const ScreenWatcher&) = delete;

    // The same as `currentScreens` over this watcher's screens.
    std::vector<core::NotchPlanner::Screen> screens() override;

    // The attached screens in the platform's order, converted.
    static std::vector<core::NotchPlanner::Screen> currentScreens(const platform::Screens& screens);
    // The frame of each of `currentScreens`, in the same order.
    static std::vector<core::Rect> currentFrames(const platform::Screens& screens);

    // While idle: keeps `onChange` (an empty one counts as doing nothing) and observes the active Space and
    // application activation on the workspace's center, then the screen
    // parameters on the default center. While watching: nothing.
    void start(std::function<void()> onChange) override;
    // Removes every observation and forgets the callback; a later start starts afresh.
    void stop() override;

    const std::vector<Observation>& observers() const { return observers_; }

private:
    ScreenWatcher(std::shared_ptr<const platform::Screens> screens,
                  std::shared_ptr<platform::NotificationCenter> workspaceCenter,
                  std::shared_ptr<platform::NotificationCenter> defaultCenter);

    struct FrameAndTopRight {
        core::Rect frame;
        std::optional<core::Rect> topRight;
    };
    static std::vector<core::NotchPlanner::Screen> convert(const std::vector<FrameAndTopRight>& screens);

    void observe(const std::shared_ptr<platform::NotificationCenter>& center, std::string_view name);
    void changed();

    std::shared_ptr<const platform::Screens> screens_;
    std::shared_ptr<platform::NotificationCenter> workspaceCenter_;
    std::shared_ptr<platform::NotificationCenter> defaultCenter_;

    std::vector<Observation> observers_;
    std::function<void()> onChange_;
};

} // namespace pellacor::system
