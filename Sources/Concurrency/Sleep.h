#pragma once

#include "Concurrency/Task.h"
#include "Concurrency/Time.h"

#include <functional>

namespace pellacor::concurrency {

// How a checked sleep ended.
enum class SleepResult {
    elapsed,   // the whole delay passed
    cancelled, // the task is cancelled (before or during the sleep)
};

// The sleep a service is given, so that tests can replace it:
//     Service(..., Sleep sleep = concurrency::defaultSleep());
//     co_await sleep_(2s);
// It waits on the executor of the task that awaits it.
using Sleep = std::function<Task<void>(Duration)>;
// The same, for the caller that must know whether its sleep was cut short.
using CheckedSleep = std::function<Task<SleepResult>(Duration)>;

// Suspends the current task for delay on its executor's monotonic clock (a
// timer; virtual time under the manual executor). When the task is cancelled,
// the sleep ends early on the next turn and the cancellation is swallowed; a
// task that is already cancelled returns at once without suspending. The task
// tests isCancelled() itself afterwards.
Task<void> sleep(Duration delay);

// As sleep(), but says whether the task was cancelled when it ended.
Task<SleepResult> checkedSleep(Duration delay);

// sleep() and checkedSleep() as injectable values (a plain `&sleep` is
// ambiguous next to the C library's sleep()).
Sleep defaultSleep();
CheckedSleep defaultCheckedSleep();

} // namespace pellacor::concurrency
