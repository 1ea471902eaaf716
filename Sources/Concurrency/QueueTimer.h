#pragma once

#include "Concurrency/TimerQueue.h"

#include <cstdint>
#include <memory>
#include <mutex>

namespace pellacor::concurrency {

// A repeating timer whose ticks run on a timer queue, as a dispatch timer
// source does: made suspended, scheduled, given a handler and resumed, it ticks
// until it is cancelled. Cancelling drops the handler, and with it whatever the
// handler holds; a tick already running finishes. Letting go of the timer does
// not stop it: the queue keeps it while a tick is pending, so only `cancel`
// ends it. Ticks missed while the queue was busy are not made up: the next one
// falls on the first deadline of the schedule still ahead.
//
// The timer holds its queue weakly: once the queue is gone it ticks no more.
// Thread-safe.
class QueueTimer final : public std::enable_shared_from_this<QueueTimer> {
public:
    static std::shared_ptr<QueueTimer> create(const std::shared_ptr<TimerQueue>& queue);

    QueueTimer(const QueueTimer&) = delete;
    QueueTimer& operator=(const QueueTimer&) = delete;

    // The first tick at `start`, then one every `interval` (once only when the
    // interval is not positive). `leeway` is how late a tick may come; it is
    // kept for the queue's sake, and a queue that ticks on time keeps within any
    // leeway. Scheduling a resumed timer again starts the new schedule at once.
    void schedule(Instant start, Duration interval, Duration leeway);
    void setEventHandler(Job handler);
    // Starts ticking; a second call does nothing, as does resuming a cancelled timer.
    void resume();
    void cancel();

    bool isCancelled() const;
    Duration interval() const;
    Duration leeway() const;

private:
    explicit QueueTimer(const std::shared_ptr<TimerQueue>& queue);

    // Queues the tick at `deadline_` for the current schedule. Under the lock.
    void armLocked();
    void fire(std::uint64_t schedule);

    const std::weak_ptr<TimerQueue> queue_;
    mutable std::mutex mutex_;
    Job handler_;
    Instant deadline_{};
    Duration interval_{0};
    Duration leeway_{0};
    bool scheduled_ = false;
    bool resumed_ = false;
    bool cancelled_ = false;
    // Bumped by each new schedule, so that ticks queued for an older one do nothing.
    std::uint64_t schedule_ = 0;
};

} // namespace pellacor::concurrency
