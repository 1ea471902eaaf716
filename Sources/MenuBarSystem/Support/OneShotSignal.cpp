#include "MenuBarSystem/Support/OneShotSignal.h"

#include <mutex>
#include <utility>
#include <variant>

namespace pellacor::system {

using concurrency::Continuation;

struct OneShotSignal::State {
    struct Waiting {
        Continuation continuation;
    };
    struct Done {
        bool value;
    };
    struct Idle {};

    // Non-recursive, and held only to look at and change `state`.
    std::mutex mutex;
    std::variant<Waiting, Done, Idle> state{Idle{}};

    void fire(bool value) {
        Continuation waiter;
        {
            std::lock_guard lock(mutex);
            if (auto* waiting = std::get_if<Waiting>(&state)) {
                waiter = std::move(waiting->continuation);
                state = Done{value};
            } else if (std::holds_alternative<Idle>(state)) {
                state = Done{value};
            }
        }
        // Resumes on the waiter's executor, after the lock is released.
        std::move(waiter).resume();
    }
};

OneShotSignal::OneShotSignal() : state_(std::make_shared<State>()) {}

OneShotSignal::~OneShotSignal() = default;

void OneShotSignal::fire(bool value) {
    state_->fire(value);
}

OneShotSignal::Wait OneShotSignal::wait(concurrency::Duration timeout) {
    return Wait(state_, timeout);
}

OneShotSignal::Wait::Wait(std::shared_ptr<State> state, concurrency::Duration timeout) noexcept
    : state_(std::move(state)), timeout_(timeout) {}

OneShotSignal::Wait::~Wait() {
    if (!waiting_) {
        return;
    }
    // The waiting frame is being destroyed while still suspended (its executor
    // is going away): forget it, so the signal holds nothing of it.
    Continuation forgotten;
    std::lock_guard lock(state_->mutex);
    if (auto* waiting = std::get_if<State::Waiting>(&state_->state)) {
        forgotten = std::move(waiting->continuation);
        state_->state = State::Idle{};
    }
}

bool OneShotSignal::Wait::suspend(Continuation continuation) {
    concurrency::MainExecutor& executor = continuation.executor();
    executor_ = &executor;
    // The time-out holds the signal weakly: once the signal is gone there is
    // nothing to fire.
    std::weak_ptr<State> weak = state_;
    timer_ = executor.postAt(concurrency::deadlineAfter(executor.now(), timeout_), [weak] {
        if (std::shared_ptr<State> state = weak.lock()) {
            state->fire(false);
        }
    });
    {
        std::lock_guard lock(state_->mutex);
        if (std::holds_alternative<State::Idle>(state_->state)) {
            state_->state = State::Waiting{std::move(continuation)};
            waiting_ = true;
            return true;
        }
        if (auto* done = std::get_if<State::Done>(&state_->state)) {
            answer_ = done->value;
        } else {
            // Someone else is waiting already; they keep the signal.
            answer_ = false;
        }
    }
    executor.cancelTimer(std::exchange(timer_, concurrency::TimerId::none));
    return false;
}

bool OneShotSignal::Wait::await_resume() {
    waiting_ = false;
    if (timer_ != concurrency::TimerId::none) {
        executor_->cancelTimer(std::exchange(timer_, concurrency::TimerId::none));
    }
    if (answer_) {
        return *answer_;
    }
    std::lock_guard lock(state_->mutex);
    if (const auto* done = std::get_if<State::Done>(&state_->state)) {
        return done->value;
    }
    return false;
}

} // namespace pellacor::system
