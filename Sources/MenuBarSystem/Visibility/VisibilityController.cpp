#include "MenuBarSystem/Visibility/VisibilityController.h"

#include "MenuBarCore/Text/Text.h"
#include "MenuBarSystem/Private/MenuBarClientCoreShim.h"
#include "MenuBarSystem/Support/OneShotSignal.h"

#include <algorithm>

namespace pellacor::system {

using Result = SystemResult<core::VisibilityPlan>;

std::shared_ptr<VisibilityController>
VisibilityController::create(concurrency::MainExecutor& executor,
                             std::shared_ptr<platform::RuntimeLoader> runtime,
                             const std::string& selfBundleID) {
    return create(executor, MenuBarClientCoreShim::load(std::move(runtime)), selfBundleID,
                  defaultCompletionTimeout);
}

std::shared_ptr<VisibilityController>
VisibilityController::create(concurrency::MainExecutor& executor, std::shared_ptr<RestrictionBackend> backend,
                             const std::string& selfBundleID, concurrency::Duration completionTimeout) {
    return std::shared_ptr<VisibilityController>(
        new VisibilityController(executor, std::move(backend), selfBundleID, completionTimeout));
}

VisibilityController::VisibilityController(concurrency::MainExecutor& executor,
                                           std::shared_ptr<RestrictionBackend> backend,
                                           const std::string& selfBundleID,
                                           concurrency::Duration completionTimeout)
    : executor_(executor), backend_(std::move(backend)), selfBundleID_(core::Text::trimmed(selfBundleID)),
      completionTimeout_(completionTimeout) {}

concurrency::Task<Result> VisibilityController::apply(core::VisibilityPlan plan) {
    return run(weak_from_this(), std::move(plan));
}

concurrency::Task<Result> VisibilityController::run(std::weak_ptr<VisibilityController> weak,
                                                    core::VisibilityPlan plan) {
    std::shared_ptr<RestrictionAttempt> attempt;
    std::shared_ptr<OneShotSignal> signal;
    std::uint64_t generation = 0;
    concurrency::Duration timeout{};
    {
        auto self = weak.lock();
        if (!self) {
            co_return Result::ok(core::VisibilityPlan::noRestriction());
        }
        generation = ++self->generation_;
        if (self->inFlight_) {
            auto superseded = std::exchange(self->inFlight_, nullptr);
            self->cancel(superseded);
            self->updateRestricting();
        }

        const std::vector<std::string>* list = plan.allowedBundleIDs();
        if (list == nullptr) {
            self->removeRestriction();
            co_return Result::ok(core::VisibilityPlan::noRestriction());
        }
        if (self->selfBundleID_.empty() ||
            std::find(list->begin(), list->end(), self->selfBundleID_) == list->end()) {
            self->removeRestriction();
            co_return Result::unavailable(UnavailableReason::selfNotAllowed);
        }
        if (!self->backend_) {
            self->removeRestriction();
            co_return Result::unavailable(UnavailableReason::hidingComponentMissing);
        }
        if (self->token_ && plan == self->currentPlan_) {
            co_return Result::ok(plan);
        }

        signal = std::make_shared<OneShotSignal>();
        attempt = std::make_shared<RestrictionAttempt>(self->executor_);
        attempt->onSettled = [weak, weakAttempt = std::weak_ptr<RestrictionAttempt>(attempt)] {
            auto controller = weak.lock();
            auto settledAttempt = weakAttempt.lock();
            if (controller && settledAttempt) {
                controller->settled(settledAttempt.get());
            }
        };
        // Runs on the framework's thread: it only touches the attempt's lock and
        // the signal. The attempt is held weakly so that it (and its token) is
        // always released on the main thread.
        auto onCompletion = [weakAttempt = std::weak_ptr<RestrictionAttempt>(attempt),
                             signal](std::uint64_t error) {
            if (auto completedAttempt = weakAttempt.lock()) {
                completedAttempt->completed(error);
            }
            signal->fire(true);
        };
        auto token = self->backend_->activate(*list, std::move(onCompletion));
        if (!token) {
            self->removeRestriction();
            co_return Result::unavailable(UnavailableReason::restrictionRejected);
        }
        attempt->token = std::move(token);
        self->inFlight_ = attempt;
        self->updateRestricting();
        timeout = self->completionTimeout_;
    }

    const bool confirmed = co_await signal->wait(timeout);

    auto self = weak.lock();
    if (!self) {
        // The controller is gone; so is whatever it held.
        attempt->cancel();
        co_return Result::ok(core::VisibilityPlan::noRestriction());
    }
    if (self->generation_ != generation) {
        // Superseded by a later apply or a removal while waiting.
        self->cancel(attempt);
        co_return Result::ok(self->currentPlan_);
    }
    self->inFlight_ = nullptr;
    if (const std::uint64_t error = attempt->completionError(); confirmed && error != 0) {
        // The framework answered, but with an error: nothing is restricted by
        // this assertion, so it is no confirmation. Like every failed apply,
        // it leaves nothing hidden.
        self->cancel(attempt);
        self->removeRestriction();
        co_return Result::unavailable(UnavailableReason::systemError(static_cast<std::int32_t>(error)));
    }
    if (confirmed) {
        // The previous assertion ends only now that its successor is in force.
        auto previous = std::exchange(self->token_, attempt->token);
        self->currentPlan_ = plan;
        self->updateRestricting();
        if (previous) {
            previous->invalidateOnce();
        }
        co_return Result::ok(plan);
    }
    self->cancel(attempt);
    self->removeRestriction();
    co_return Result::timeout();
}

void VisibilityController::removeRestriction() {
    ++generation_;
    if (inFlight_) {
        auto attempt = std::exchange(inFlight_, nullptr);
        cancel(attempt);
    }
    if (auto token = std::exchange(token_, nullptr)) {
        token->invalidateOnce();
    }
    currentPlan_ = core::VisibilityPlan::noRestriction();
    updateRestricting();
}

void VisibilityController::cancel(const std::shared_ptr<RestrictionAttempt>& attempt) {
    attempt->cancel();
    if (!attempt->isCancelledEarly()) {
        return;
    }
    if (std::find(lingering_.begin(), lingering_.end(), attempt) == lingering_.end()) {
        lingering_.push_back(attempt);
    }
    updateRestricting();
}

void VisibilityController::settled(const RestrictionAttempt* attempt) {
    std::erase_if(lingering_, [attempt](const auto& entry) { return entry.get() == attempt; });
    updateRestricting();
}

void VisibilityController::updateRestricting() {
    restricting_.store(token_ != nullptr || inFlight_ != nullptr || !lingering_.empty(),
                       std::memory_order_relaxed);
}

} // namespace pellacor::system
