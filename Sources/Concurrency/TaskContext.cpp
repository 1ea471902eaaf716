#include "Concurrency/TaskContext.h"

#include <cassert>
#include <cstdio>
#include <stdexcept>

namespace pellacor::concurrency {

namespace {
// The task being resumed on this thread. Set around every resumption, so code
// inside a task (and inside tasks it awaits) can ask whether it was cancelled.
thread_local detail::TaskContext* currentTask = nullptr;
} // namespace

bool isCancelled() noexcept {
    return currentTask != nullptr && currentTask->isCancelled();
}

namespace detail {

TaskContext::TaskContext(MainExecutor& executor, std::string name)
    : executor_(&executor), name_(std::move(name)) {}

TaskContext::~TaskContext() {
    unlink();
    destroyRoot();
}

TaskContext* TaskContext::current() noexcept {
    return currentTask;
}

void TaskContext::cancel() {
    executor_->assertOnExecutorThread();
    if (finished_ || isAbandoned()) {
        return;
    }
    cancelled_.store(true, std::memory_order_release);
    if (sleep_) {
        ParkedSleep parked = *sleep_;
        sleep_.reset();
        executor_->cancelTimer(parked.timer);
        resumeLater(parked.handle);
    }
}

void TaskContext::start(std::coroutine_handle<> root) {
    assert(!root_ && root);
    root_ = root;
    link();
    resumeLater(root);
}

void TaskContext::rootFinished() {
    finished_ = true;
    unlink();
    std::vector<Joiner> joiners = std::move(joiners_);
    joiners_.clear();
    // The joiners hold this task only weakly; it stays until they have read
    // its result.
    for (Joiner& joiner : joiners) {
        joiner.context->resumeLater(joiner.handle, shared_from_this());
    }
}

void TaskContext::resumeNow(std::coroutine_handle<> h) {
    if (isAbandoned() || !h) {
        return;
    }
    // Whoever calls this holds the context; keep it alive past the end of the
    // frame in any case.
    std::shared_ptr<TaskContext> keep = shared_from_this();
    TaskContext* previous = std::exchange(currentTask, this);
    h.resume();
    currentTask = previous;
    if (finished_) {
        destroyRoot();
    }
}

void TaskContext::resumeLater(std::coroutine_handle<> h, std::shared_ptr<const void> keep) {
    executor_->post([self = shared_from_this(), h, keep = std::move(keep)] { self->resumeNow(h); });
}

void TaskContext::resumeFromAnyThread(std::coroutine_handle<> h) {
    executor_->postFromAnyThread([self = shared_from_this(), h] { self->resumeNow(h); });
}

void TaskContext::addJoiner(std::shared_ptr<TaskContext> joiner, std::coroutine_handle<> h) {
    if (finished_) {
        joiner->resumeLater(h);
        return;
    }
    joiners_.push_back(Joiner{std::move(joiner), h});
}

bool TaskContext::parkSleep(Duration delay, std::coroutine_handle<> h) {
    if (isCancelled()) {
        return false;
    }
    assert(!sleep_ && "a task sleeps in one place at a time");
    std::uint64_t token = ++sleepToken_;
    TimerId timer = executor_->postAt(deadlineAfter(executor_->now(), delay),
                                      [self = shared_from_this(), token] { self->sleepTimerFired(token); });
    sleep_ = ParkedSleep{timer, token, h};
    return true;
}

void TaskContext::sleepTimerFired(std::uint64_t token) {
    if (!sleep_ || sleep_->token != token) {
        return;
    }
    std::coroutine_handle<> h = sleep_->handle;
    sleep_.reset();
    resumeNow(h);
}

void TaskContext::abandon() noexcept {
    abandoned_.store(true, std::memory_order_release);
    unlink();
    sleep_.reset();
    std::vector<Joiner> joiners = std::move(joiners_);
    joiners_.clear();
    joiners.clear();
    destroyRoot();
}

void TaskContext::uncaughtException(std::exception_ptr exception) const noexcept {
    std::string what = "an exception that is not a std::exception";
    try {
        std::rethrow_exception(std::move(exception));
    } catch (const std::exception& error) {
        what = error.what();
    } catch (...) {
    }
    const std::string name = name_.empty() ? std::string("(unnamed)") : name_;
    std::fprintf(stderr, "[concurrency] fault: the task \"%s\" ended with an uncaught exception: %s\n",
                 name.c_str(), what.c_str());
    std::fflush(stderr);
    std::terminate();
}

void TaskContext::link() noexcept {
    assert(!linked_);
    next_ = executor_->tasks_;
    previous_ = nullptr;
    if (next_ != nullptr) {
        next_->previous_ = this;
    }
    executor_->tasks_ = this;
    linked_ = true;
}

void TaskContext::unlink() noexcept {
    if (!linked_) {
        return;
    }
    if (previous_ != nullptr) {
        previous_->next_ = next_;
    } else {
        executor_->tasks_ = next_;
    }
    if (next_ != nullptr) {
        next_->previous_ = previous_;
    }
    previous_ = next_ = nullptr;
    linked_ = false;
}

void TaskContext::destroyRoot() noexcept {
    if (root_) {
        std::exchange(root_, {}).destroy();
    }
}

} // namespace detail
} // namespace pellacor::concurrency
