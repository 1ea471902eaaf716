#pragma once

#include "Concurrency/TimerQueue.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace pellacor::concurrency {

// A timer queue on a worker thread of its own, in real time (the steady clock,
// counted from the queue's creation). The thread starts with the first job and
// is named after the label as SerialQueue names its thread.
//
// Destroying the queue lets a job that is running finish and drops every job
// that has not started: whoever owned the queue no longer wants them. It may be
// destroyed by one of its own jobs (the last owner let go there); the thread
// then ends by itself once that job returns.
class ThreadTimerQueue final : public TimerQueue {
public:
    explicit ThreadTimerQueue(std::string label);
    ~ThreadTimerQueue() override;

    const std::string& label() const override { return label_; }
    Instant now() const override;
    void asyncAt(Instant deadline, Job job) override;

private:
    struct Shared;

    static void work(const std::shared_ptr<Shared>& shared);

    const std::string label_;
    const std::chrono::steady_clock::time_point origin_;
    std::shared_ptr<Shared> shared_;
    std::once_flag started_;
    std::thread worker_;
};

} // namespace pellacor::concurrency
