#include "Trayvane/Integrations/IntentGate.h"

namespace pellacor::app {

using core::IntentProblem;

IntentGate::Clock IntentGate::clockOf(const concurrency::MainExecutor& executor) {
    return Clock{concurrency::nowOf(executor), concurrency::defaultCheckedSleep()};
}

concurrency::Task<std::shared_ptr<ExternalControl>> IntentGate::control(Clock clock) {
    const auto deadline = clock.now() + waitLimit;
    // The check comes before the first sleep, so a running program answers at
    // once; the last check falls at or after the deadline.
    while (true) {
        if (auto control = ExternalControl::shared()) {
            co_return control;
        }
        if (clock.now() >= deadline) {
            co_return nullptr;
        }
        // A cancelled task's sleep ends at once without time passing; going on
        // would spin until the deadline, so a cancelled wait ends here.
        if (co_await clock.sleep(pollInterval) == concurrency::SleepResult::cancelled) {
            co_return nullptr;
        }
    }
}

concurrency::Task<IntentGate::Result> IntentGate::run(core::ExternalCommand command, Clock clock) {
    const auto control = co_await IntentGate::control(std::move(clock));
    if (!control) {
        co_return IntentProblem::Case::notReady;
    }
    co_return problem(control->run(command, ExternalControl::Source::shortcuts));
}

concurrency::Task<IntentGate::Result> IntentGate::switchProfile(core::Uuid profileID, Clock clock) {
    const auto control = co_await IntentGate::control(std::move(clock));
    if (!control) {
        co_return IntentProblem::Case::notReady;
    }
    co_return problem(control->switchProfile(profileID, ExternalControl::Source::shortcuts));
}

IntentGate::Result IntentGate::problem(ExternalControl::Outcome outcome) {
    switch (outcome) {
    case ExternalControl::Outcome::done:
        return std::nullopt;
    case ExternalControl::Outcome::noProfile:
        return IntentProblem::Case::unknownProfile;
    case ExternalControl::Outcome::unavailable:
        return IntentProblem::Case::notReady;
    case ExternalControl::Outcome::resumeNeedsUser:
        return IntentProblem::Case::resumeNeedsUser;
    case ExternalControl::Outcome::rejected:
        // Never the outcome of a command that was already parsed; told as the
        // program not being able to act, rather than as done.
        return IntentProblem::Case::notReady;
    }
    return IntentProblem::Case::notReady;
}

} // namespace pellacor::app
