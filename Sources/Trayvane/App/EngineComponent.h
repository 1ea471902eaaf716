#pragma once

#include "Trayvane/App/ProgramEnvironment.h"
#include "Trayvane/Coordinator/PauseReason.h"

#include <memory>
#include <optional>

namespace pellacor::core {
class Profile;
} // namespace pellacor::core

namespace pellacor::coordinator {
class Coordinator;
} // namespace pellacor::coordinator

namespace pellacor::system {
class HangWatchdog;
} // namespace pellacor::system

namespace pellacor::app {

class CoordinatorComposition;
class ControlItem;
struct SharedServices;

// The engine: the services the coordinator runs on (composed as the program
// composes them, the hang watchdog started at once and pinging the executor
// through a relay cut when this goes) and the coordinator over them, starting
// from the state document's active profile. It reads the control item's
// frame, place and presence on the bar, weakly. The other components set the
// coordinator's callbacks before `start`; `takeDown` shuts it down, which
// lifts the restriction. Main thread.
class EngineComponent {
public:
    EngineComponent(const ProgramEnvironment& environment, const SharedServices& services,
                    const core::Profile& profile, const std::weak_ptr<ControlItem>& control);
    ~EngineComponent();
    EngineComponent(const EngineComponent&) = delete;
    EngineComponent& operator=(const EngineComponent&) = delete;

    // Nothing when the coordinator refused its values: the program then hides nothing.
    const std::shared_ptr<coordinator::Coordinator>& coordinator() const { return coordinator_; }
    const CoordinatorComposition& composition() const { return *composition_; }
    const std::shared_ptr<system::HangWatchdog>& hangWatchdog() const { return hangWatchdog_; }

    void start(std::optional<coordinator::PauseReason> reason);
    void takeDown();

private:
    struct Relay;

    std::shared_ptr<Relay> relay_;
    std::unique_ptr<CoordinatorComposition> composition_;
    std::shared_ptr<system::HangWatchdog> hangWatchdog_;
    std::shared_ptr<coordinator::Coordinator> coordinator_;
};

} // namespace pellacor::app
