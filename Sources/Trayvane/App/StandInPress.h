#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/Task.h"
#include "Concurrency/Time.h"
#include "MenuBarSystem/Pressing/PressOutcome.h"

#include <functional>
#include <memory>
#include <optional>

namespace pellacor::app {

// When the user presses the user-switcher stand-in, the real user switcher is
// pressed for it. When that press fails, the stand-in's own fallback menu
// opens instead, but only while the failure still answers that press: within
// 8 s of it, and with no other key or button pressed since. The one clock of
// the run remembers when the stand-in was last pressed. Main thread.
class StandInPress {
public:
    // The press of the real switcher: nothing when nothing was pressed.
    using Press = std::function<concurrency::Task<std::optional<system::PressOutcome>>()>;

    struct Services {
        concurrency::MainExecutor* executor = nullptr;
        // The system's uptime.
        concurrency::Now now;
        // Seconds since the last key or mouse-button press anywhere.
        std::function<double()> secondsSinceLastPress;
        Press press;
        std::function<void()> showFallbackMenu;
    };

    // How long after the press a failure still opens the fallback menu, and
    // how much later than the press the input clock may have seen the
    // stand-in's own click, in seconds.
    static constexpr double fallbackWindow = 8;
    static constexpr double ownPressSlack = 0.05;

    explicit StandInPress(Services services);

    // The stand-in was pressed: the clock is set at once, then the real
    // switcher is pressed in a task of its own.
    void pressed();
    // When the stand-in was last pressed, in seconds of uptime; 0 before any press.
    double lastPress() const { return clock_->last; }

    // Whether a failure `elapsed` seconds after the press, with the last input
    // `sinceInput` seconds ago, opens the fallback menu.
    static bool opensFallback(double elapsed, double sinceInput);

private:
    struct Clock {
        double last = 0;
    };

    static concurrency::Task<void> pressTask(std::shared_ptr<Clock> clock, Services services);

    Services services_;
    std::shared_ptr<Clock> clock_ = std::make_shared<Clock>();
};

} // namespace pellacor::app
