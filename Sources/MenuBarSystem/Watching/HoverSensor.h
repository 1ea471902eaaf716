#pragma once

#include "Concurrency/SerialQueue.h"
#include "Concurrency/Task.h"
#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarCore/Planning/HoverZone.h"
#include "MenuBarSystem/Watching/HoverSensing.h"
#include "MenuBarSystem/Watching/PointerSensor.h"
#include "Platform/Accessibility.h"
#include "Platform/InputState.h"
#include "Platform/NotificationCenter.h"
#include "Platform/PlatformServices.h"
#include "Platform/ProcessInfo.h"
#include "Platform/Screen.h"
#include "Platform/Screens.h"
#include "Platform/StatusBar.h"
#include "Platform/WindowList.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pellacor::system {

// Tells the hover-reveal loop where the pointer is (on the control item, on the
// menu bar right of it, or away), whether a menu is open, and whether the menu
// bar at a point is really empty space.
//
// `sample` reads only the pointer, the control item's frame and the screens
// kept from the last screen-parameter or Space change, so it is cheap enough
// for every hover tick. Main thread only, apart from the hit tests of
// `checkEmptySpace`, which run on the process's hit-test queue (handed in)
// while the caller awaits them. The observation blocks hold the sensor weakly, so it is always owned by
// a shared pointer (`create`); releasing it removes both observations.
class HoverSensor final : public HoverSensing, public std::enable_shared_from_this<HoverSensor> {
public:
    // One screen as the zone test sees it: its band, and the x from which the
    // right-hand hover area begins.
    struct Screen {
        PointerSensor::ScreenBand band;
        double rightStart = 0;

        bool operator==(const Screen&) const = default;
    };

    // What an accessibility hit test found: the element's role, when it has one
    // that reads as a string, and its process (0 when nothing was hit).
    struct Hit {
        std::optional<std::string> role;
        std::int32_t pid = 0;

        bool operator==(const Hit&) const = default;
    };

    // The frame of the control item's window in screen coordinates; nothing
    // when the item, its button or its window is gone. Called on the main thread.
    using ControlFrame = std::function<std::optional<core::Rect>()>;

    using Observation = std::pair<std::shared_ptr<platform::NotificationCenter>,
                                  platform::NotificationCenter::ObservationToken>;

    // How far above and below the control item the pointer still counts as on it.
    static constexpr double controlSlack = 4;
    // The distance of the outer probe points from the checked point.
    static constexpr double probeSpread = 16;
    // How long each hit test may wait for the element under the point, in seconds.
    static constexpr float hitTimeout = 0.25F;

    static constexpr std::string_view unknownControlNote = "操作口の位置が分からない";
    static constexpr std::string_view unreadableRole = "読めない";

    // Uses the screens, the default notification center, the workspace (for its
    // center), the input state, the status bar, the window list, accessibility
    // and the process information of `services`. Reads the screens, then
    // observes screen-parameter changes on the default center and Space changes
    // on the workspace's.
    // The hit tests run on `queue` (labelled `queueLabel()`).
    static std::shared_ptr<HoverSensor> create(ControlFrame controlFrame,
                                               const platform::PlatformServices& services,
                                               std::shared_ptr<concurrency::SerialQueue> queue);

    // Appended to the bundle identifier to label the hit-test queue.
    static constexpr std::string_view queueSuffix = ".hover-hit-test";
    static std::string queueLabel();

    HoverSensor(const HoverSensor&) = delete;
    HoverSensor& operator=(const HoverSensor&) = delete;
    ~HoverSensor() override;

    HoverSample sample() override;
    bool menuIsOpen() override;
    // Judges the point by hitting the control item's middle and three points
    // along the bar around the point (16 points apart): empty when the control
    // item is this program's item on the pointer's screen and all three probes
    // hit the bare menu bar. The main-thread part runs when this is called; the
    // hit tests run when the task is awaited.
    concurrency::Task<HoverSpaceCheck> checkEmptySpace(core::Point point) override;

    // The zone of the point, all in screen coordinates: away without a control
    // frame, off the control item's screen or outside the menu bar; control
    // within the control frame grown by 4 points above and below; rightSpace
    // from the screen's `rightStart` on; away otherwise.
    static core::HoverZone zone(core::Point point, const std::vector<Screen>& screens,
                                std::optional<core::Rect> control, double statusBarThickness);
    // The three probe points for a point in screen coordinates, turned top-down
    // against `primaryTop`, the maximum y of the first screen's frame: 16 points
    // left, the point, 16 points right.
    static std::array<core::Point, 3> probePoints(core::Point point, double primaryTop);
    // What the system-wide hit test finds at the point (top-down coordinates).
    static Hit hit(platform::Accessibility& accessibility, core::Point point);
    // The screens as `zone` wants them: the band of each, and where its right
    // area begins (the left edge of the area right of the camera housing, when
    // the screen has one that lies on it; else the screen's middle).
    static std::vector<Screen> hoverScreens(const std::vector<platform::Screen>& screens);

    const std::vector<Screen>& screens() const { return screens_; }
    const std::vector<Observation>& observers() const { return observers_; }

private:
    HoverSensor(ControlFrame controlFrame, const platform::PlatformServices& services,
                std::shared_ptr<concurrency::SerialQueue> queue);

    void observe(const std::shared_ptr<platform::NotificationCenter>& center, std::string_view name);
    void refreshScreens();

    static concurrency::Task<HoverSpaceCheck> answer(HoverSpaceCheck check);
    static concurrency::Task<HoverSpaceCheck> hitTests(std::shared_ptr<concurrency::SerialQueue> queue,
                                                       std::shared_ptr<platform::Accessibility> accessibility,
                                                       core::Point controlPoint,
                                                       std::array<core::Point, 3> probes, std::int32_t self);
    // The verdict from the hits, hitting the probes only when the control hit allows.
    static HoverSpaceCheck judge(platform::Accessibility& accessibility, core::Point controlPoint,
                                 const std::array<core::Point, 3>& probes, std::int32_t self);

    ControlFrame controlFrame_;
    std::vector<Screen> screens_;
    std::vector<Observation> observers_;

    std::shared_ptr<const platform::Screens> platformScreens_;
    std::shared_ptr<platform::NotificationCenter> defaultCenter_;
    std::shared_ptr<platform::NotificationCenter> workspaceCenter_;
    std::shared_ptr<const platform::InputState> input_;
    std::shared_ptr<const platform::StatusBar> statusBar_;
    std::shared_ptr<platform::WindowList> windowList_;
    std::shared_ptr<platform::Accessibility> accessibility_;
    std::shared_ptr<const platform::ProcessInfo> processInfo_;
    std::shared_ptr<concurrency::SerialQueue> queue_;
};

} // namespace pellacor::system
