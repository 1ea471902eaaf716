#include "Support/DesktopTime.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace pellacor::testing {

using concurrency::Instant;

DesktopTime::DesktopTime(concurrency::ManualExecutor& executor,
                         std::shared_ptr<concurrency::ManualTimerQueue> clock,
                         platform::SimulatedPlatform& simulated, std::shared_ptr<OffMainCalls> calls)
    : executor_(executor), clock_(std::move(clock)), simulated_(simulated), calls_(std::move(calls)) {
    simulated_.desktop()->setClock([queue = clock_] { return queue->now().time_since_epoch(); });
}

bool DesktopTime::settle() {
    for (;;) {
        std::size_t ran = executor_.runUntilIdle();
        simulated_.restrictionService()->waitForDeliveries();
        if (!simulated_.workspace()->waitForDeliveries()) {
            return false;
        }
        ran += executor_.runUntilIdle();
        if (calls_->inFlight > 0) {
            if (!executor_.waitForForeignWork(std::chrono::seconds(10))) {
                return false;
            }
            continue;
        }
        if (ran == 0) {
            return true;
        }
    }
}

std::optional<Instant> DesktopTime::nextMoment() const {
    std::optional<Instant> next = executor_.nextDeadline();
    const auto earlier = [&next](std::optional<Instant> other) {
        if (other && (!next || *other < *next)) {
            next = other;
        }
    };
    earlier(clock_->nextDeadline());
    if (const auto desktopMoment = simulated_.desktop()->nextMoment()) {
        earlier(Instant(*desktopMoment));
    }
    return next;
}

void DesktopTime::moveTo(Instant at) {
    if (clock_->nextDeadline() == at) {
        ++queueWakeUps;
    }
    clock_->advanceTo(at);
    simulated_.desktop()->passTime();
    if (executor_.nextDeadline() == at) {
        ++executorWakeUps;
    }
    executor_.advanceTo(at);
}

DesktopTime::Outcome DesktopTime::runUntil(const std::function<bool()>& done, concurrency::Duration limit) {
    const Instant end = executor_.now() + limit;
    for (;;) {
        if (!settle()) {
            return Outcome::stuck;
        }
        if (done()) {
            return Outcome::done;
        }
        const auto next = nextMoment();
        if (!next) {
            return Outcome::nothingLeft;
        }
        if (*next > end) {
            return Outcome::tooLate;
        }
        moveTo(std::max(*next, executor_.now()));
    }
}

DesktopTime::Outcome DesktopTime::runFor(concurrency::Duration duration) {
    const Instant end = executor_.now() + duration;
    for (;;) {
        if (!settle()) {
            return Outcome::stuck;
        }
        const auto next = nextMoment();
        if (!next || *next > end) {
            moveTo(end);
            return settle() ? Outcome::done : Outcome::stuck;
        }
        moveTo(std::max(*next, executor_.now()));
    }
}

} // namespace pellacor::testing
