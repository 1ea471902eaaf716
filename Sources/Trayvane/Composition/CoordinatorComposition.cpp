#include "Trayvane/Composition/CoordinatorComposition.h"

#include "Concurrency/Sleep.h"
#include "Concurrency/ThreadTimerQueue.h"
#include "MenuBarSystem/Pressing/SystemPressAccessibility.h"
#include "MenuBarSystem/Reading/SystemAccessibility.h"

#include <utility>

namespace pellacor::app {

using coordinator::Coordinator;

CoordinatorComposition::Queues CoordinatorComposition::Queues::make() {
    return Queues{
        .presser = std::make_shared<concurrency::SerialQueue>(system::ItemPresser::queueLabel()),
        .reorderer = std::make_shared<concurrency::SerialQueue>(system::ItemReorderer::queueLabel()),
        .hoverHitTest = std::make_shared<concurrency::SerialQueue>(system::HoverSensor::queueLabel()),
        .dragWatcher =
            std::make_shared<concurrency::ThreadTimerQueue>(system::MenuBarDragWatcher::queueLabel()),
    };
}

namespace {

system::HangWatchdog::Environment pingingExecutor(system::HangWatchdog::Environment environment,
                                                  concurrency::MainExecutor& executor) {
    if (!environment.post) {
        environment.post = system::HangWatchdog::postTo(executor);
    }
    return environment;
}

// The program runs on the coordinator's own defaults; only what it runs over is its own.
Coordinator::Timings defaultTimings(core::Profile profile, std::string selfBundleID) {
    return Coordinator::Timings{.profile = std::move(profile), .selfBundleID = std::move(selfBundleID)};
}

} // namespace

CoordinatorComposition::CoordinatorComposition(concurrency::MainExecutor& executor, Inputs inputs)
    // The reader and the restriction controller come first; the watchdog watches
    // the controller from its own thread, reading only its atomic flag.
    : reader(std::make_shared<system::ItemReader>(std::make_shared<system::SystemAccessibility>(
          inputs.platform.accessibility, inputs.platform.workspace))),
      visibility(
          system::VisibilityController::create(executor, inputs.platform.runtimeLoader, inputs.selfBundleID)),
      watchdog(system::HangWatchdog::create([controller = visibility] { return controller->isRestricting(); },
                                            pingingExecutor(inputs.watchdog, executor))),
      // The health check reads through the same reader (a copy shares its queues).
      health(std::make_shared<system::HealthCheck>(reader, visibility->isHidingAvailable(), inputs.bundleURL,
                                                   inputs.selfBundleID, inputs.applicationsFolder)),
      appWatcher(system::AppActivityWatcher::create(inputs.platform.workspace, executor)),
      captureWatcher(system::CaptureUseWatcher::create(inputs.platform.captureDevices, executor)),
      pointer(std::make_shared<system::PointerSensor>(inputs.platform)),
      trust(std::make_shared<system::AccessibilityTrust>(inputs.platform.accessibility)),
      hover(system::HoverSensor::create(inputs.controlFrame, inputs.platform, inputs.queues.hoverHitTest)),
      dragWatcher(system::MenuBarDragWatcher::create(inputs.platform, executor, inputs.queues.dragWatcher)),
      screens(system::ScreenWatcher::create(inputs.platform.screens,
                                            inputs.platform.workspace->notificationCenter(),
                                            inputs.platform.notificationCenter)),
      reorderer(std::make_shared<system::ItemReorderer>(
          inputs.queues.reorderer, inputs.platform.preferencesDomain, inputs.platform.fileManager)),
      services{
          .reader = reader,
          .visibility = visibility,
          .appWatcher = appWatcher,
          .captureWatcher = captureWatcher,
          .health = health,
          .pointer = pointer,
          .hover = hover,
          .trust = trust,
          .dragWatcher = dragWatcher,
          .screens = screens,
          .reorderer = reorderer,
          .ownItemPlaced = inputs.ownItemPlaced,
          .ownItemOnBar = inputs.ownItemOnBar,
      },
      // The coordinator's own defaults are the program's timings.
      timings(defaultTimings(inputs.profile, inputs.selfBundleID)),
      // The executor's clock and sleeps; the date for the notch planner.
      clocks(executor), executor_(executor), inputs_(std::move(inputs)) {
    if (inputs_.startWatchdog) {
        watchdog->start();
    }
}

CoordinatorComposition::~CoordinatorComposition() {
    // The watchdog's thread outlives this object; it must not ping an executor
    // that may be gone.
    watchdog->stop();
}

std::shared_ptr<system::ItemPresser>
CoordinatorComposition::makePresser(const std::shared_ptr<Coordinator>& revealer) {
    concurrency::OffMain runs =
        inputs_.presserRuns ? inputs_.presserRuns : concurrency::offMainOn(inputs_.queues.presser);
    return system::ItemPresser::create(executor_,
                                       std::make_shared<system::SystemPressAccessibility>(inputs_.platform),
                                       revealer, system::ItemPresser::Settings{}, {}, {}, std::move(runs));
}

std::shared_ptr<Coordinator> CoordinatorComposition::makeCoordinator() {
    auto made = Coordinator::create(services, timings, clocks);
    if (made) {
        presser = makePresser(made);
        made->presser = presser;
    }
    return made;
}

} // namespace pellacor::app
