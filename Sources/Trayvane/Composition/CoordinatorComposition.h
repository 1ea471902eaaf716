#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/OffMain.h"
#include "Concurrency/SerialQueue.h"
#include "Concurrency/TimerQueue.h"
#include "MenuBarCore/Model/Profile.h"
#include "MenuBarSystem/Pressing/ItemPresser.h"
#include "MenuBarSystem/Reading/ItemReader.h"
#include "MenuBarSystem/Reordering/ItemReorderer.h"
#include "MenuBarSystem/Safety/AccessibilityTrust.h"
#include "MenuBarSystem/Safety/HangWatchdog.h"
#include "MenuBarSystem/Safety/HealthCheck.h"
#include "MenuBarSystem/Visibility/VisibilityController.h"
#include "MenuBarSystem/Watching/AppActivityWatcher.h"
#include "MenuBarSystem/Watching/CaptureUseWatcher.h"
#include "MenuBarSystem/Watching/HoverSensor.h"
#include "MenuBarSystem/Watching/MenuBarDragWatcher.h"
#include "MenuBarSystem/Watching/PointerSensor.h"
#include "MenuBarSystem/Watching/ScreenWatcher.h"
#include "Platform/PlatformServices.h"
#include "Trayvane/Coordinator/Coordinator.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace pellacor::app {

// The system services the coordinator runs on, made over the platform's
// interfaces in the order and with the values of the program's start-up: the
// item reader and the visibility controller, the hang watchdog (started), the
// health check over the same reader, the watchers and sensors, the layout
// reorderer; then the coordinator with its delays and limits, and the item
// presser with the coordinator as its revealer. It knows nothing of Qt or of
// which platform lies below, so the application delegate and the tests that run
// the engine over the simulated desktop compose the program the same way.
//
// The delegate loads the state document first (the active profile is an
// input), keeps this object for the whole run (it owns the services and the
// queues), builds the coordinator with `makeCoordinator`, sets its switches and
// callbacks, and starts it.
class CoordinatorComposition {
public:
    // The queues of the services' blocking work, one per label for the process.
    struct Queues {
        std::shared_ptr<concurrency::SerialQueue> presser;
        std::shared_ptr<concurrency::SerialQueue> reorderer;
        std::shared_ptr<concurrency::SerialQueue> hoverHitTest;
        // The Command-drag watcher's 40 ms sampling.
        std::shared_ptr<concurrency::TimerQueue> dragWatcher;

        // The program's own: each labelled after the bundle identifier, each on a
        // thread of its own. Make them after the main executor.
        static Queues make();
    };

    // What the shell supplies.
    struct Inputs {
        platform::PlatformServices platform;
        // The main bundle's identifier, or the built-in one when it has none.
        std::string selfBundleID;
        // The loaded state document's active profile.
        core::Profile profile;
        // The main bundle's location, and the folder that stands for
        // "/Applications" on the computer below (another one on a simulated disk).
        std::filesystem::path bundleURL;
        std::filesystem::path applicationsFolder = system::HealthCheck::applicationsFolderPath;
        // The control item's button window in screen coordinates (y up), for the
        // hover sensor; nothing while it has none.
        system::HoverSensor::ControlFrame controlFrame;
        // The coordinator's two questions about the control item.
        std::function<bool()> ownItemPlaced;
        std::function<std::optional<bool>()> ownItemOnBar;
        Queues queues;
        // Where the presser's blocking calls run; unset: on `queues.presser`.
        concurrency::OffMain presserRuns;
        // The watchdog's timing and effects; an unset `post` pings the executor.
        system::HangWatchdog::Environment watchdog;
        // The program starts the watchdog at once; a test that keeps its process
        // may leave it stopped.
        bool startWatchdog = true;
    };

    CoordinatorComposition(concurrency::MainExecutor& executor, Inputs inputs);
    CoordinatorComposition(const CoordinatorComposition&) = delete;
    CoordinatorComposition& operator=(const CoordinatorComposition&) = delete;
    ~CoordinatorComposition();

    // The coordinator over these services, with the presser assigned (it holds
    // the coordinator weakly as its revealer). Nothing when the coordinator
    // refuses its values.
    std::shared_ptr<coordinator::Coordinator> makeCoordinator();

    const Inputs& inputs() const { return inputs_; }
    concurrency::MainExecutor& executor() const { return executor_; }

    // The concrete services, for the shell's other users of them.
    const std::shared_ptr<system::ItemReader> reader;
    const std::shared_ptr<system::VisibilityController> visibility;
    const std::shared_ptr<system::HangWatchdog> watchdog;
    const std::shared_ptr<system::HealthCheck> health;
    const std::shared_ptr<system::AppActivityWatcher> appWatcher;
    const std::shared_ptr<system::CaptureUseWatcher> captureWatcher;
    const std::shared_ptr<system::PointerSensor> pointer;
    const std::shared_ptr<system::AccessibilityTrust> trust;
    const std::shared_ptr<system::HoverSensor> hover;
    const std::shared_ptr<system::MenuBarDragWatcher> dragWatcher;
    const std::shared_ptr<system::ScreenWatcher> screens;
    const std::shared_ptr<system::ItemReorderer> reorderer;
    // Made by `makeCoordinator`.
    std::shared_ptr<system::ItemPresser> presser;

    // What `makeCoordinator` builds from. A caller that must watch the services
    // (a test counting reads) may wrap any of them before building itself.
    coordinator::Coordinator::Services services;
    coordinator::Coordinator::Timings timings;
    coordinator::Coordinator::Clocks clocks;

    // The presser of a coordinator built from `services` some other way.
    std::shared_ptr<system::ItemPresser>
    makePresser(const std::shared_ptr<coordinator::Coordinator>& revealer);

private:
    concurrency::MainExecutor& executor_;
    Inputs inputs_;
};

} // namespace pellacor::app
