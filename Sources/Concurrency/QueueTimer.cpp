#include "Concurrency/QueueTimer.h"

#include <utility>

namespace pellacor::concurrency {

std::shared_ptr<QueueTimer> QueueTimer::create(const std::shared_ptr<TimerQueue>& queue) {
    return std::shared_ptr<QueueTimer>(new QueueTimer(queue));
}

QueueTimer::QueueTimer(const std::shared_ptr<TimerQueue>& queue) : queue_(queue) {}

void QueueTimer::schedule(Instant start, Duration interval, Duration leeway) {
    std::lock_guard lock(mutex_);
    deadline_ = start;
    interval_ = interval;
    leeway_ = leeway;
    scheduled_ = true;
    ++schedule_;
    if (resumed_ && !cancelled_) {
        armLocked();
    }
}

void QueueTimer::setEventHandler(Job handler) {
    Job previous;
    std::lock_guard lock(mutex_);
    if (cancelled_) {
        previous = std::move(handler);
        return;
    }
    previous = std::exchange(handler_, std::move(handler));
}

void QueueTimer::resume() {
    std::lock_guard lock(mutex_);
    if (resumed_ || cancelled_) {
        return;
    }
    resumed_ = true;
    if (scheduled_) {
        armLocked();
    }
}

void QueueTimer::cancel() {
    Job dropped;
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    dropped = std::move(handler_);
    handler_ = nullptr;
}

bool QueueTimer::isCancelled() const {
    std::lock_guard lock(mutex_);
    return cancelled_;
}

Duration QueueTimer::interval() const {
    std::lock_guard lock(mutex_);
    return interval_;
}

Duration QueueTimer::leeway() const {
    std::lock_guard lock(mutex_);
    return leeway_;
}

void QueueTimer::armLocked() {
    if (auto queue = queue_.lock()) {
        queue->asyncAt(deadline_,
                       [self = shared_from_this(), schedule = schedule_] { self->fire(schedule); });
    }
}

void QueueTimer::fire(std::uint64_t schedule) {
    Job handler;
    {
        std::lock_guard lock(mutex_);
        if (cancelled_ || schedule != schedule_) {
            return;
        }
        handler = handler_;
        if (interval_ > Duration::zero()) {
            const auto queue = queue_.lock();
            const Instant now = queue ? queue->now() : deadline_;
            do {
                deadline_ = deadlineAfter(deadline_, interval_);
            } while (deadline_ <= now && deadline_ != Instant::max());
            armLocked();
        }
    }
    if (handler) {
        handler();
    }
}

} // namespace pellacor::concurrency
