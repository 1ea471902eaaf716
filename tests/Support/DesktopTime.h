#pragma once

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/ManualTimerQueue.h"
#include "Concurrency/Time.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/TrackedServices.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>

namespace pellacor::testing {

// Virtual time for the program's services over the simulated desktop. Three
// clocks keep step: the executor's, the Command-drag watcher's queue (a manual
// one) and the desktop's, which reads the queue's. Time moves only when nothing
// is on its way: no call counted in `calls` on another thread, no restriction
// completion and no workspace notification being delivered.
class DesktopTime {
public:
    // How a run of virtual time ended.
    enum class Outcome { done, nothingLeft, tooLate, stuck };

    // Sets the desktop's clock to the queue's.
    DesktopTime(concurrency::ManualExecutor& executor, std::shared_ptr<concurrency::ManualTimerQueue> clock,
                platform::SimulatedPlatform& simulated, std::shared_ptr<OffMainCalls> calls);

    // Runs what is ready and waits (in real time, briefly) for everything on its
    // way to come back, until all is quiet; false when a call never came back.
    bool settle();
    // Moves the clocks from one due moment to the next until `done` holds, at
    // most `limit` of virtual time.
    Outcome runUntil(const std::function<bool()>& done, concurrency::Duration limit);
    // Moves the clocks by exactly `duration`, through every moment due on the way.
    Outcome runFor(concurrency::Duration duration);

    // How many times the executor's timers woke it, and the queue's timers woke
    // that queue, while the clocks moved.
    std::size_t executorWakeUps = 0;
    std::size_t queueWakeUps = 0;

private:
    std::optional<concurrency::Instant> nextMoment() const;
    void moveTo(concurrency::Instant at);

    concurrency::ManualExecutor& executor_;
    std::shared_ptr<concurrency::ManualTimerQueue> clock_;
    platform::SimulatedPlatform& simulated_;
    std::shared_ptr<OffMainCalls> calls_;
};

} // namespace pellacor::testing
