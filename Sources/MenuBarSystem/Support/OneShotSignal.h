#pragma once

#include "Concurrency/Task.h"
#include "Concurrency/Time.h"

#include <memory>

namespace pellacor::system {

// Waits, with a time limit, for a completion that some other thread reports.
// fire() may be called from any thread and only its first call counts; wait()
// is awaited by a task on the main executor and always resumes there.
class OneShotSignal {
public:
    OneShotSignal();
    OneShotSignal(const OneShotSignal&) = delete;
    OneShotSignal& operator=(const OneShotSignal&) = delete;
    ~OneShotSignal();

    // Fires with value; later calls change nothing.
    void fire(bool value);

    // `bool fired = co_await signal.wait(1s);` gives the fired value, or false
    // when timeout (on the task's executor clock) passes first; the time-out
    // counts as firing false. A signal that has already fired answers at once.
    // A second waiter while one is waiting gets false at once. Cancelling the
    // waiting task does not end the wait, and the wait outlives the signal.
    [[nodiscard]] concurrency::Task<bool> wait(concurrency::Duration timeout);

    struct State;

private:
    static concurrency::Task<bool> waitOn(std::shared_ptr<State> state, concurrency::Duration timeout);

    std::shared_ptr<State> state_;
};

} // namespace pellacor::system
