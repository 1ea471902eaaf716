#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/Task.h"
#include "Concurrency/TaskContext.h"

#include <concepts>
#include <coroutine>
#include <memory>
#include <utility>

namespace pellacor::concurrency {

// A suspended task frame that something else will resume: what an awaiter
// keeps when the value it waits for comes from elsewhere (another thread, a
// callback). Move-only; resume it once.
//
// Made in an awaiter's await_suspend:
//     template <typename P> void await_suspend(std::coroutine_handle<P> self) {
//         stored = Continuation::of(self); ... }
//
// resume() may be called from any thread: the frame always resumes on its
// task's executor, never on the calling thread. A continuation dropped without
// being resumed leaves its task suspended; the task's frame is freed once
// nothing else can resume it (handles to it do not count).
class Continuation {
public:
    Continuation() noexcept = default;
    Continuation(Continuation&&) noexcept = default;
    Continuation& operator=(Continuation&& other) noexcept {
        if (this != &other) {
            release();
            context_ = std::move(other.context_);
            handle_ = std::exchange(other.handle_, {});
        }
        return *this;
    }
    ~Continuation() { release(); }

    template <std::derived_from<detail::PromiseBase> P>
    static Continuation of(std::coroutine_handle<P> self) {
        return Continuation(self.promise().context().shared_from_this(), self);
    }

    explicit operator bool() const noexcept { return static_cast<bool>(context_); }

    // The executor the task runs on (for timers that go with the wait).
    MainExecutor& executor() const noexcept { return context_->executor(); }

    // Posts the resumption onto the task's executor. Thread-safe.
    void resume() && {
        if (context_) {
            std::shared_ptr<detail::TaskContext> context = std::move(context_);
            std::coroutine_handle<> handle = std::exchange(handle_, {});
            // With its executor gone there is nothing to run it on.
            if (!context->isAbandoned()) {
                context->resumeFromAnyThread(handle);
            }
        }
    }

private:
    Continuation(std::shared_ptr<detail::TaskContext> context, std::coroutine_handle<> handle) noexcept
        : context_(std::move(context)), handle_(handle) {}

    // The last reference to a task must go on its executor's thread, where its
    // frame may be destroyed; so an unused continuation is handed back there.
    void release() noexcept {
        if (!context_) {
            return;
        }
        std::shared_ptr<detail::TaskContext> context = std::move(context_);
        handle_ = {};
        // Inside that very task (an awaiter that did not suspend after all)
        // the task is being resumed by someone holding it, and when its
        // executor is gone there is nothing left to run: drop it here.
        if (context->isAbandoned() || detail::TaskContext::current() == context.get()) {
            return;
        }
        MainExecutor& executor = context->executor();
        executor.postFromAnyThread([context = std::move(context)] {});
    }

    std::shared_ptr<detail::TaskContext> context_;
    std::coroutine_handle<> handle_;
};

} // namespace pellacor::concurrency
