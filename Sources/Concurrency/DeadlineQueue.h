#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/Time.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>

namespace pellacor::concurrency {

// The jobs of the executors and timer queues that wait for a deadline: taken
// in deadline order, and in the order they were added when deadlines tie. Each
// job gets an id (never 0) by which it can be removed. Not thread-safe: its
// owner locks around it where it must.
//
// Jobs removed or taken are handed back rather than destroyed here, so that
// their captures (which may reach back into the owner) go once the owner is
// consistent again, outside any lock.
class DeadlineQueue {
public:
    struct Due {
        Instant deadline;
        Job job;
    };

    std::uint64_t add(Instant deadline, Job job);
    // The job of that id; nothing for ids unknown, taken or removed.
    std::optional<Job> remove(std::uint64_t id);
    // The first job due at or before `limit`, taken out of the queue.
    std::optional<Due> takeDue(Instant limit);
    // Every job, taken out of the queue; ids go on counting.
    DeadlineQueue takeAll() noexcept;

    std::optional<Instant> nextDeadline() const;
    std::size_t size() const noexcept { return jobs_.size(); }
    bool empty() const noexcept { return jobs_.empty(); }

private:
    using Key = std::pair<Instant, std::uint64_t>;

    // Keyed by (deadline, id): ids grow, so ties come out in the order added.
    std::map<Key, Job> jobs_;
    std::unordered_map<std::uint64_t, Instant> deadlines_;
    std::uint64_t nextId_ = 1;
};

} // namespace pellacor::concurrency
