#pragma once

#include "Concurrency/DeadlineQueue.h"
#include "Concurrency/TimerQueue.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

namespace pellacor::concurrency {

// The timer queue of tests: nothing runs until the test drives it, and then on
// the test's own thread; time is virtual. now() starts at Instant{} and moves
// only through advanceBy/advanceTo, which set it to each job's deadline in turn
// while that job runs, so a repeating timer ticks at each of its deadlines
// across a long advance. Jobs may be queued from any thread.
class ManualTimerQueue final : public TimerQueue {
public:
    explicit ManualTimerQueue(std::string label = "manual");
    ~ManualTimerQueue() override;

    const std::string& label() const override { return label_; }
    Instant now() const override;
    void asyncAt(Instant deadline, Job job) override;

    // Runs the jobs due now, and what they queue that is due now, until none is
    // left; time does not move. How many ran.
    std::size_t runUntilIdle();
    // Moves time forward to t (never back), running every job due on the way
    // at its own deadline. How many ran.
    std::size_t advanceTo(Instant t);
    std::size_t advanceBy(Duration d);

    std::size_t pendingCount() const;
    std::optional<Instant> nextDeadline() const;

private:
    // Takes the first job due at or before `limit`, setting the time to its
    // deadline when that is later than now.
    std::optional<Job> takeDue(Instant limit);

    const std::string label_;
    mutable std::mutex mutex_;
    Instant now_{};
    DeadlineQueue jobs_;
};

} // namespace pellacor::concurrency
