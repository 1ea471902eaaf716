#include "Concurrency/ManualTimerQueue.h"

namespace pellacor::concurrency {

ManualTimerQueue::ManualTimerQueue(std::string label) : label_(std::move(label)) {}

ManualTimerQueue::~ManualTimerQueue() {
    DeadlineQueue dropped;
    {
        std::lock_guard lock(mutex_);
        dropped = jobs_.takeAll();
    }
    // Outside the lock: a job's captures may reach back into the queue.
    dropped = DeadlineQueue{};
}

Instant ManualTimerQueue::now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

void ManualTimerQueue::asyncAt(Instant deadline, Job job) {
    std::lock_guard lock(mutex_);
    jobs_.add(deadline, std::move(job));
}

std::optional<Job> ManualTimerQueue::takeDue(Instant limit) {
    std::lock_guard lock(mutex_);
    std::optional<DeadlineQueue::Due> due = jobs_.takeDue(limit);
    if (!due) {
        return std::nullopt;
    }
    if (due->deadline > now_) {
        now_ = due->deadline;
    }
    return std::move(due->job);
}

std::size_t ManualTimerQueue::runUntilIdle() {
    return advanceTo(now());
}

std::size_t ManualTimerQueue::advanceTo(Instant t) {
    std::size_t ran = 0;
    while (auto job = takeDue(t)) {
        (*job)();
        ++ran;
    }
    std::lock_guard lock(mutex_);
    if (t > now_) {
        now_ = t;
    }
    return ran;
}

std::size_t ManualTimerQueue::advanceBy(Duration d) {
    return advanceTo(deadlineAfter(now(), d));
}

std::size_t ManualTimerQueue::pendingCount() const {
    std::lock_guard lock(mutex_);
    return jobs_.size();
}

std::optional<Instant> ManualTimerQueue::nextDeadline() const {
    std::lock_guard lock(mutex_);
    return jobs_.nextDeadline();
}

} // namespace pellacor::concurrency
