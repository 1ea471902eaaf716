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

class TaskContext;

// What the handles of one spawned task see: its cancellation flag, whether it
// finished, its result and the tasks joining it. It does not own the task's
// frame, so a handle (even one held by the frame of a task that joins it) never
// keeps a task alive that nothing can resume any more.
class TaskStateBase : public std::enable_shared_from_this<TaskStateBase> {
public:
    explicit TaskStateBase(std::string name) : name_(std::move(name)) {}
    TaskStateBase(const TaskStateBase&) = delete;
    TaskStateBase& operator=(const TaskStateBase&) = delete;
    virtual ~TaskStateBase() = default;

    bool isCancelled() const noexcept { return cancelled_.load(std::memory_order_acquire); }
    bool isFinished() const noexcept { return finished_; }
    // The name given to spawn(), for fault lines; may be empty.
    const std::string& name() const noexcept { return name_; }

    // Sets the flag and wakes a pending sleep (on a later turn). Does nothing
    // once the task has finished.
    void cancel();

    // h (a frame of the joiner) resumes on a later turn after this task ends.
    // A task that can no longer end (its frame is gone) keeps no joiner.
    void addJoiner(std::shared_ptr<TaskContext> joiner, std::coroutine_handle<> h);

    // An exception left the task: writes a fault line that names the task and
    // ends the process. Failures are values in this program, so an exception
    // reaching a task's root is a bug nobody could handle.
    [[noreturn]] void uncaughtException(std::exception_ptr exception) const noexcept;

private:
    friend class TaskContext;

    struct Joiner {
        std::shared_ptr<TaskContext> context;
        std::coroutine_handle<> handle;
    };

    // Called by the runner when the root frame finished.
    void finish();
    // Called by the runner whose frame goes without finishing: nothing will
    // resume the joiners through this task any more.
    void releaseJoiners() noexcept;

    const std::string name_;
    std::weak_ptr<TaskContext> runner_;
    std::atomic<bool> cancelled_{false};
    bool finished_ = false;
    std::vector<Joiner> joiners_;
};

// The result of a spawned Task<T>, stored by the root frame before it ends.
template <typename T> class TaskState final : public TaskStateBase {
public:
    using TaskStateBase::TaskStateBase;
    template <typename U> void setResult(U&& value) { result_.emplace(std::forward<U>(value)); }
    const std::optional<T>& result() const noexcept { return result_; }

private:
    std::optional<T> result_;
};

template <> class TaskState<void> final : public TaskStateBase {
public:
    using TaskStateBase::TaskStateBase;
    void setResult() noexcept {}
};

// What runs one spawned task: its executor, its root coroutine frame (owned
// until the task finishes) and its pending sleep.
//
// Ownership: whatever will resume the task (a posted job, a timer, a stored
// continuation, the joiners list of a task it awaits) holds the context
// strongly, and nothing else does. When the last of them goes, an unfinished
// frame is destroyed with the context: nothing could ever run it again. Its
// state lives on while handles refer to it.
// Everything here runs on the executor's thread except isCancelled(),
// executor(), isAbandoned() and resumeFromAnyThread().
class TaskContext : public std::enable_shared_from_this<TaskContext> {
public:
    TaskContext(MainExecutor& executor, std::shared_ptr<TaskStateBase> state);
    TaskContext(const TaskContext&) = delete;
    TaskContext& operator=(const TaskContext&) = delete;
    ~TaskContext();

    MainExecutor& executor() const noexcept { return *executor_; }
    bool isCancelled() const noexcept { return state_->isCancelled(); }
    bool isFinished() const noexcept { return state_->isFinished(); }
    bool isAbandoned() const noexcept { return abandoned_.load(std::memory_order_acquire); }

    // Takes the root frame and posts its first resumption.
    void start(std::coroutine_handle<> root);
    // Called from the root frame's final suspension.
    void rootFinished();

    // Resumes h (a frame of this task) now, with this task as the current one.
    void resumeNow(std::coroutine_handle<> h);
    // Posts the resumption of h on the executor.
    void resumeLater(std::coroutine_handle<> h);
    // Thread-safe: posts the resumption of h through postFromAnyThread.
    void resumeFromAnyThread(std::coroutine_handle<> h);

    // Suspends h for delay, or returns false (do not suspend) when the task is
    // already cancelled.
    bool parkSleep(Duration delay, std::coroutine_handle<> h);
    // Cancellation: ends the pending sleep on a later turn.
    void wakeSleep();

    // Executor teardown: forget everything and destroy the frame.
    void abandon() noexcept;

    static TaskContext* current() noexcept;

private:
    struct ParkedSleep {
        TimerId timer;
        std::uint64_t token;
        std::coroutine_handle<> handle;
    };

    void sleepTimerFired(std::uint64_t token);
    void link() noexcept;
    void unlink() noexcept;
    void destroyRoot() noexcept;

    MainExecutor* executor_;
    const std::shared_ptr<TaskStateBase> state_;
    std::coroutine_handle<> root_;
    std::atomic<bool> abandoned_{false};
    std::optional<ParkedSleep> sleep_;
    std::uint64_t sleepToken_ = 0;
    // The executor's list of unfinished tasks.
    bool linked_ = false;
    TaskContext* previous_ = nullptr;
    TaskContext* next_ = nullptr;

    friend class pellacor::concurrency::MainExecutor;
};

} // namespace detail
} // namespace pellacor::concurrency
