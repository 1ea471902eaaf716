#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/Task.h"
#include "Concurrency/TaskContext.h"

#include <cassert>
#include <concepts>
#include <coroutine>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

namespace pellacor::concurrency {

template <typename T> class TaskHandle;

template <typename T> TaskHandle<T> spawn(MainExecutor& executor, Task<T> task, std::string name = {});

// A spawned task: shared state (finished, result, cancelled, joiners). Copies
// refer to the same task. Dropping every handle does not cancel the task; it
// runs on to its end, as long as something can still resume it: a handle does
// not keep a task's frame alive, so a task that nothing will ever resume is
// freed (and never finishes) even while handles to it remain. Use on the
// executor's thread only (isCancelled() may be read anywhere). A
// default-constructed handle refers to no task: cancel() does nothing and it
// counts as finished.
template <typename T> class TaskHandle {
public:
    TaskHandle() noexcept = default;

    explicit operator bool() const noexcept { return static_cast<bool>(state_); }
    bool isFinished() const noexcept { return !state_ || state_->isFinished(); }
    bool isCancelled() const noexcept { return state_ && state_->isCancelled(); }

    // Asks the task to stop: sets its flag (which it tests itself) and wakes
    // its pending sleep on a later turn. Nothing happens once it has finished.
    void cancel() const {
        if (state_) {
            state_->cancel();
        }
    }

    // The value the task returned, once it has finished.
    template <typename U = T>
    requires(!std::is_void_v<U>) std::optional<U> result()
    const {
        if (!state_) {
            return std::nullopt;
        }
        return state_->result();
    }

    // `co_await handle` waits until the task has finished (at once when it
    // already has) and gives a copy of its value. Joining does not cancel it.
    // An empty TaskHandle<void> counts as finished, so awaiting it goes on at
    // once; an empty handle with a value has none to give and must not be
    // awaited.
    struct Awaiter {
        std::shared_ptr<detail::TaskState<T>> state;

        bool await_ready() const noexcept {
            assert(std::is_void_v<T> || state != nullptr);
            return !state || state->isFinished();
        }
        template <std::derived_from<detail::PromiseBase> P>
        void await_suspend(std::coroutine_handle<P> self) {
            state->addJoiner(self.promise().context().shared_from_this(), self);
        }
        T await_resume() const {
            if constexpr (!std::is_void_v<T>) {
                return *state->result();
            }
        }
    };
    Awaiter operator co_await() const noexcept { return Awaiter{state_}; }

    friend bool operator==(const TaskHandle& a, const TaskHandle& b) noexcept { return a.state_ == b.state_; }

private:
    template <typename U> friend TaskHandle<U> spawn(MainExecutor& executor, Task<U> task, std::string name);

    explicit TaskHandle(std::shared_ptr<detail::TaskState<T>> state) noexcept : state_(std::move(state)) {}

    std::shared_ptr<detail::TaskState<T>> state_;
};

namespace detail {

// The root frame of a spawned task: runs the task and stores its value. The
// state outlives the frame (its context owns both), so a plain pointer is safe
// here. An exception that leaves the task ends here, with a fault line naming
// it.
template <typename T> Task<void> runRoot(Task<T> task, TaskState<T>* state) {
    std::exception_ptr escaped;
    try {
        if constexpr (std::is_void_v<T>) {
            co_await std::move(task);
            state->setResult();
        } else {
            auto value = co_await std::move(task);
            state->setResult(std::move(value));
        }
    } catch (...) {
        escaped = std::current_exception();
    }
    if (escaped) {
        state->uncaughtException(std::move(escaped));
    }
}

} // namespace detail

// Starts task on executor. It begins on a later turn, after the code that
// spawned it returns; tasks spawned one after another begin in that order.
// `name` says which task it is in a fault line (an exception that escapes it).
template <typename T> TaskHandle<T> spawn(MainExecutor& executor, Task<T> task, std::string name) {
    auto state = std::make_shared<detail::TaskState<T>>(std::move(name));
    auto context = std::make_shared<detail::TaskContext>(executor, state);
    // From here on only what resumes the task holds its context.
    context->start(detail::releaseRoot(detail::runRoot<T>(std::move(task), state.get()), context.get()));
    return TaskHandle<T>(std::move(state));
}

} // namespace pellacor::concurrency
