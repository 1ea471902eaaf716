#pragma once

#include "Concurrency/DeadlineQueue.h"
#include "Concurrency/MainExecutor.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <utility>

class QObject;
class QTimer;

namespace pellacor::concurrency {

// The program's executor: the Qt event loop of the main thread. Jobs are
// queued invocations on one QObject (FIFO per posting thread, from any
// thread); timers are kept here and one precise QTimer is armed at the
// earliest deadline. now() is the continuous clock (CLOCK_BOOTTIME, which
// goes on while the machine sleeps) measured from the executor's creation, so
// waits and elapsed times include a sleep of the machine. A deadline that
// passed during such a sleep runs when the Qt timer (which counts without the
// sleep) next fires, or at once when a timer is set or cancelled, which
// re-arms it. wallNow() is the system clock.
//
// Create and destroy it on the thread that runs the event loop, after the
// QCoreApplication exists and before it goes.
class QtExecutor final : public MainExecutor {
public:
    QtExecutor();
    ~QtExecutor() override;

    void post(Job job) override;
    TimerId postAt(Instant deadline, Job job) override;
    void cancelTimer(TimerId id) override;
    Instant now() const override;
    WallTime wallNow() const override;
    void postFromAnyThread(Job job) override;

private:
    void timerFired();
    void arm();

    Duration origin_;
    std::unique_ptr<QObject> receiver_;
    QTimer* timer_ = nullptr; // owned by receiver_
    DeadlineQueue timers_;
};

} // namespace pellacor::concurrency
