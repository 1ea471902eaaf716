#pragma once

#include "Concurrency/TaskContext.h"

#include <cassert>
#include <concepts>
#include <coroutine>
#include <exception>
#include <type_traits>
#include <utility>
#include <variant>

namespace pellacor::concurrency {

template <typename T = void> class Task;

namespace detail {

// What every task coroutine's promise has: the task it runs in and the frame
// that awaits it. A root frame (the one spawn() made) has no awaiting frame.
class PromiseBase {
public:
    std::suspend_always initial_suspend() const noexcept { return {}; }

    TaskContext& context() const noexcept { return *context_; }
    void attach(TaskContext* context, std::coroutine_handle<> continuation) noexcept {
        context_ = context;
        continuation_ = continuation;
    }
    // While true, the awaiting frame is still inside its await_suspend, which
    // started this frame; a finish then just stops here and the awaiting frame
    // carries on without suspending. See Task::Awaiter.
    void setStartedInline(bool startedInline) noexcept { startedInline_ = startedInline; }

    // An exception that leaves a root frame has nobody to go to; failures are
    // values in this program, so that is a bug and ends the process, as an
    // exception leaving a thread would.
    void unhandledException() noexcept {
        if (!continuation_) {
            std::terminate();
        }
    }

    struct FinalAwaiter {
        bool await_ready() const noexcept { return false; }
        template <std::derived_from<PromiseBase> P>
        std::coroutine_handle<> await_suspend(std::coroutine_handle<P> self) const noexcept {
            PromiseBase& promise = self.promise();
            if (promise.continuation_) {
                if (promise.startedInline_) {
                    return std::noop_coroutine();
                }
                return promise.continuation_;
            }
            // The root frame: the context destroys it once control is back.
            promise.context_->rootFinished();
            return std::noop_coroutine();
        }
        void await_resume() const noexcept {}
    };
    FinalAwaiter final_suspend() const noexcept { return {}; }

private:
    TaskContext* context_ = nullptr;
    std::coroutine_handle<> continuation_;
    bool startedInline_ = false;
};

template <typename T> class TaskPromise final : public PromiseBase {
public:
    Task<T> get_return_object() noexcept;

    template <typename U>
    requires std::convertible_to<U&&, T>
    void return_value(U&& value) { result_.template emplace<1>(std::forward<U>(value)); }
    void unhandled_exception() noexcept {
        unhandledException();
        result_.template emplace<2>(std::current_exception());
    }
    T takeResult() {
        if (result_.index() == 2) {
            std::rethrow_exception(std::get<2>(result_));
        }
        assert(result_.index() == 1);
        return std::move(std::get<1>(result_));
    }

private:
    std::variant<std::monostate, T, std::exception_ptr> result_;
};

template <> class TaskPromise<void> final : public PromiseBase {
public:
    Task<void> get_return_object() noexcept;
    void return_void() noexcept {}
    void unhandled_exception() noexcept {
        unhandledException();
        exception_ = std::current_exception();
    }
    void takeResult() {
        if (exception_) {
            std::rethrow_exception(exception_);
        }
    }

private:
    std::exception_ptr exception_;
};

template <typename T> std::coroutine_handle<> releaseRoot(Task<T>&& task, TaskContext* context) noexcept;

} // namespace detail

// A lazy coroutine that runs on the main executor. It does nothing until it is
// either awaited by another task (`co_await makeTask()`, which runs it inside
// the awaiting task: same cancellation, result or exception handed back) or
// spawned (see TaskHandle.h). A task that is neither is destroyed unstarted.
//
// Write task bodies as free or static functions taking their parameters by
// value; never as capturing lambdas (the captures die with the lambda object
// while the frame lives on).
template <typename T> class [[nodiscard]] Task {
public:
    using promise_type = detail::TaskPromise<T>;

    Task() noexcept = default;
    Task(Task&& other) noexcept : handle_(std::exchange(other.handle_, {})) {}
    Task& operator=(Task&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, {});
        }
        return *this;
    }
    ~Task() { reset(); }

    bool valid() const noexcept { return static_cast<bool>(handle_); }

    struct Awaiter {
        std::coroutine_handle<promise_type> child;

        // The child runs right here, inside the awaiting frame's suspension.
        // When it finishes without suspending, the awaiting frame goes on
        // without suspending either; otherwise the child's end resumes it.
        // (A plain symmetric transfer is not a tail call in unoptimised g++
        // builds, so a loop of tasks that finish at once would grow the stack.)
        bool await_ready() const noexcept { return false; }
        template <std::derived_from<detail::PromiseBase> P>
        bool await_suspend(std::coroutine_handle<P> parent) {
            promise_type& promise = child.promise();
            promise.attach(&parent.promise().context(), parent);
            promise.setStartedInline(true);
            child.resume();
            if (child.done()) {
                return false;
            }
            promise.setStartedInline(false);
            return true;
        }
        T await_resume() { return child.promise().takeResult(); }
    };
    Awaiter operator co_await() && noexcept {
        assert(handle_ && "awaiting an empty Task");
        return Awaiter{handle_};
    }

private:
    friend promise_type;
    template <typename U>
    friend std::coroutine_handle<> detail::releaseRoot(Task<U>&& task, detail::TaskContext* context) noexcept;

    explicit Task(std::coroutine_handle<promise_type> handle) noexcept : handle_(handle) {}
    void reset() noexcept {
        if (handle_) {
            std::exchange(handle_, {}).destroy();
        }
    }

    std::coroutine_handle<promise_type> handle_;
};

namespace detail {

template <typename T> Task<T> TaskPromise<T>::get_return_object() noexcept {
    return Task<T>(std::coroutine_handle<TaskPromise<T>>::from_promise(*this));
}

inline Task<void> TaskPromise<void>::get_return_object() noexcept {
    return Task<void>(std::coroutine_handle<TaskPromise<void>>::from_promise(*this));
}

// Hands a root frame over to its context.
template <typename T> std::coroutine_handle<> releaseRoot(Task<T>&& task, TaskContext* context) noexcept {
    auto handle = std::exchange(task.handle_, {});
    handle.promise().attach(context, {});
    return handle;
}

// Suspends the current task for a while; see sleep() in Sleep.h.
class SleepAwaiter {
public:
    explicit SleepAwaiter(Duration delay) noexcept : delay_(delay) {}
    bool await_ready() const noexcept { return false; }
    template <std::derived_from<PromiseBase> P> bool await_suspend(std::coroutine_handle<P> self) {
        context_ = &self.promise().context();
        return context_->parkSleep(delay_, self);
    }
    // Whether the task was cancelled when the sleep ended.
    bool await_resume() const noexcept { return context_->isCancelled(); }

private:
    Duration delay_;
    TaskContext* context_ = nullptr;
};

} // namespace detail
} // namespace pellacor::concurrency
