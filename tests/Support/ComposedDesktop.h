#pragma once

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/ManualTimerQueue.h"
#include "MenuBarCore/Model/Profile.h"
#include "MenuBarSystem/Safety/HangWatchdog.h"
#include "Platform/Simulated/Scenario.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Platform/StatusItem.h"
#include "Support/DesktopTime.h"
#include "Support/TempDir.h"
#include "Support/TrackedServices.h"
#include "Trayvane/Composition/CoordinatorComposition.h"
#include "Trayvane/Coordinator/Coordinator.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pellacor::testing {

// The program's engine over the simulated desktop as the application composes
// it: a simulated computer with a home folder (the menu bar's group container
// granted) and a disk of its own in a temporary folder, the program's control
// item on its bar, and the coordinator built by `app::CoordinatorComposition`
// from the real services, on a manual executor.
//
// Virtual time runs as `DesktopTime` says: it moves only when nothing is on its
// way, no call of the reader, the reorderer, the hover sensor or the presser
// on its thread (each counted in `calls`) included.
class ComposedDesktop {
public:
    static constexpr std::string_view selfID = "app.trayvane.pellacor";

    // The feature switches as the shell sets them from the user's settings:
    // a first run's values unless changed.
    struct Switches {
        bool hoverReveal = false;
        bool belowBar = false;
        bool userSwitcherStandIn = true;
        bool dragSort = true;
        bool notchOverflow = true;
    };

    struct Options {
        platform::Scenario scenario = platform::Scenario::defaultScenario();
        // The state document's active profile; a first run's when nothing.
        std::optional<core::Profile> profile;
        Switches switches;
        // The watchdog stays stopped unless asked: its thread outlives a test.
        bool startWatchdog = false;
        system::HangWatchdog::Environment watchdog;
    };

    using Outcome = DesktopTime::Outcome;

    ComposedDesktop(concurrency::ManualExecutor& executor, Options options);
    ~ComposedDesktop();
    ComposedDesktop(const ComposedDesktop&) = delete;
    ComposedDesktop& operator=(const ComposedDesktop&) = delete;

    // The coordinator, built by the composition (its reader, reorderer and hover
    // sensor counted), with the switches set; not started.
    std::shared_ptr<coordinator::Coordinator> makeCoordinator();

    // Virtual time, as `DesktopTime` runs it.
    bool settle() { return time->settle(); }
    Outcome runUntil(const std::function<bool()>& done, concurrency::Duration limit) {
        return time->runUntil(done, limit);
    }
    Outcome runFor(concurrency::Duration duration) { return time->runFor(duration); }

    // The items on the bar now, and whether one of an application's is among them.
    std::vector<platform::PlacedStatusItem> bar() const;
    bool onBar(const std::string& bundleID) const;

    concurrency::ManualExecutor& executor;
    TempDir folder;
    std::shared_ptr<concurrency::ManualTimerQueue> clock =
        std::make_shared<concurrency::ManualTimerQueue>("drag-watcher");
    std::unique_ptr<platform::SimulatedPlatform> simulated;
    std::shared_ptr<platform::SimulatedDesktop> desktop;
    // The control item the shell puts on the bar.
    std::shared_ptr<platform::StatusItem> controlItem;
    std::shared_ptr<OffMainCalls> calls = std::make_shared<OffMainCalls>();
    // Counts the wake-ups of the executor and of the drag watcher's queue.
    std::unique_ptr<DesktopTime> time;
    std::unique_ptr<app::CoordinatorComposition> composition;
    Switches switches;
};

} // namespace pellacor::testing
