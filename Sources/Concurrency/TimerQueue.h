#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/Time.h"

#include <string>
#include <utility>

namespace pellacor::concurrency {

// A serial queue with a clock of its own, as a dispatch queue with deadlines:
// jobs run one after another, never two at once, either as soon as the queue
// gets to them or once its clock has reached their deadline. Jobs due together
// run in deadline order, and in the order they were queued when deadlines tie.
//
// The program's queue runs on a thread of its own in real time
// (ThreadTimerQueue); tests drive one in virtual time (ManualTimerQueue).
class TimerQueue {
public:
    TimerQueue(const TimerQueue&) = delete;
    TimerQueue& operator=(const TimerQueue&) = delete;
    virtual ~TimerQueue() = default;

    virtual const std::string& label() const = 0;
    // The queue's monotonic time. Any thread.
    virtual Instant now() const = 0;
    // Queues job to run once now() has reached deadline; a deadline already
    // passed runs it as soon as the queue gets to it. Any thread.
    virtual void asyncAt(Instant deadline, Job job) = 0;
    // Queues job to run as soon as the queue gets to it. Any thread.
    void async(Job job) { asyncAt(now(), std::move(job)); }

protected:
    TimerQueue() = default;
};

} // namespace pellacor::concurrency
