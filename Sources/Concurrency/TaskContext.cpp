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

void TaskStateBase::cancel() {
    if (finished_) {
        return;
    }
    std::shared_ptr<TaskContext> runner = runner_.lock();
    if (runner) {
        // Its executor is gone once it is abandoned.
        if (runner->isAbandoned()) {
            return;
        }
        runner->executor().assertOnExecutorThread();
    }
    cancelled_.store(true, std::memory_order_release);
    if (runner) {
        runner->wakeSleep();
    }
}

void TaskStateBase::addJoiner(std::shared_ptr<TaskContext> joiner, std::coroutine_handle<> h) {
    if (finished_) {
        joiner->resumeLater(h);
        return;
    }
    if (runner_.expired()) {
        // The task can never end; the joiner is held by nothing of it.
        return;
    }
    joiners_.push_back(Joiner{std::move(joiner), h});
}

void TaskStateBase::finish() {
    finished_ = true;
    std::vector<Joiner> joiners = std::move(joiners_);
    joiners_.clear();
    for (Joiner& joiner : joiners) {
        joiner.context->resumeLater(joiner.handle);
    }
}

void TaskStateBase::releaseJoiners() noexcept {
    // Moved out first: releasing a joiner can destroy its frame, which may
    // drop the last handle to this very state.
    std::shared_ptr<TaskStateBase> keep = weak_from_this().lock();
    std::vector<Joiner> joiners = std::move(joiners_);
    joiners_.clear();
    joiners.clear();
}

void TaskStateBase::uncaughtException(std::exception_ptr exception) const noexcept {
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

TaskContext::TaskContext(MainExecutor& executor, std::shared_ptr<TaskStateBase> state)
    : executor_(&executor), state_(std::move(state)) {}

TaskContext::~TaskContext() {
    unlink();
    destroyRoot();
    if (!state_->isFinished()) {
        state_->releaseJoiners();
    }
}

TaskContext* TaskContext::current() noexcept {
    return currentTask;
}

void TaskContext::start(std::coroutine_handle<> root) {
    assert(!root_ && root);
    root_ = root;
    state_->runner_ = weak_from_this();
    link();
    resumeLater(root);
}

void TaskContext::rootFinished() {
    unlink();
    state_->finish();
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
    if (isFinished()) {
        destroyRoot();
    }
}

void TaskContext::resumeLater(std::coroutine_handle<> h) {
    executor_->post([self = shared_from_this(), h] { self->resumeNow(h); });
}

void TaskContext::resumeFromAnyThread(std::coroutine_handle<> h) {
    executor_->postFromAnyThread([self = shared_from_this(), h] { self->resumeNow(h); });
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

void TaskContext::wakeSleep() {
    if (sleep_) {
        ParkedSleep parked = *sleep_;
        sleep_.reset();
        executor_->cancelTimer(parked.timer);
        resumeLater(parked.handle);
    }
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
    state_->releaseJoiners();
    destroyRoot();
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
