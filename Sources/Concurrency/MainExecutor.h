#pragma once

#include "Concurrency/Time.h"

#include <cstdint>
#include <functional>

namespace pellacor::concurrency {

namespace detail {
class TaskContext;
}

// A unit of work for the executor.
using Job = std::function<void()>;

// Names a pending timer so that it can be cancelled. TimerId::none is never
// handed out.
enum class TimerId : std::uint64_t { none = 0 };

// The one thread on which all program logic runs (the application's main
// thread). Everything but postFromAnyThread must be called on that thread.
//
// Lifetime: the executor is created first and destroyed last. Whatever may
// still post to it (serial queues, promises, other threads) must be gone or
// joined before it is destroyed. Tasks still suspended when it is destroyed are
// destroyed with it, frames and all.
class MainExecutor {
public:
    MainExecutor(const MainExecutor&) = delete;
    MainExecutor& operator=(const MainExecutor&) = delete;
    virtual ~MainExecutor();

    // Runs job on a later turn; jobs posted from this thread run in the order
    // they were posted. Never runs it inline.
    virtual void post(Job job) = 0;
    // Runs job once now() has reached deadline. Timers due together run in
    // deadline order, and in the order they were set when deadlines tie.
    virtual TimerId postAt(Instant deadline, Job job) = 0;
    // Forgets a pending timer; unknown, fired or cancelled ids are ignored.
    virtual void cancelTimer(TimerId id) = 0;
    // The monotonic time of this executor.
    virtual Instant now() const = 0;
    // The calendar time.
    virtual WallTime wallNow() const = 0;
    // Thread-safe: callable from any thread; the job runs on the executor's
    // thread, posts from one thread in order.
    virtual void postFromAnyThread(Job job) = 0;

protected:
    MainExecutor() = default;
    // Destroys the frames of every task that has not finished. A concrete
    // executor calls this first in its destructor, while it is still whole,
    // because the destructors of a frame's locals may still reach it.
    void destroyUnfinishedTasks() noexcept;

private:
    friend class detail::TaskContext;
    // Unfinished tasks spawned on this executor (an intrusive list, main
    // thread only). Suspended tasks can keep each other alive (one awaits
    // another's handle); this list lets the executor end them all.
    detail::TaskContext* tasks_ = nullptr;
};

// The injected clocks of the given executor. The executor must outlive them.
inline Now nowOf(const MainExecutor& executor) {
    return [&executor] { return executor.now(); };
}

} // namespace pellacor::concurrency
