#include "Concurrency/DeadlineQueue.h"

namespace pellacor::concurrency {

std::uint64_t DeadlineQueue::add(Instant deadline, Job job) {
    const std::uint64_t id = nextId_++;
    jobs_.emplace(Key{deadline, id}, std::move(job));
    deadlines_.emplace(id, deadline);
    return id;
}

std::optional<Job> DeadlineQueue::remove(std::uint64_t id) {
    auto found = deadlines_.find(id);
    if (found == deadlines_.end()) {
        return std::nullopt;
    }
    auto entry = jobs_.find(Key{found->second, id});
    Job job = std::move(entry->second);
    jobs_.erase(entry);
    deadlines_.erase(found);
    return job;
}

std::optional<DeadlineQueue::Due> DeadlineQueue::takeDue(Instant limit) {
    auto first = jobs_.begin();
    if (first == jobs_.end() || first->first.first > limit) {
        return std::nullopt;
    }
    Due due{first->first.first, std::move(first->second)};
    deadlines_.erase(first->first.second);
    jobs_.erase(first);
    return due;
}

DeadlineQueue DeadlineQueue::takeAll() noexcept {
    DeadlineQueue taken;
    taken.jobs_.swap(jobs_);
    taken.deadlines_.swap(deadlines_);
    return taken;
}

std::optional<Instant> DeadlineQueue::nextDeadline() const {
    if (jobs_.empty()) {
        return std::nullopt;
    }
    return jobs_.begin()->first.first;
}

} // namespace pellacor::concurrency
