#include "Trayvane/App/EngineComponent.h"

#include "MenuBarCore/Support/Log.h"
#include "Trayvane/App/SharedServices.h"
#include "Trayvane/Composition/CoordinatorComposition.h"
#include "Trayvane/Coordinator/Coordinator.h"
#include "Trayvane/StatusItem/ControlItem.h"

#include <mutex>
#include <utility>

namespace pellacor::app {

// What the watchdog's thread reaches to ping the main executor; cut when the
// engine goes, so that a ping sent while the process ends goes nowhere.
struct EngineComponent::Relay {
    std::mutex mutex;
    concurrency::MainExecutor* executor = nullptr;
};

EngineComponent::EngineComponent(const ProgramEnvironment& environment, const SharedServices& services,
                                 const core::Profile& profile, const std::weak_ptr<ControlItem>& control)
    : relay_(std::make_shared<Relay>()) {
    relay_->executor = environment.executor;
    auto watchdog = environment.watchdog;
    if (!watchdog.post) {
        watchdog.post = [relay = relay_](std::function<void()> job) {
            const std::lock_guard lock(relay->mutex);
            if (relay->executor != nullptr) {
                relay->executor->postFromAnyThread(std::move(job));
            }
        };
    }
    CoordinatorComposition::Inputs inputs{
        .platform = environment.platform,
        .selfBundleID = services.selfBundleID,
        .profile = profile,
        .bundleURL = environment.bundleURL,
        .applicationsFolder = environment.applicationsFolder,
        // Screen coordinates, y up, as the button's window has them.
        .controlFrame =
            [control] {
                const auto item = control.lock();
                return item ? item->buttonFrame() : std::nullopt;
            },
        .ownItemPlaced =
            [control] {
                const auto item = control.lock();
                return item && item->buttonFrame().has_value();
            },
        .ownItemOnBar = [control]() -> std::optional<bool> {
            const auto item = control.lock();
            return item ? item->isShownInMenuBar() : std::nullopt;
        },
        .queues = environment.queues ? *environment.queues : CoordinatorComposition::Queues::make(),
        .presserRuns = environment.presserRuns,
        .watchdog = std::move(watchdog),
        .startWatchdog = environment.startWatchdog,
    };
    composition_ = std::make_unique<CoordinatorComposition>(*environment.executor, std::move(inputs));
    hangWatchdog_ = composition_->watchdog;
    if (environment.composed) {
        environment.composed(*composition_);
    }
    // The presser comes with it, holding the coordinator weakly as its revealer.
    coordinator_ = composition_->makeCoordinator();
    if (!coordinator_) {
        core::Log::app().error("司令塔を作れませんでした（隠しません）");
    }
}

EngineComponent::~EngineComponent() {
    const std::lock_guard lock(relay_->mutex);
    relay_->executor = nullptr;
}

void EngineComponent::start(std::optional<coordinator::PauseReason> reason) {
    if (coordinator_) {
        coordinator_->start(std::move(reason));
    }
}

void EngineComponent::takeDown() {
    if (coordinator_) {
        coordinator_->shutdown();
    }
}

} // namespace pellacor::app
