#include "Concurrency/Qt/QtExecutor.h"

#include <QMetaObject>
#include <QObject>
#include <QTimer>
#include <optional>
#include <time.h>

namespace pellacor::concurrency {

namespace {
// The continuous clock: monotonic, and unlike steady_clock it includes the
// time the machine spent asleep.
Duration continuousNow() noexcept {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}
} // namespace

QtExecutor::QtExecutor() : origin_(continuousNow()), receiver_(std::make_unique<QObject>()) {
    timer_ = new QTimer(receiver_.get());
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_, &QTimer::timeout, receiver_.get(), [this] { timerFired(); });
}

QtExecutor::~QtExecutor() {
    destroyUnfinishedTasks();
    timer_->stop();
    DeadlineQueue timers = timers_.takeAll();
    timers = DeadlineQueue{};
    // Queued invocations for the receiver are discarded with it.
    receiver_.reset();
}

void QtExecutor::post(Job job) {
    assertOnExecutorThread();
    postFromAnyThread(std::move(job));
}

void QtExecutor::postFromAnyThread(Job job) {
    QMetaObject::invokeMethod(receiver_.get(), std::move(job), Qt::QueuedConnection);
}

TimerId QtExecutor::postAt(Instant deadline, Job job) {
    assertOnExecutorThread();
    const TimerId id{timers_.add(deadline, std::move(job))};
    arm();
    return id;
}

void QtExecutor::cancelTimer(TimerId id) {
    assertOnExecutorThread();
    // The job goes once the timers are consistent again.
    std::optional<Job> job = timers_.remove(static_cast<std::uint64_t>(id));
    arm();
}

Instant QtExecutor::now() const {
    return Instant(continuousNow() - origin_);
}

WallTime QtExecutor::wallNow() const {
    return std::chrono::system_clock::now();
}

void QtExecutor::timerFired() {
    // One timer per wake-up, so that work it posts runs before the next one;
    // a wake-up that came early (millisecond rounding) just re-arms.
    if (std::optional<DeadlineQueue::Due> due = timers_.takeDue(now())) {
        arm();
        due->job();
        return;
    }
    arm();
}

void QtExecutor::arm() {
    if (timers_.empty()) {
        timer_->stop();
        return;
    }
    Duration left = *timers_.nextDeadline() - now();
    // Round up: firing early only costs a re-arm, but rounding down would spin.
    auto wait = std::chrono::ceil<std::chrono::milliseconds>(left);
    if (wait < std::chrono::milliseconds::zero()) {
        wait = std::chrono::milliseconds::zero();
    }
    if (wait > std::chrono::milliseconds(std::chrono::hours(24))) {
        wait = std::chrono::milliseconds(std::chrono::hours(24));
    }
    timer_->start(wait);
}

} // namespace pellacor::concurrency
