#pragma once

#include "Concurrency/ManualExecutor.h"
#include "Platform/Simulated/SimulatedRestrictionService.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

namespace pellacor::testing {

// Drives a coordinator on a manual executor over a simulated desktop until
// `done` says so. Each round runs what is ready and lets the restriction
// framework's completions arrive. While `busy` says a call is on its way on
// another thread, it waits (briefly, in real time) for that call to come back;
// otherwise virtual time moves to the next deadline, at most `limit` from the
// start. Clocks that must keep step with the executor's name their next moment
// through `otherMoment` and are moved there by `moveOthers`, before the executor.
struct DesktopDrive {
    concurrency::ManualExecutor& executor;
    platform::SimulatedRestrictionService& restrictions;
    std::function<bool()> busy = [] { return false; };
    std::function<std::optional<concurrency::Instant>()> otherMoment = [] { return std::nullopt; };
    std::function<void(concurrency::Instant)> moveOthers = [](concurrency::Instant) {};

    void until(const std::function<bool()>& done, concurrency::Duration limit) const {
        const auto end = executor.now() + limit;
        for (;;) {
            executor.runUntilIdle();
            restrictions.waitForDeliveries();
            executor.runUntilIdle();
            if (done()) {
                return;
            }
            if (busy()) {
                ASSERT_TRUE(executor.waitForForeignWork(std::chrono::seconds(10)))
                    << "a call on another thread never came back";
                continue;
            }
            auto next = executor.nextDeadline();
            if (const auto other = otherMoment(); other && (!next || *other < *next)) {
                next = other;
            }
            ASSERT_TRUE(next.has_value()) << "nothing left to wait for";
            ASSERT_LE(*next, end) << "not done in time";
            moveOthers(*next);
            executor.advanceTo(*next);
        }
    }
};

} // namespace pellacor::testing
