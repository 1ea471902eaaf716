#include "Concurrency/Qt/QtExecutor.h"

#include <QMetaObject>
#include <QObject>
#include <QTimer>
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
    std::map<TimerKey, Job> timers = std::move(timers_);
    timers_.clear();
    deadlines_.clear();
    timers.clear();
    // Queued invocations for the receiver are discarded with it.
    receiver_.reset();
}

void QtExecutor::post(Job job) {
    postFromAnyThread(std::move(job));
}

void QtExecutor::postFromAnyThread(Job job) {
    QMetaObject::invokeMethod(receiver_.get(), std::move(job), Qt::QueuedConnection);
}

TimerId QtExecutor::postAt(Instant deadline, Job job) {
    std::uint64_t id = nextTimer_++;
    timers_.emplace(TimerKey{deadline, id}, std::move(job));
    deadlines_.emplace(id, deadline);
    arm();
    return TimerId{id};
}

void QtExecutor::cancelTimer(TimerId id) {
    auto found = deadlines_.find(static_cast<std::uint64_t>(id));
    if (found == deadlines_.end()) {
        return;
    }
    auto timer = timers_.find(TimerKey{found->second, found->first});
    Job job = std::move(timer->second);
    timers_.erase(timer);
    deadlines_.erase(found);
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
    auto first = timers_.begin();
    if (first != timers_.end() && first->first.first <= now()) {
        Job job = std::move(first->second);
        deadlines_.erase(first->first.second);
        timers_.erase(first);
        arm();
        job();
        return;
    }
    arm();
}

void QtExecutor::arm() {
    if (timers_.empty()) {
        timer_->stop();
        return;
    }
    Duration left = timers_.begin()->first.first - now();
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
