#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/Time.h"

#include <atomic>
#include <coroutine>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pellacor::concurrency {

// True when the task running on this thread has been cancelled; false outside
// any task. Reads the task that the executor is resuming right now (a
// thread-local pointer set around every resumption), so it answers for the
// current task and every nested task it awaits.
bool isCancelled() noexcept;

namespace detail {

// The shared state of one spawned task: its executor, cancellation flag,
// finished flag, the tasks joining it and its pending sleep. It owns the root
// coroutine frame until the task finishes.
//
// Ownership: whatever will resume the task (a posted job, a timer, a stored
// continuation, the task it joins) holds the context strongly, and so do the
// handles. When the last of them goes, an unfinished frame is destroyed with
// the context. A frame that joins another task holds that task only weakly
// while it waits, so a task that can never finish frees itself and every task
// that waits on it, instead of the two keeping each other alive.
// Everything here runs on the executor's thread except isCancelled(),
// executor(), isAbandoned() and resumeFromAnyThread().
class TaskContext : public std::enable_shared_from_this<TaskContext> {
public:
    TaskContext(MainExecutor& executor, std::string name);
    TaskContext(const TaskContext&) = delete;
    TaskContext& operator=(const TaskContext&) = delete;
    virtual ~TaskContext();

    MainExecutor& executor() const noexcept { return *executor_; }
    bool isCancelled() const noexcept { return cancelled_.load(std::memory_order_acquire); }
    bool isFinished() const noexcept { return finished_; }
    bool isAbandoned() const noexcept { return abandoned_.load(std::memory_order_acquire); }
    // The name given to spawn(), for fault lines; may be empty.
    const std::string& name() const noexcept { return name_; }

    // Sets the flag and wakes a pending sleep (on a later turn). Does nothing
    // once the task has finished.
    void cancel();

    // Takes the root frame and posts its first resumption.
    void start(std::coroutine_handle<> root);
    // Called from the root frame's final suspension.
    void rootFinished();

    // Resumes h (a frame of this task) now, with this task as the current one.
    void resumeNow(std::coroutine_handle<> h);
    // Posts the resumption of h on the executor; `keep` stays alive until it
    // has run.
    void resumeLater(std::coroutine_handle<> h, std::shared_ptr<const void> keep = nullptr);
    // Thread-safe: posts the resumption of h through postFromAnyThread.
    void resumeFromAnyThread(std::coroutine_handle<> h);

    // h (a frame of the joiner) resumes on a later turn after this task ends.
    void addJoiner(std::shared_ptr<TaskContext> joiner, std::coroutine_handle<> h);

    // Suspends h for delay, or returns false (do not suspend) when the task is
    // already cancelled.
    bool parkSleep(Duration delay, std::coroutine_handle<> h);

    // Executor teardown: forget everything and destroy the frame.
    void abandon() noexcept;

    // An exception left the task: writes a fault line that names the task and
    // ends the process. Failures are values in this program, so an exception
    // reaching a task's root is a bug nobody could handle.
    [[noreturn]] void uncaughtException(std::exception_ptr exception) const noexcept;

    static TaskContext* current() noexcept;

private:
    struct ParkedSleep {
        TimerId timer;
        std::uint64_t token;
        std::coroutine_handle<> handle;
    };
    struct Joiner {
        std::shared_ptr<TaskContext> context;
        std::coroutine_handle<> handle;
    };

    void sleepTimerFired(std::uint64_t token);
    void link() noexcept;
    void unlink() noexcept;
    void destroyRoot() noexcept;

    MainExecutor* executor_;
    const std::string name_;
    std::coroutine_handle<> root_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> abandoned_{false};
    bool finished_ = false;
    std::optional<ParkedSleep> sleep_;
    std::uint64_t sleepToken_ = 0;
    std::vector<Joiner> joiners_;
    // The executor's list of unfinished tasks.
    bool linked_ = false;
    TaskContext* previous_ = nullptr;
    TaskContext* next_ = nullptr;

    friend class pellacor::concurrency::MainExecutor;
};

// The result of a spawned Task<T>, stored by the root frame before it ends.
template <typename T> class TaskState final : public TaskContext {
public:
    using TaskContext::TaskContext;
    template <typename U> void setResult(U&& value) { result_.emplace(std::forward<U>(value)); }
    const std::optional<T>& result() const noexcept { return result_; }

private:
    std::optional<T> result_;
};

template <> class TaskState<void> final : public TaskContext {
public:
    using TaskContext::TaskContext;
    void setResult() noexcept {}
};

} // namespace detail
} // namespace pellacor::concurrency
