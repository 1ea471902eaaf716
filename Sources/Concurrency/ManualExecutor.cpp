#include "Concurrency/ManualExecutor.h"

#include <cassert>

namespace pellacor::concurrency {

WallTime ManualExecutor::defaultWallStart() noexcept {
    using namespace std::chrono;
    return WallTime(sys_days(year(2025) / January / 1));
}

ManualExecutor::ManualExecutor(WallTime wallStart) : wallStart_(wallStart) {}

ManualExecutor::~ManualExecutor() {
    destroyUnfinishedTasks();
    // Jobs may own what other jobs refer to; drop them in a fixed order, while
    // the executor is still whole.
    DeadlineQueue timers = timers_.takeAll();
    timers = DeadlineQueue{};
    std::deque<Job> ready = std::move(ready_);
    ready_.clear();
    ready.clear();
    std::deque<Job> foreign;
    {
        std::lock_guard lock(foreignMutex_);
        foreign.swap(foreign_);
    }
    foreign.clear();
}

void ManualExecutor::post(Job job) {
    assertOnExecutorThread();
    // The same queue as postFromAnyThread: a continuation resumed on this
    // thread (which posts through postFromAnyThread) keeps its place among
    // plain posts, as it does on the Qt executor.
    postFromAnyThread(std::move(job));
}

TimerId ManualExecutor::postAt(Instant deadline, Job job) {
    assertOnExecutorThread();
    return TimerId{timers_.add(deadline, std::move(job))};
}

void ManualExecutor::cancelTimer(TimerId id) {
    assertOnExecutorThread();
    // The job goes once the queue is consistent again: its destructor may
    // reach the executor.
    std::optional<Job> job = timers_.remove(static_cast<std::uint64_t>(id));
}

WallTime ManualExecutor::wallNow() const {
    return wallStart_ + std::chrono::duration_cast<WallTime::duration>(now_ - Instant{});
}

void ManualExecutor::postFromAnyThread(Job job) {
    // Notified under the lock: once the driving thread has seen the job it may
    // run it and destroy the executor, condition variable and all, which it
    // cannot do while this thread still holds the lock.
    std::lock_guard lock(foreignMutex_);
    foreign_.push_back(std::move(job));
    foreignArrived_.notify_all();
}

void ManualExecutor::collectForeign() {
    std::lock_guard lock(foreignMutex_);
    while (!foreign_.empty()) {
        ready_.push_back(std::move(foreign_.front()));
        foreign_.pop_front();
    }
}

std::size_t ManualExecutor::runUntilIdle() {
    assertOnExecutorThread();
    assert(!running_ && "the manual executor is driven from outside its jobs");
    running_ = true;
    std::size_t ran = 0;
    for (;;) {
        collectForeign();
        if (!ready_.empty()) {
            Job job = std::move(ready_.front());
            ready_.pop_front();
            job();
            ++ran;
            continue;
        }
        if (std::optional<DeadlineQueue::Due> due = timers_.takeDue(now_)) {
            due->job();
            ++ran;
            continue;
        }
        break;
    }
    running_ = false;
    return ran;
}

void ManualExecutor::advanceTo(Instant t) {
    runUntilIdle();
    for (;;) {
        std::optional<Instant> next = timers_.nextDeadline();
        if (!next || *next > t) {
            break;
        }
        if (*next > now_) {
            now_ = *next;
        }
        runUntilIdle();
    }
    if (t > now_) {
        now_ = t;
    }
    runUntilIdle();
}

void ManualExecutor::advanceBy(Duration d) {
    advanceTo(deadlineAfter(now_, d));
}

bool ManualExecutor::waitForForeignWork(std::chrono::milliseconds timeout) {
    std::unique_lock lock(foreignMutex_);
    return foreignArrived_.wait_for(lock, timeout, [this] { return !foreign_.empty(); });
}

bool ManualExecutor::runUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        runUntilIdle();
        if (condition()) {
            return true;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                          std::chrono::steady_clock::now());
        if (left <= std::chrono::milliseconds::zero()) {
            return false;
        }
        waitForForeignWork(left);
    }
}

std::optional<Instant> ManualExecutor::nextDeadline() const {
    return timers_.nextDeadline();
}

} // namespace pellacor::concurrency
