#include "MenuBarSystem/Support/OneShotSignal.h"

#include "Concurrency/Future.h"
#include "Concurrency/Promise.h"

#include <mutex>
#include <optional>
#include <utility>

namespace pellacor::system {

// Shared by the signal and its waiter, so that a wait outlives the signal.
struct OneShotSignal::State {
    // Held only to look at and change the fields, never while resuming.
    std::mutex mutex;
    std::optional<bool> fired;
    concurrency::Promise<bool> promise;
    // Until the first waiter takes it.
    std::optional<concurrency::Future<bool>> future{promise.future()};

    // The value that counts: `value` when this is the first firing.
    bool fire(bool value) {
        {
            std::lock_guard lock(mutex);
            if (fired) {
                return *fired;
            }
            fired = value;
        }
        promise.setValue(value);
        return value;
    }
};

OneShotSignal::OneShotSignal() : state_(std::make_shared<State>()) {}

OneShotSignal::~OneShotSignal() = default;

void OneShotSignal::fire(bool value) {
    state_->fire(value);
}

concurrency::Task<bool> OneShotSignal::wait(concurrency::Duration timeout) {
    return waitOn(state_, timeout);
}

concurrency::Task<bool> OneShotSignal::waitOn(std::shared_ptr<State> state, concurrency::Duration timeout) {
    concurrency::Future<bool> future;
    {
        std::lock_guard lock(state->mutex);
        if (state->fired) {
            co_return *state->fired;
        }
        if (!state->future) {
            // Someone else is waiting already; they keep the signal.
            co_return false;
        }
        future = std::move(*std::exchange(state->future, std::nullopt));
    }
    auto result = co_await std::move(future).waitFor(timeout);
    if (result.hasValue()) {
        co_return *result;
    }
    // Timed out (the state holds the promise, so it cannot break): a fire
    // racing with the time-out may still have come first.
    co_return state->fire(false);
}

} // namespace pellacor::system
