#include "Concurrency/Sleep.h"

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/TaskHandle.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace std::chrono_literals;
using namespace pellacor::concurrency;

namespace {

struct Wake {
    Instant at;
    bool cancelled;
    friend bool operator==(const Wake&, const Wake&) = default;
};
using Wakes = std::shared_ptr<std::vector<Wake>>;

// Sleeps through the injected sleep and notes when it woke and whether the
// task was cancelled by then.
Task<void> sleepAndNote(Sleep sleepFor, Now now, std::vector<Duration> delays, Wakes wakes) {
    for (Duration delay : delays) {
        co_await sleepFor(delay);
        wakes->push_back(Wake{now(), isCancelled()});
    }
}

class SleepTest : public ::testing::Test {
protected:
    ManualExecutor executor;
    Wakes wakes = std::make_shared<std::vector<Wake>>();

    TaskHandle<void> start(std::vector<Duration> delays) {
        return spawn(executor, sleepAndNote(defaultSleep(), nowOf(executor), std::move(delays), wakes));
    }
};

TEST_F(SleepTest, ThirtySecondsPassOnlyWhenThirtySecondsAreAdvanced) {
    auto task = start({30s});
    executor.advanceBy(30s - 1ns);
    EXPECT_FALSE(task.isFinished());
    executor.advanceBy(1ns);
    EXPECT_TRUE(task.isFinished());
    EXPECT_EQ(*wakes, (std::vector<Wake>{{Instant{} + 30s, false}}));
}

TEST_F(SleepTest, CancelWakesALongSleepAtOnceAndLaterSleepsReturnAtOnce) {
    auto task = start({100s, 1s, 1h});
    executor.advanceBy(10s);
    task.cancel();
    EXPECT_FALSE(task.isFinished()) << "the wake-up comes on a later turn, not inside cancel()";
    executor.runUntilIdle();

    EXPECT_TRUE(task.isFinished());
    EXPECT_TRUE(task.isCancelled());
    const Wake atCancel{Instant{} + 10s, true};
    EXPECT_EQ(*wakes, (std::vector<Wake>{atCancel, atCancel, atCancel}));
    EXPECT_EQ(executor.pendingTimerCount(), 0U) << "the cancelled sleep's timer is gone";
}

TEST_F(SleepTest, ATaskCancelledBeforeItStartsStillRunsWithoutWaiting) {
    auto task = start({5s});
    task.cancel();
    executor.runUntilIdle();
    EXPECT_TRUE(task.isFinished());
    EXPECT_EQ(*wakes, (std::vector<Wake>{{Instant{}, true}}));
}

TEST_F(SleepTest, CancellingAFinishedTaskChangesNothing) {
    auto task = start({1s});
    executor.advanceBy(1s);
    ASSERT_TRUE(task.isFinished());
    task.cancel();
    executor.runUntilIdle();
    EXPECT_FALSE(task.isCancelled());
    EXPECT_EQ(*wakes, (std::vector<Wake>{{Instant{} + 1s, false}}));
}

Task<std::vector<SleepResult>> checkedSleeps(CheckedSleep sleepFor) {
    std::vector<SleepResult> results;
    auto first = co_await sleepFor(1s);
    results.push_back(first);
    auto second = co_await sleepFor(100s);
    results.push_back(second);
    auto third = co_await sleepFor(1s);
    results.push_back(third);
    co_return results;
}

TEST_F(SleepTest, CheckedSleepReportsCancellation) {
    auto task = spawn(executor, checkedSleeps(defaultCheckedSleep()));
    executor.advanceBy(2s);
    task.cancel();
    executor.runUntilIdle();
    EXPECT_EQ(task.result(), (std::vector<SleepResult>{SleepResult::elapsed, SleepResult::cancelled,
                                                       SleepResult::cancelled}));
}

// A fake sleep as a test would inject it: records the delay, then yields for a
// turn without moving time.
Task<void> recordedSleep(std::shared_ptr<std::vector<Duration>> asked, Duration delay) {
    asked->push_back(delay);
    co_await sleep(0s);
}

TEST_F(SleepTest, AnInjectedSleepReplacesTheExecutorSleep) {
    auto asked = std::make_shared<std::vector<Duration>>();
    Sleep fake = [asked](Duration delay) { return recordedSleep(asked, delay); };
    auto task = spawn(executor, sleepAndNote(fake, nowOf(executor), {150ms, 2s}, wakes));
    executor.runUntilIdle();
    EXPECT_TRUE(task.isFinished());
    EXPECT_EQ(*asked, (std::vector<Duration>{150ms, 2s}));
    EXPECT_EQ(executor.now(), Instant{});
}

} // namespace
} // namespace PELLACOR_TEST_FILE
