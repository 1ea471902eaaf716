#include "Concurrency/ManualExecutor.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace std::chrono_literals;
using pellacor::concurrency::Instant;
using pellacor::concurrency::ManualExecutor;
using pellacor::concurrency::TimerId;

namespace {

TEST(ManualExecutorTest, PostedWorkRunsInOrderOnlyWhenDriven) {
    ManualExecutor executor;
    std::vector<std::string> log;
    executor.post([&] {
        log.push_back("a");
        executor.post([&] { log.push_back("c"); });
    });
    executor.post([&] { log.push_back("b"); });
    EXPECT_TRUE(log.empty());

    EXPECT_EQ(executor.runUntilIdle(), 3U);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(executor.now(), Instant{});

    // Both ways of posting share one queue, as on the Qt executor (a
    // continuation resumed on this thread goes through postFromAnyThread).
    log.clear();
    executor.post([&] { log.push_back("post-1"); });
    executor.postFromAnyThread([&] { log.push_back("any-2"); });
    executor.post([&] { log.push_back("post-3"); });
    executor.runUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"post-1", "any-2", "post-3"}));
}

TEST(ManualExecutorTest, TimersRunAtTheirDeadlinesInOrderWithReadyWorkBetween) {
    ManualExecutor executor;
    std::vector<std::string> log;
    auto note = [&](std::string name) {
        return [&log, &executor, name] {
            log.push_back(name + "@" + std::to_string((executor.now() - Instant{}) / 1ms));
        };
    };
    executor.postAt(Instant{} + 3s, note("late"));
    executor.postAt(Instant{} + 1s, [&, n = note("first")] {
        n();
        executor.post(note("posted-by-first"));
    });
    executor.postAt(Instant{} + 1s, note("tie"));
    executor.postAt(Instant{} + 2s, note("middle"));
    executor.postAt(Instant{} + 10s, note("beyond"));

    executor.advanceTo(Instant{} + 3s);

    EXPECT_EQ(log, (std::vector<std::string>{"first@1000", "posted-by-first@1000", "tie@1000", "middle@2000",
                                             "late@3000"}));
    EXPECT_EQ(executor.now(), Instant{} + 3s);
    EXPECT_EQ(executor.pendingTimerCount(), 1U);
    EXPECT_EQ(executor.nextDeadline(), Instant{} + 10s);
}

TEST(ManualExecutorTest, AdvanceStopsShortOfLaterTimersAndCancelledTimersNeverRun) {
    ManualExecutor executor;
    int fired = 0;
    executor.postAt(Instant{} + 30s, [&] { ++fired; });
    TimerId cancelled = executor.postAt(Instant{} + 5s, [&] { fired += 100; });
    executor.cancelTimer(cancelled);
    executor.cancelTimer(cancelled);    // twice: ignored
    executor.cancelTimer(TimerId{999}); // unknown: ignored

    executor.advanceBy(30s - 1ns);
    EXPECT_EQ(fired, 0);
    executor.advanceBy(1ns);
    EXPECT_EQ(fired, 1);

    // A deadline already passed runs on the next turn; time never goes back.
    executor.postAt(Instant{} + 1s, [&] { ++fired; });
    executor.runUntilIdle();
    EXPECT_EQ(fired, 2);
    executor.advanceTo(Instant{} + 1s);
    EXPECT_EQ(executor.now(), Instant{} + 30s);
}

TEST(ManualExecutorTest, WallClockFollowsVirtualTimeFromItsStart) {
    using namespace std::chrono;
    const auto start = sys_days(year(2024) / March / 5) + 12h;
    ManualExecutor executor(start);
    EXPECT_EQ(executor.wallNow(), start);
    executor.advanceBy(90s);
    EXPECT_EQ(executor.wallNow(), start + 90s);
    EXPECT_EQ(ManualExecutor().wallNow(), sys_days(year(2025) / January / 1));
}

TEST(ManualExecutorTest, WorkFromOtherThreadsRunsOnTheDrivingThread) {
    ManualExecutor executor;
    std::vector<std::thread::id> ranOn;
    std::thread poster([&] {
        for (int i = 0; i < 3; ++i) {
            executor.postFromAnyThread([&] { ranOn.push_back(std::this_thread::get_id()); });
        }
    });
    EXPECT_TRUE(executor.runUntil([&] { return ranOn.size() == 3; }));
    poster.join();
    EXPECT_EQ(ranOn, std::vector<std::thread::id>(3, std::this_thread::get_id()));

    // Nothing more is coming: waiting gives up after its (short) time-out.
    EXPECT_FALSE(executor.waitForForeignWork(1ms));
    EXPECT_FALSE(executor.runUntil([] { return false; }, 1ms));
}

TEST(ManualExecutorTest, MayBeDestroyedAsSoonAsWorkFromAnotherThreadHasRun) {
    // The poster may still be inside postFromAnyThread when its job has run and
    // the executor goes; ThreadSanitizer watches the overlap.
    for (int round = 0; round < 100; ++round) {
        std::thread poster;
        {
            ManualExecutor executor;
            bool ran = false;
            poster = std::thread([&executor, &ran] { executor.postFromAnyThread([&ran] { ran = true; }); });
            ASSERT_TRUE(executor.runUntil([&ran] { return ran; }));
        }
        poster.join();
    }
}

#ifndef NDEBUG
TEST(ManualExecutorDeathTest, ExecutorOnlyCallsFromAnotherThreadStopADebugBuild) {
    EXPECT_DEATH(
        {
            ManualExecutor executor;
            std::thread([&executor] { executor.post([] {}); }).join();
        },
        "an executor-only call from another thread");
}
#endif

} // namespace
} // namespace PELLACOR_TEST_FILE
