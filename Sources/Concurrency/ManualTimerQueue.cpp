#include "Concurrency/ManualTimerQueue.h"

namespace pellacor::concurrency {

ManualTimerQueue::ManualTimerQueue(std::string label) : label_(std::move(label)) {}

ManualTimerQueue::~ManualTimerQueue() {
    std::map<Key, Job> dropped;
    {
        std::lock_guard lock(mutex_);
        dropped.swap(jobs_);
    }
    // Outside the lock: a job's captures may reach back into the queue.
    dropped.clear();
}

Instant ManualTimerQueue::now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

void ManualTimerQueue::asyncAt(Instant deadline, Job job) {
    std::lock_guard lock(mutex_);
    jobs_.emplace(Key{deadline, nextSequence_++}, std::move(job));
}

std::optional<Job> ManualTimerQueue::takeDue(Instant limit) {
    std::lock_guard lock(mutex_);
    auto first = jobs_.begin();
    if (first == jobs_.end() || first->first.first > limit) {
        return std::nullopt;
    }
    if (first->first.first > now_) {
        now_ = first->first.first;
    }
    Job job = std::move(first->second);
    jobs_.erase(first);
    return job;
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
    if (jobs_.empty()) {
        return std::nullopt;
    }
    return jobs_.begin()->first.first;
}

} // namespace pellacor::concurrency
