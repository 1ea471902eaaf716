#pragma once

#include "Concurrency/Continuation.h"
#include "Concurrency/MainExecutor.h"
#include "Concurrency/Task.h"
#include "Concurrency/Time.h"

#include <concepts>
#include <coroutine>
#include <memory>
#include <optional>

namespace pellacor::system {

// Waits, with a time limit, for a completion that some other thread reports.
// fire() may be called from any thread and only its first call counts; wait()
// is awaited by a task on the main executor and always resumes there. The lock
// is held only to change the state, never while resuming the waiter.
class OneShotSignal {
public:
    OneShotSignal();
    OneShotSignal(const OneShotSignal&) = delete;
    OneShotSignal& operator=(const OneShotSignal&) = delete;
    ~OneShotSignal();

    // Fires with value; later calls change nothing.
    void fire(bool value);

    class Wait;
    // `bool fired = co_await signal.wait(1s);` gives the fired value, or false
    // when timeout (on the task's executor clock) passes first. A signal that
    // has already fired answers at once. A second waiter while one is waiting
    // gets false at once. Cancelling the waiting task does not end the wait.
    [[nodiscard]] Wait wait(concurrency::Duration timeout);

    struct State;

    class Wait {
    public:
        Wait(std::shared_ptr<State> state, concurrency::Duration timeout) noexcept;
        Wait(Wait&&) noexcept = default;
        Wait& operator=(Wait&&) = delete;
        ~Wait();

        bool await_ready() const noexcept { return false; }
        template <std::derived_from<concurrency::detail::PromiseBase> P>
        bool await_suspend(std::coroutine_handle<P> self) {
            return suspend(concurrency::Continuation::of(self));
        }
        bool await_resume();

    private:
        bool suspend(concurrency::Continuation continuation);

        std::shared_ptr<State> state_;
        concurrency::Duration timeout_;
        concurrency::MainExecutor* executor_ = nullptr;
        concurrency::TimerId timer_ = concurrency::TimerId::none;
        std::optional<bool> answer_; // when resolved without suspending
        bool waiting_ = false;
    };

private:
    // Shared with the waiter and (weakly) with its time-out timer, so that a
    // signal destroyed while waited on cannot be reached by either.
    std::shared_ptr<State> state_;
};

} // namespace pellacor::system
