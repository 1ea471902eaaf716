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
    std::map<TimerKey, Job> timers = std::move(timers_);
    timers_.clear();
    deadlines_.clear();
    timers.clear();
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
    // The same queue as postFromAnyThread: a continuation resumed on this
    // thread (which posts through postFromAnyThread) keeps its place among
    // plain posts, as it does on the Qt executor.
    postFromAnyThread(std::move(job));
}

TimerId ManualExecutor::postAt(Instant deadline, Job job) {
    std::uint64_t id = nextTimer_++;
    timers_.emplace(TimerKey{deadline, id}, std::move(job));
    deadlines_.emplace(id, deadline);
    return TimerId{id};
}

void ManualExecutor::cancelTimer(TimerId id) {
    auto found = deadlines_.find(static_cast<std::uint64_t>(id));
    if (found == deadlines_.end()) {
        return;
    }
    // Keep the job alive until the maps are consistent again: its destructor
    // may reach the executor.
    auto timer = timers_.find(TimerKey{found->second, found->first});
    Job job = std::move(timer->second);
    timers_.erase(timer);
    deadlines_.erase(found);
}

WallTime ManualExecutor::wallNow() const {
    return wallStart_ + std::chrono::duration_cast<WallTime::duration>(now_ - Instant{});
}

void ManualExecutor::postFromAnyThread(Job job) {
    {
        std::lock_guard lock(foreignMutex_);
        foreign_.push_back(std::move(job));
    }
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
        auto first = timers_.begin();
        if (first != timers_.end() && first->first.first <= now_) {
            Job job = std::move(first->second);
            deadlines_.erase(first->first.second);
            timers_.erase(first);
            job();
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
        auto first = timers_.begin();
        if (first == timers_.end() || first->first.first > t) {
            break;
        }
        if (first->first.first > now_) {
            now_ = first->first.first;
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
    if (timers_.empty()) {
        return std::nullopt;
    }
    return timers_.begin()->first.first;
}

} // namespace pellacor::concurrency
