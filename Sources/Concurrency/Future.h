#pragma once

#include "Concurrency/Continuation.h"
#include "Concurrency/FutureResult.h"
#include "Concurrency/MainExecutor.h"
#include "Concurrency/Task.h"
#include "Concurrency/Time.h"

#include <cassert>
#include <concepts>
#include <coroutine>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

namespace pellacor::concurrency {

template <typename T> class Promise;

namespace detail {

// The cell between a Promise (completed on any thread) and its Future
// (awaited by one task on the main executor). The lock is only held to look at
// and change the cell, never while resuming the waiter.
template <typename T> class FutureState {
public:
    using Value = std::conditional_t<std::is_void_v<T>, std::monostate, T>;

    // The first completion counts; the waiter, if any, resumes on its
    // executor.
    bool complete(Value value) {
        Continuation waiter;
        {
            std::lock_guard lock(mutex_);
            if (isSettledLocked()) {
                return false;
            }
            value_.emplace(std::move(value));
            waiter = std::move(waiter_);
        }
        std::move(waiter).resume();
        return true;
    }

    // The last Promise went away without a value: nothing can complete the
    // future any more, so the waiter resumes with a broken result.
    void abandon() {
        Continuation waiter;
        {
            std::lock_guard lock(mutex_);
            if (isSettledLocked()) {
                return;
            }
            broken_ = true;
            waiter = std::move(waiter_);
        }
        std::move(waiter).resume();
    }

    // The waiter's time limit passed: it resumes without a value, unless the
    // value (or the break) came first and its resumption is already on its way.
    void timeOut() {
        Continuation waiter;
        {
            std::lock_guard lock(mutex_);
            if (!waiter_) {
                return;
            }
            waiter = std::move(waiter_);
        }
        std::move(waiter).resume();
    }

    bool hasValue() const {
        std::lock_guard lock(mutex_);
        return value_.has_value();
    }
    bool isSettled() const {
        std::lock_guard lock(mutex_);
        return isSettledLocked();
    }

    // False when the value or the break is already there (do not suspend).
    bool suspend(Continuation continuation) {
        std::lock_guard lock(mutex_);
        if (isSettledLocked()) {
            return false;
        }
        assert(!waiter_ && "a future has one awaiter");
        waiter_ = std::move(continuation);
        return true;
    }

    // The awaiting frame is being destroyed while suspended.
    void forgetWaiter() {
        Continuation waiter;
        std::lock_guard lock(mutex_);
        waiter = std::move(waiter_);
    }

    FutureResult<T> take() {
        std::lock_guard lock(mutex_);
        if (value_) {
            if constexpr (std::is_void_v<T>) {
                return FutureResult<T>::ready();
            } else {
                return FutureResult<T>::ready(std::move(*value_));
            }
        }
        return FutureResult<T>::failed(broken_ ? FutureStatus::broken : FutureStatus::timedOut);
    }

private:
    bool isSettledLocked() const noexcept { return value_.has_value() || broken_; }

    mutable std::mutex mutex_;
    std::optional<Value> value_;
    bool broken_ = false;
    Continuation waiter_;
};

} // namespace detail

// The receiving end of a Promise, awaited by one task, once:
//     auto result = co_await std::move(future);              // FutureResult<T>
//     auto result = co_await std::move(future).waitFor(2s);  // or at most 2 s
// suspends until the promise is completed (from any thread), or every copy of
// it went away without a value (`broken`), or the time limit passed on the
// task's executor clock (`timedOut`), and resumes on the task's executor,
// exactly once, whether the value came before or after the await. Cancelling
// the awaiting task does not end the wait. Move-only.
template <typename T> class [[nodiscard]] Future {
public:
    Future() noexcept = default;
    Future(Future&&) noexcept = default;
    Future& operator=(Future&&) noexcept = default;
    ~Future() = default;

    bool valid() const noexcept { return static_cast<bool>(state_); }
    // Whether the value has arrived. Thread-safe.
    bool isReady() const { return state_ && state_->hasValue(); }

    class Awaiter {
    public:
        Awaiter(std::shared_ptr<detail::FutureState<T>> state, std::optional<Duration> timeout) noexcept
            : state_(std::move(state)), timeout_(timeout) {}
        Awaiter(Awaiter&&) noexcept = default;
        Awaiter& operator=(Awaiter&&) = delete;
        ~Awaiter() {
            // A frame destroyed while suspended here; its time-out holds the
            // cell weakly and finds nobody waiting.
            if (suspended_ && !resumed_) {
                state_->forgetWaiter();
            }
        }

        bool await_ready() const { return state_->isSettled(); }
        template <std::derived_from<detail::PromiseBase> P>
        bool await_suspend(std::coroutine_handle<P> self) {
            MainExecutor& executor = self.promise().context().executor();
            suspended_ = state_->suspend(Continuation::of(self));
            if (suspended_ && timeout_) {
                // Runs on this executor's thread, after this frame has
                // suspended.
                executor_ = &executor;
                std::weak_ptr<detail::FutureState<T>> weak = state_;
                timer_ = executor.postAt(deadlineAfter(executor.now(), *timeout_), [weak] {
                    if (auto state = weak.lock()) {
                        state->timeOut();
                    }
                });
            }
            return suspended_;
        }
        FutureResult<T> await_resume() {
            resumed_ = true;
            if (timer_ != TimerId::none) {
                executor_->cancelTimer(std::exchange(timer_, TimerId::none));
            }
            return state_->take();
        }

    private:
        std::shared_ptr<detail::FutureState<T>> state_;
        std::optional<Duration> timeout_;
        MainExecutor* executor_ = nullptr;
        TimerId timer_ = TimerId::none;
        bool suspended_ = false;
        bool resumed_ = false;
    };
    Awaiter operator co_await() && noexcept {
        assert(state_ && "awaiting an empty Future");
        return Awaiter(std::move(state_), std::nullopt);
    }
    // Awaits the value for at most `timeout`; see above.
    Awaiter waitFor(Duration timeout) && noexcept {
        assert(state_ && "awaiting an empty Future");
        return Awaiter(std::move(state_), timeout);
    }

private:
    friend class Promise<T>;
    explicit Future(std::shared_ptr<detail::FutureState<T>> state) noexcept : state_(std::move(state)) {}

    std::shared_ptr<detail::FutureState<T>> state_;
};

} // namespace pellacor::concurrency
