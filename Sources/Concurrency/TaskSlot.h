#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/TaskContext.h"
#include "Concurrency/TaskHandle.h"

#include <concepts>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

namespace pellacor::concurrency {

// The generation a task was started with: it is the current one until its slot
// starts another task or stops.
using Generation = std::uint64_t;

// One kind of task an owner runs at most once at a time (a poll loop, a retry,
// a delayed step): the handle of the running task and the generation counter
// the task checks after each suspension.
//
// - start(make) cancels the held task, bumps the generation and holds the task
//   `make(generation)` returns, spawned on the executor under the slot's name;
// - stop() bumps the generation and cancels the held task;
// so an older task, woken from its sleep by the cancel or resumed by whatever it
// awaited, finds its generation stale at its next check and ends. Main thread
// only.
template <typename T = void> class TaskSlot {
public:
    explicit TaskSlot(MainExecutor& executor, std::string name = {})
        : executor_(&executor), name_(std::move(name)) {}
    TaskSlot(const TaskSlot&) = delete;
    TaskSlot& operator=(const TaskSlot&) = delete;

    template <typename Make>
    requires std::is_same_v<std::invoke_result_t<Make&, Generation>, Task<T>> Generation start(Make make) {
        executor_->assertOnExecutorThread();
        handle_.cancel();
        const Generation generation = ++generation_;
        handle_ = spawn(*executor_, make(generation), name_);
        return generation;
    }

    void stop() {
        executor_->assertOnExecutorThread();
        ++generation_;
        std::exchange(handle_, {}).cancel();
    }

    Generation generation() const noexcept { return generation_; }
    bool isCurrent(Generation generation) const noexcept { return generation == generation_; }
    // Whether the task started last has not finished yet (false after stop()).
    bool isRunning() const noexcept { return !handle_.isFinished(); }
    const TaskHandle<T>& handle() const noexcept { return handle_; }

private:
    MainExecutor* executor_;
    std::string name_;
    Generation generation_ = 0;
    TaskHandle<T> handle_;
};

// The check a task body makes after every suspension: the owner, when it is
// still there, the task is not cancelled and `generation` is still the current
// one of the owner's `slot`; nothing otherwise, and the task ends. Hold the
// result only until the next suspension, so the task never keeps its owner
// alive:
//     auto self = lockIfCurrent(weak, &Owner::refresh_, generation);
//     if (!self) { co_return; }
template <typename Owner, typename T>
std::shared_ptr<Owner> lockIfCurrent(const std::weak_ptr<Owner>& weak, TaskSlot<T> Owner::*slot,
                                     Generation generation) {
    std::shared_ptr<Owner> self = weak.lock();
    if (!self || isCancelled() || !((*self).*slot).isCurrent(generation)) {
        return nullptr;
    }
    return self;
}

} // namespace pellacor::concurrency
