#include "Concurrency/ThreadTimerQueue.h"

#include "Concurrency/DeadlineQueue.h"
#include "Concurrency/SerialQueue.h"

#include <condition_variable>
#include <cstdint>
#include <pthread.h>
#include <utility>

namespace pellacor::concurrency {

struct ThreadTimerQueue::Shared {
    explicit Shared(std::chrono::steady_clock::time_point origin) : origin(origin) {}

    const std::chrono::steady_clock::time_point origin;
    std::mutex mutex;
    std::condition_variable wake;
    DeadlineQueue jobs;
    bool stopping = false;

    std::chrono::steady_clock::time_point wallOf(Instant instant) const {
        return origin +
               std::chrono::duration_cast<std::chrono::steady_clock::duration>(instant.time_since_epoch());
    }
};

ThreadTimerQueue::ThreadTimerQueue(std::string label)
    : label_(std::move(label)), origin_(std::chrono::steady_clock::now()),
      shared_(std::make_shared<Shared>(origin_)) {}

ThreadTimerQueue::~ThreadTimerQueue() {
    DeadlineQueue dropped;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->stopping = true;
        dropped = shared_->jobs.takeAll();
    }
    shared_->wake.notify_all();
    // The jobs' captures are let go here, outside the lock: they may own
    // whatever reaches back into a queue.
    dropped = DeadlineQueue{};
    if (!worker_.joinable()) {
        return;
    }
    if (worker_.get_id() == std::this_thread::get_id()) {
        worker_.detach();
    } else {
        worker_.join();
    }
}

Instant ThreadTimerQueue::now() const {
    return Instant(std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now() - origin_));
}

void ThreadTimerQueue::asyncAt(Instant deadline, Job job) {
    std::call_once(started_, [this] {
        worker_ = std::thread([shared = shared_] { work(shared); });
        pthread_setname_np(worker_.native_handle(), SerialQueue::threadName(label_).c_str());
    });
    {
        std::lock_guard lock(shared_->mutex);
        if (shared_->stopping) {
            return;
        }
        shared_->jobs.add(deadline, std::move(job));
    }
    shared_->wake.notify_all();
}

void ThreadTimerQueue::work(const std::shared_ptr<Shared>& shared) {
    std::unique_lock lock(shared->mutex);
    while (!shared->stopping) {
        if (shared->jobs.empty()) {
            shared->wake.wait(lock);
            continue;
        }
        const auto due = shared->wallOf(*shared->jobs.nextDeadline());
        if (std::chrono::steady_clock::now() < due) {
            shared->wake.wait_until(lock, due);
            continue;
        }
        Job job = std::move(shared->jobs.takeDue(Instant::max())->job);
        lock.unlock();
        job();
        // Its captures go before the lock is taken again.
        job = nullptr;
        lock.lock();
    }
}

} // namespace pellacor::concurrency
