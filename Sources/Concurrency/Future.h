#pragma once

#include "Concurrency/Continuation.h"
#include "Concurrency/Task.h"

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
// (awaited by one task on the main executor).
template <typename T> class FutureState {
public:
    using Value = std::conditional_t<std::is_void_v<T>, std::monostate, T>;

    // The first completion counts; the waiter, if any, resumes on its
    // executor. The lock is never held while resuming.
    bool complete(Value value) {
        Continuation waiter;
        {
            std::lock_guard lock(mutex_);
            if (value_) {
                return false;
            }
            value_.emplace(std::move(value));
            waiter = std::move(waiter_);
        }
        std::move(waiter).resume();
        return true;
    }

    // The last Promise went away without a value: the waiter can never be
    // resumed, so it is released.
    void abandon() {
        Continuation waiter;
        std::lock_guard lock(mutex_);
        waiter = std::move(waiter_);
    }

    bool isReady() const {
        std::lock_guard lock(mutex_);
        return value_.has_value();
    }

    // False when the value is already there (do not suspend).
    bool suspend(Continuation continuation) {
        std::unique_lock lock(mutex_);
        if (value_) {
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

    Value take() {
        std::lock_guard lock(mutex_);
        assert(value_);
        return std::move(*value_);
    }

private:
    mutable std::mutex mutex_;
    std::optional<Value> value_;
    Continuation waiter_;
};

} // namespace detail

// The receiving end of a Promise: `auto value = co_await std::move(future);`
// inside a task suspends until the promise is completed (from any thread) and
// resumes on the task's executor, exactly once, whether the value came before
// or after the await. Awaited by one task, once. Move-only.
template <typename T> class [[nodiscard]] Future {
public:
    Future() noexcept = default;
    Future(Future&&) noexcept = default;
    Future& operator=(Future&&) noexcept = default;
    ~Future() = default;

    bool valid() const noexcept { return static_cast<bool>(state_); }
    // Whether the value has arrived. Thread-safe.
    bool isReady() const { return state_ && state_->isReady(); }

    class Awaiter {
    public:
        explicit Awaiter(std::shared_ptr<detail::FutureState<T>> state) noexcept : state_(std::move(state)) {}
        Awaiter(Awaiter&&) noexcept = default;
        Awaiter& operator=(Awaiter&&) = delete;
        ~Awaiter() {
            if (suspended_ && !resumed_) {
                state_->forgetWaiter();
            }
        }

        bool await_ready() const { return state_->isReady(); }
        template <std::derived_from<detail::PromiseBase> P>
        bool await_suspend(std::coroutine_handle<P> self) {
            suspended_ = state_->suspend(Continuation::of(self));
            return suspended_;
        }
        T await_resume() {
            resumed_ = true;
            if constexpr (std::is_void_v<T>) {
                state_->take();
            } else {
                return state_->take();
            }
        }

    private:
        std::shared_ptr<detail::FutureState<T>> state_;
        bool suspended_ = false;
        bool resumed_ = false;
    };
    Awaiter operator co_await() && noexcept {
        assert(state_ && "awaiting an empty Future");
        return Awaiter(std::move(state_));
    }

private:
    friend class Promise<T>;
    explicit Future(std::shared_ptr<detail::FutureState<T>> state) noexcept : state_(std::move(state)) {}

    std::shared_ptr<detail::FutureState<T>> state_;
};

} // namespace pellacor::concurrency
