#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/Sleep.h"
#include "Concurrency/Task.h"
#include "MenuBarCore/Integrations/ExternalCommand.h"
#include "MenuBarCore/Integrations/IntentProblem.h"
#include "MenuBarCore/Support/Uuid.h"
#include "Trayvane/Integrations/ExternalControl.h"

#include <chrono>
#include <memory>
#include <optional>

namespace pellacor::app {

// The way of a shortcut's action into the program. A shortcut can come while
// the program is still starting, or while a relaunch has withdrawn the
// external control; so it waits for the control to be published, checking
// every `pollInterval` for up to `waitLimit`, and the program goes on with
// its launch between the checks. Every failed outcome becomes the problem the
// person who ran the shortcut is told. Main thread.
class IntentGate {
public:
    IntentGate() = delete;

    static constexpr concurrency::Duration waitLimit = std::chrono::seconds(30);
    static constexpr concurrency::Duration pollInterval = std::chrono::milliseconds(200);

    // Nothing when the action was done, else what stopped it.
    using Result = std::optional<core::IntentProblem::Case>;

    // The clock the wait reads and its sleep: the main executor's.
    struct Clock {
        concurrency::Now now;
        concurrency::CheckedSleep sleep;
    };
    static Clock clockOf(const concurrency::MainExecutor& executor);

    // The published external control; nothing when it did not appear in time
    // (or the waiting task was cancelled), which the callers report as `notReady`.
    static concurrency::Task<std::shared_ptr<ExternalControl>> control(Clock clock);
    // Runs the command as coming from a shortcut.
    static concurrency::Task<Result> run(core::ExternalCommand command, Clock clock);
    // Makes the profile active, as the person's own choice.
    static concurrency::Task<Result> switchProfile(core::Uuid profileID, Clock clock);

    // What the person is told of an outcome; nothing for done.
    static Result problem(ExternalControl::Outcome outcome);
};

} // namespace pellacor::app
