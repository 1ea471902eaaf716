#pragma once

#include "Concurrency/DeadlineQueue.h"
#include "Concurrency/MainExecutor.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>

namespace pellacor::concurrency {

// The executor of tests: nothing runs until the test drives it, on the test's
// own thread, and time is virtual. now() starts at Instant{} and moves only
// through advanceBy/advanceTo; wallNow() is the given start date plus the same
// elapsed virtual time. A 90 s timeline runs in microseconds.
//
// post() and postFromAnyThread() feed one FIFO queue, as on the Qt executor,
// so work posted both ways from one thread runs in the order it was posted.
// Work from other threads waits there until the driving thread runs the
// executor; waitForForeignWork() and runUntil() let a test wait for it
// (briefly, in real time) instead of spinning.
class ManualExecutor final : public MainExecutor {
public:
    // 2025-01-01 00:00:00 UTC.
    static WallTime defaultWallStart() noexcept;

    explicit ManualExecutor(WallTime wallStart = defaultWallStart());
    ~ManualExecutor() override;

    void post(Job job) override;
    TimerId postAt(Instant deadline, Job job) override;
    void cancelTimer(TimerId id) override;
    Instant now() const override { return now_; }
    WallTime wallNow() const override;
    void postFromAnyThread(Job job) override;

    // Runs posted work (from this and other threads) and the timers already
    // due, until there is none; time does not move. Returns how many jobs ran.
    std::size_t runUntilIdle();
    // Moves time forward to t (never back), running every timer due on the way
    // at its own deadline, in deadline order, FIFO on ties, and all ready work
    // between them.
    void advanceTo(Instant t);
    void advanceBy(Duration d);

    // Blocks up to timeout (real time) until posted work is waiting (after
    // runUntilIdle, that is work from another thread). Does not run it. True
    // when there is some.
    bool waitForForeignWork(std::chrono::milliseconds timeout);
    // Runs until idle and repeats, waiting for work from other threads in
    // between, until condition() holds or timeout (real time) has passed.
    // Time does not move. True when the condition held.
    bool runUntil(const std::function<bool()>& condition,
                  std::chrono::milliseconds timeout = std::chrono::seconds(5));

    std::size_t pendingTimerCount() const noexcept { return timers_.size(); }
    std::optional<Instant> nextDeadline() const;

private:
    void collectForeign();

    Instant now_{};
    WallTime wallStart_;
    std::deque<Job> ready_;
    DeadlineQueue timers_;
    bool running_ = false;

    // Posted jobs not yet taken into ready_, from this thread and others.
    std::mutex foreignMutex_;
    std::condition_variable foreignArrived_;
    std::deque<Job> foreign_;
};

} // namespace pellacor::concurrency
